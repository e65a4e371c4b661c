// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QTreeWidget>

namespace brivel {

// The picker's three linked lists. Each keeps its own position and raises its
// change handling whenever that position moves; the picker wires them up.

// Drop-down of the mounted volumes, each shown and read as its root path.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    // Root path of the current volume.
    QString Drive() const { return m_drive; }
    // Selects the volume that holds path. False, and nothing changes, when
    // no readable volume holds it.
    bool setDrive(const QString &path);
    // Re-reads the mounted volumes.
    void refresh();

signals:
    // The drive moved, or the user picked a drive again.
    void Change();
    // The user picked a volume that cannot be read; the list stayed put.
    void Refused();

protected:
    void showPopup() override;

private:
    void userPicked(int index);
    void showCurrent();

    QString m_drive;
};

// A folder's ancestors from its volume root down, then its subfolders.
// A double click opens a folder.
class DirectoryList : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // Shows the folder at path. False, and nothing changes, when it is not a
    // folder that can be read.
    bool setPath(const QString &path);

signals:
    void Change();
    // The user opened a folder that cannot be read; the list stayed put.
    void Refused();

protected:
    // Every level is always open: no expand marks.
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}

private:
    void open(QTreeWidgetItem *item);
    void rebuild();

    QString m_path;
};

// Every file of a folder, no pattern.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // Lists the files at path, none selected. False, and nothing changes,
    // when it is not a folder that can be read.
    bool setPath(const QString &path);
    // Name of the selected file without its folder; empty when none.
    QString FileName() const;

signals:
    // A file was clicked, or chosen with the keyboard.
    void Click();
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_path;
};

// A folder that the lists can show: it exists and its entries can be read.
bool isReadableFolder(const QString &path);

} // namespace brivel

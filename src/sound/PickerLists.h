// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>
#include <QDir>
#include <QFutureWatcher>
#include <QListView>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>

namespace brivel {

// The picker's three linked lists. Each keeps its own position and raises its
// change handling whenever that position moves; the picker wires them up.
//
// The lists ask the file system themselves, not through the Platform seam:
// which volumes are mounted and what a folder holds are their content, the
// same on every desktop, and tests give them real temporary folders. None of
// it may hold the window, whose thread rings the alarm: folders and the
// volume list are read on threads of their own and the lists fill in as the
// names come. The one question a change must answer at once (is this a
// folder that can be read, and on which volume) waits a bounded time and
// counts as unreadable when the file system does not answer, as on a hung
// network mount.

// Reads the names in a folder on a thread of its own, sorted as the lists
// show them, and hands them to the window's thread a few thousand at a time.
class FolderReader : public QObject {
    Q_OBJECT
public:
    FolderReader(QDir::Filters filters, QObject *parent);
    ~FolderReader() override;

    // Starts reading path; a reading still under way is dropped.
    void read(const QString &path);
    bool busy() const { return m_reading != nullptr || m_handing.isActive(); }

signals:
    // The next names, in order.
    void names(const QStringList &batch);
    // Every name is handed.
    void finished();

private:
    void stop();
    void handOn();

    QDir::Filters m_filters;
    QFutureWatcher<QStringList> *m_reading = nullptr;
    QStringList m_read;
    qsizetype m_handed = 0;
    QTimer m_handing;
};

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
    // Reads the mounted volumes again; the list fills in when they come.
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
    void showVolumes(QStringList roots);
    QStringList shownVolumes() const;

    QString m_drive;
    QFutureWatcher<QStringList> *m_asking = nullptr;
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
    void addFolders(const QStringList &names);

    QString m_path;
    QString m_root; // of the volume that holds m_path
    QTreeWidgetItem *m_here = nullptr;
    FolderReader m_reader;
};

class FileModel;

// Every file of a folder, no pattern.
class FileList : public QListView {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    // Lists the files at path, none selected. False, and nothing changes,
    // when it is not a folder that can be read.
    bool setPath(const QString &path);
    // Reads the folder again: files that came are listed, files that went
    // are not, and the selected file stays selected while it is there.
    void reread();
    // Name of the selected file without its folder; empty when none.
    QString FileName() const;
    // Files listed so far.
    int count() const;

signals:
    // A file was clicked, or chosen with the keyboard.
    void Click();
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showAgain(const QStringList &names);

    QString m_path;
    FileModel *m_model = nullptr;
    FolderReader m_reader;
    bool m_rereading = false;
    QStringList m_fresh; // read again, not shown yet
};

} // namespace brivel

// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace brivel {

class Platform;
class DriveList;
class DirectoryList;
class FileList;

// The sound picker: any wave file on any volume as the alarm. A window of its
// own without a title bar; its positions live in its lists while it is
// loaded, shown or hidden, and in the settings store after an OK.
class frmSoundPkr : public QWidget {
    Q_OBJECT
public:
    explicit frmSoundPkr(Platform &platform);
    ~frmSoundPkr() override;

    void Form_Load();
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

    int HelpContextID() const;

    // Controls, in tab order.
    QPushButton *cmdOK = nullptr;
    FileList *bxFiles = nullptr;
    DirectoryList *bxDirectories = nullptr;
    DriveList *bxDrives = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLineEdit *txtCurrentPath = nullptr;

    // Handlers: each runs to completion, as a click would.
    void bxDrives_Change();
    void bxDirectories_Change();
    void bxFiles_Click();
    void bxFiles_DblClick();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Width of the sizing border around the client area.
    static constexpr int BorderWidth = 4;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildControls();
    QString composedPath() const;
    void chooseFile();
    QString setting(const QString &key, const QString &defaultValue);
    void saveSetting(const QString &key, const QString &value);
    Qt::Edges edgesAt(const QPoint &pos) const;

    Platform &m_platform;
    QWidget *m_client = nullptr;
    bool m_unloaded = false;
    // Sizing by hand where the window manager cannot do it.
    Qt::Edges m_sizing;
    QPoint m_sizingFrom;
    QRect m_sizingGeometry;
};

} // namespace brivel

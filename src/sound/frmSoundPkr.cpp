// SPDX-License-Identifier: MIT
#include "frmSoundPkr.h"

#include "AlarmSettings.h"
#include "PickerLists.h"
#include "platform/Platform.h"
#include "timer/Forms.h"
#include "timer/Twips.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <initializer_list>

namespace brivel {

namespace {

const QString kNotWave = QStringLiteral("The selected file is not a .wav file.");

constexpr int ClientWidth = 4680;
constexpr int ClientHeight = 3420;
// How far along an edge from a corner the corner's sizing reaches.
constexpr int CornerReach = 16;

} // namespace

frmSoundPkr::frmSoundPkr(Platform &platform) : m_platform(platform)
{
    setObjectName(QStringLiteral("frmSoundPkr"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // No title bar, no system menu, no task bar button; the sizing border is
    // the window's own (a window manager's border always comes with a title).
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // A tool window would not keep the program running, yet while the main
    // window is hidden after a refused file the picker is all there is.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QString());
    setWindowIcon(QIcon(QStringLiteral(":/brivel/brivel.ico")));
    setFont(designFont(8.25));
    setMouseTracking(true);
    buildControls();
    resize(tw(ClientWidth) + 2 * BorderWidth, tw(ClientHeight) + 2 * BorderWidth);
}

frmSoundPkr::~frmSoundPkr() = default;

int frmSoundPkr::HelpContextID() const
{
    return HelpContextSoundPicker;
}

void frmSoundPkr::buildControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("frmSoundPkrClient"));
    // The border's sizing cursors stop at the client area.
    m_client->setCursor(Qt::ArrowCursor);

    cmdOK = new QPushButton(QStringLiteral("OK"), m_client);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twRect(3465, 2970, 1110, 405));
    cmdOK->setDefault(true);

    bxFiles = new FileList(m_client);
    bxFiles->setObjectName(QStringLiteral("bxFiles"));
    bxFiles->setGeometry(twRect(2415, 120, 2145, 2430));

    bxDirectories = new DirectoryList(m_client);
    bxDirectories->setObjectName(QStringLiteral("bxDirectories"));
    bxDirectories->setGeometry(twRect(120, 645, 2160, 1890));

    bxDrives = new DriveList(m_client);
    bxDrives->setObjectName(QStringLiteral("bxDrives"));
    bxDrives->setGeometry(twRect(120, 135, 2160, 315));

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), m_client);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(twRect(2265, 2985, 1065, 390));

    txtCurrentPath = new QLineEdit(m_client);
    txtCurrentPath->setObjectName(QStringLiteral("txtCurrentPath"));
    txtCurrentPath->setGeometry(twRect(120, 2625, 4455, 285));

    // Names a screen reader speaks: the window shows no labels.
    bxDrives->setAccessibleName(QStringLiteral("Drives"));
    // A combo box is read out by its value; the description says what it is.
    bxDrives->setAccessibleDescription(QStringLiteral("Drives"));
    bxDirectories->setAccessibleName(QStringLiteral("Folders"));
    bxFiles->setAccessibleName(QStringLiteral("Files"));
    txtCurrentPath->setAccessibleName(QStringLiteral("Chosen file"));

    for (QWidget *w : std::initializer_list<QWidget *>{cmdOK, bxFiles, bxDirectories, bxDrives,
                                                       cmdCancel, txtCurrentPath})
        w->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(cmdOK, bxFiles);
    setTabOrder(bxFiles, bxDirectories);
    setTabOrder(bxDirectories, bxDrives);
    setTabOrder(bxDrives, cmdCancel);
    setTabOrder(cmdCancel, txtCurrentPath);

    connect(bxDrives, &DriveList::Change, this, &frmSoundPkr::bxDrives_Change);
    connect(bxDirectories, &DirectoryList::Change, this, &frmSoundPkr::bxDirectories_Change);
    connect(bxFiles, &FileList::Click, this, &frmSoundPkr::bxFiles_Click);
    connect(bxFiles, &FileList::DblClick, this, &frmSoundPkr::bxFiles_DblClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmSoundPkr::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSoundPkr::cmdCancel_Click);
    // A volume or folder that cannot be read leaves the lists where they were.
    connect(bxDrives, &DriveList::Refused, this, [this] { m_platform.beep(); });
    connect(bxDirectories, &DirectoryList::Refused, this, [this] { m_platform.beep(); });
}

QString frmSoundPkr::setting(const QString &key, const QString &defaultValue)
{
    return m_platform.GetSetting(settings::Application, settings::Section, key, defaultValue);
}

void frmSoundPkr::saveSetting(const QString &key, const QString &value)
{
    m_platform.SaveSetting(settings::Application, settings::Section, key, value);
}

void frmSoundPkr::Form_Load()
{
    const QString folder = m_platform.programFolder();
    // A stored position that is gone or cannot be read falls back to the
    // program folder.
    if (!bxDrives->setDrive(setting(settings::Drive, folder)))
        bxDrives->setDrive(folder);
    if (!bxDirectories->setPath(setting(settings::Directory, folder)))
        bxDirectories->setPath(folder);
    if (!bxFiles->setPath(setting(settings::Files, bxDirectories->Path())))
        bxFiles->setPath(bxDirectories->Path());
    txtCurrentPath->setText(setting(settings::Path, Forms::Timer().m_WaveFile));

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    cmdOK->setFocus();
}

void frmSoundPkr::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // Closing the picker is never the program's end: the main window's own
    // Exit sees to that.
    setAttribute(Qt::WA_QuitOnClose, false);
    close();
    deleteLater();
}

void frmSoundPkr::closeEvent(QCloseEvent *event)
{
    // Closed by the desktop rather than by the program: as Cancel, so that
    // a main window hidden after a refused file comes back.
    if (!m_unloaded) {
        m_unloaded = true;
        if (frmTimer *main = Forms::TimerIfLoaded())
            main->show();
        deleteLater();
    }
    event->accept();
}

void frmSoundPkr::showEvent(QShowEvent *event)
{
    // Shown again: the file list shows the folder as it is now, such as a
    // wave saved there while the picker was hidden.
    if (!event->spontaneous())
        bxFiles->reread();
    QWidget::showEvent(event);
}

QString frmSoundPkr::composedPath() const
{
    return bxDirectories->Path() + QLatin1Char('/') + bxFiles->FileName();
}

void frmSoundPkr::bxDrives_Change()
{
    bxDirectories->setPath(bxDrives->Drive());
    bxFiles->setPath(bxDirectories->Path());
}

void frmSoundPkr::bxDirectories_Change()
{
    bxFiles->setPath(bxDirectories->Path());
}

void frmSoundPkr::bxFiles_Click()
{
    txtCurrentPath->setText(composedPath());
}

void frmSoundPkr::bxFiles_DblClick()
{
    chooseFile();
}

void frmSoundPkr::cmdOK_Click()
{
    chooseFile();
}

void frmSoundPkr::chooseFile()
{
    const QString path = composedPath();
    frmTimer &main = Forms::Timer();
    main.hide();
    if (path.toLower().right(3) != QLatin1String("wav")) {
        m_platform.messageBox(kNotWave, this);
        return;
    }
    main.m_WaveFile = path;
    saveSetting(settings::Current, main.m_WaveFile);
    saveSetting(settings::Drive, bxDrives->Drive());
    saveSetting(settings::Directory, bxDirectories->Path());
    saveSetting(settings::Files, bxFiles->Path());
    saveSetting(settings::Path, txtCurrentPath->text());
    main.mnuNewPhone->setChecked(false);
    main.mnuOldPhone->setChecked(false);
    main.mnuOptionsMute->setChecked(false);
    hide();
    main.show();
    main.activateWindow();
}

void frmSoundPkr::cmdCancel_Click()
{
    Unload();
    frmTimer &main = Forms::Timer();
    main.show();
    main.activateWindow();
}

void frmSoundPkr::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // OK is the default button: Enter presses the focused button, or OK.
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->click();
        else
            cmdOK->click();
        event->accept();
        return;
    case Qt::Key_Escape:
        // No cancel button.
        event->accept();
        return;
    case Qt::Key_F1:
        if (frmTimer *main = Forms::TimerIfLoaded())
            main->showContextHelp(HelpContextID());
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

// ---------------------------------------------------------------------------
// The sizing border.

void frmSoundPkr::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void frmSoundPkr::resizeEvent(QResizeEvent *event)
{
    // The controls stay where they are; only the client area grows.
    m_client->setGeometry(rect().adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth));
    QWidget::resizeEvent(event);
}

Qt::Edges frmSoundPkr::edgesAt(const QPoint &pos) const
{
    Qt::Edges edges;
    const int reach = std::max(BorderWidth, CornerReach);
    const bool nearLeft = pos.x() < reach;
    const bool nearRight = pos.x() >= width() - reach;
    const bool nearTop = pos.y() < reach;
    const bool nearBottom = pos.y() >= height() - reach;
    if (pos.x() < BorderWidth || ((nearTop || nearBottom) && nearLeft))
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - BorderWidth || ((nearTop || nearBottom) && nearRight))
        edges |= Qt::RightEdge;
    if (pos.y() < BorderWidth || ((nearLeft || nearRight) && nearTop))
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - BorderWidth || ((nearLeft || nearRight) && nearBottom))
        edges |= Qt::BottomEdge;
    return edges;
}

void frmSoundPkr::mousePressEvent(QMouseEvent *event)
{
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !edges) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (windowHandle() && windowHandle()->startSystemResize(edges)) {
        event->accept();
        return;
    }
    m_sizing = edges;
    m_sizingFrom = event->globalPosition().toPoint();
    m_sizingGeometry = geometry();
    event->accept();
}

void frmSoundPkr::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_sizing) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        if ((edges & Qt::LeftEdge && edges & Qt::TopEdge)
            || (edges & Qt::RightEdge && edges & Qt::BottomEdge))
            setCursor(Qt::SizeFDiagCursor);
        else if ((edges & Qt::RightEdge && edges & Qt::TopEdge)
                 || (edges & Qt::LeftEdge && edges & Qt::BottomEdge))
            setCursor(Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges & (Qt::TopEdge | Qt::BottomEdge))
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_sizingFrom;
    QRect g = m_sizingGeometry;
    const int least = 2 * BorderWidth + 1;
    if (m_sizing & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + delta.x(), g.right() - least));
    if (m_sizing & Qt::RightEdge)
        g.setRight(std::max(g.right() + delta.x(), g.left() + least));
    if (m_sizing & Qt::TopEdge)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() - least));
    if (m_sizing & Qt::BottomEdge)
        g.setBottom(std::max(g.bottom() + delta.y(), g.top() + least));
    setGeometry(g);
    event->accept();
}

void frmSoundPkr::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_sizing) {
        m_sizing = {};
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace brivel

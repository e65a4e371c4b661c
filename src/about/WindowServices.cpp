// SPDX-License-Identifier: MIT
// Always on top, help and About commands of the main window.
#include "frmAbout.h"
#include "platform/Platform.h"
#include "sound/MSysSnd.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>

namespace brivel {

namespace {

const QString kViewer = QStringLiteral("Winhlp32.exe");
const QString kViewerNotStarted = QStringLiteral("The help viewer could not be started.");

// The help viewer opens beside the timer, when it is on screen, without
// taking the focus from it. A viewer that cannot be started is reported, and
// everything else goes on.
void startViewer(Platform &platform, QWidget &timer, const QString &commandLine)
{
    const QRect beside = timer.isVisible() ? timer.frameGeometry() : QRect();
    if (platform.startProgram(commandLine, SW_SHOWNOACTIVATE, beside) == 0)
        platform.messageBox(kViewerNotStarted, &timer);
}

// The help topic a menu, menu item or window carries; 0 for none.
int topicOf(const QObject *carrier)
{
    if (!carrier)
        return 0;
    const QVariant id = carrier->property("HelpContextID");
    return id.isValid() ? id.toInt() : 0;
}

// F1 in the menu bar or an open menu: the topic of the highlighted item,
// else of its menu, else of the main window.
class MenuHelp : public QObject {
public:
    explicit MenuHelp(frmTimer &owner) : QObject(&owner), m_owner(owner) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress
            || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1)
            return false;
        m_owner.showContextHelp(topicIn(watched));
        return true;
    }

private:
    static int topicIn(QObject *watched)
    {
        int topic = 0;
        if (const auto *menu = qobject_cast<QMenu *>(watched)) {
            topic = topicOf(menu->activeAction());
            if (topic == 0)
                topic = topicOf(menu);
        } else if (const auto *bar = qobject_cast<QMenuBar *>(watched)) {
            if (const QAction *title = bar->activeAction())
                topic = topicOf(title->menu());
        }
        return topic != 0 ? topic : HelpContextMain;
    }

    frmTimer &m_owner;
};

// Gives the window the main window's Always On Top state each time it is
// shown, before it is mapped, whatever it was when the window was hidden.
class FollowOnTop : public QObject {
public:
    explicit FollowOnTop(QWidget &window) : QObject(&window)
    {
        setObjectName(QStringLiteral("brivelFollowOnTop"));
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        frmTimer *main = Forms::TimerIfLoaded();
        if (event->type() == QEvent::Show && main)
            main->keepAboveWhileOnTop(*static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

void frmTimer::mnuAlwaysOnTop_Click()
{
    // The mark changes first; the window call follows and its result is not used.
    winId(); // the main window always has its native window, shown or not
    MSysSnd::WindowHandle hWnd = windowHandle();
    if (mnuAlwaysOnTop->isChecked()) {
        mnuAlwaysOnTop->setChecked(false);
        MSysSnd::SetTopMost(hWnd, False);
    } else {
        mnuAlwaysOnTop->setChecked(true);
        MSysSnd::SetTopMost(hWnd, True);
    }
    // About and the picker follow: shown ones now, hidden ones when they are
    // shown again. They stay without owner.
    const bool onTop = mnuAlwaysOnTop->isChecked();
    for (QWidget *other : {static_cast<QWidget *>(Forms::AboutIfLoaded()),
                           static_cast<QWidget *>(Forms::SoundPkrIfLoaded())}) {
        if (other && other->isVisible())
            m_platform.setTopMost(other->windowHandle(), onTop);
    }
}

void frmTimer::keepAboveWhileOnTop(QWidget &window)
{
    // The window takes the main window's state, on or off, now and at each
    // later show before it is mapped, never while it is hidden: changing the
    // flags of a hidden window would make a new native window of it, without
    // its other states.
    if (!window.findChild<QObject *>(QStringLiteral("brivelFollowOnTop"),
                                     Qt::FindDirectChildrenOnly))
        new FollowOnTop(window); // owned by the window
    QWindow *handle = window.windowHandle();
    const bool onTop = mnuAlwaysOnTop->isChecked();
    if (handle && window.isVisible() && bool(handle->flags() & Qt::WindowStaysOnTopHint) != onTop)
        m_platform.setTopMost(handle, onTop);
}

void frmTimer::mnuHelpBrivelHelp_Click()
{
    // The path goes unquoted, blanks and all: the viewer takes the rest of
    // the command line as the file.
    startViewer(m_platform, *this, kViewer + QLatin1Char(' ') + m_platform.helpFilePath());
}

void frmTimer::showContextHelp(int topic)
{
    if (topic <= 0)
        return;
    // The viewer reads "-topic N" ahead of the file in its one argument.
    startViewer(m_platform, *this,
                kViewer + QStringLiteral(" -topic ") + QString::number(topic) + QLatin1Char(' ')
                    + m_platform.helpFilePath());
}

void frmTimer::installContextHelp()
{
    auto *menuHelp = new MenuHelp(*this);
    menuBar()->installEventFilter(menuHelp);
    for (QMenu *menu : {mnuFile, mnuOptions, mnuHelp})
        menu->installEventFilter(menuHelp);
}

void frmTimer::mnuHelpAboutBrivel_Click()
{
    frmAbout &about = Forms::About();
    about.show();
    keepAboveWhileOnTop(about);
    about.raise();
    about.activateWindow();
}

} // namespace brivel

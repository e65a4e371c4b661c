// SPDX-License-Identifier: MIT
#include "frmTimer.h"

#include "Forms.h"
#include "MinutesEntry.h"
#include "Timer2.h"
#include "Twips.h"
#include "platform/Logging.h"
#include "platform/Platform.h"
#include "sound/AlarmSettings.h"
#include "sound/MSysSnd.h"
#include "sound/frmSoundPkr.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <functional>
#include <utility>

namespace brivel {

namespace {

const QString kTitle = QStringLiteral("Brivel");
const QString kPrompt = QStringLiteral("Please type desired number of minutes:");
const QString kTypeMinutes =
    QStringLiteral("Please type the number of minutes\r\nyou want the timer set for.");
const QString kMaximum = QStringLiteral("Sorry, maximum allowable\r\nminutes is 5999");

// A text box that reports a click once it has handled the mouse itself, so
// that a handler's selection is not undone by the box's own release handling.
class ClickableLineEdit : public QLineEdit {
public:
    ClickableLineEdit(QWidget *parent, std::function<void()> onClick)
        : QLineEdit(parent), m_onClick(std::move(onClick))
    {
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLineEdit::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

QFont designFont(qreal pointSize, bool bold)
{
    QFont font;
    // Each fallback keeps the prompt line and "99:59:00" at 18 points inside
    // their boxes (Arial and its metric twins); wider sans faces would not.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

frmTimer::frmTimer(Platform &platform) : m_platform(platform)
{
    setObjectName(QStringLiteral("frmTimer"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
    setWindowTitle(kTitle);
    setWindowIcon(QIcon(QStringLiteral(":/brivel/brivel.ico")));
    setFont(designFont(8.25));
    Timer2 = new brivel::Timer2(platform, this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setSkipper([this](qint64 ticks) { return skipTicks(ticks); });
    buildControls();
    buildMenus();
    wireHandlers();
    installContextHelp();
    m_whenFramed.arm();
    const int clientHeight = tw(2235);
    resize(tw(3360), clientHeight + menuBar()->sizeHint().height());
}

frmTimer::~frmTimer() = default;

void frmTimer::buildControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmTimerClient"));
    setCentralWidget(client);

    txtNumMin = new ClickableLineEdit(client, [this] { txtNumMin_Click(); });
    txtNumMin->setObjectName(QStringLiteral("txtNumMin"));
    txtNumMin->setGeometry(twRect(840, 525, 1545, 450));
    txtNumMin->setFont(designFont(18));
    txtNumMin->setToolTip(QStringLiteral("Enter whole minutes - use decimal for fractions"));

    cmdGo = new QPushButton(QStringLiteral("Start"), client);
    cmdGo->setObjectName(QStringLiteral("cmdGo"));
    cmdGo->setGeometry(twRect(1200, 1185, 945, 345));
    cmdGo->setFont(designFont(8.25, true));
    cmdGo->setToolTip(QStringLiteral("Start timer"));
    cmdGo->setDefault(true);

    cmdExit = new QPushButton(QStringLiteral("Exit"), client);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setGeometry(twRect(2490, 1860, 780, 300));
    cmdExit->setToolTip(QStringLiteral("Exit Brivel"));

    cmdReset = new QPushButton(QStringLiteral("Reset"), client);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    cmdReset->setGeometry(twRect(120, 1185, 945, 345));
    cmdReset->setToolTip(QStringLiteral("Stop & Clear Timer"));

    cmdPause = new QPushButton(QStringLiteral("Pause"), client);
    cmdPause->setObjectName(QStringLiteral("cmdPause"));
    cmdPause->setGeometry(twRect(2280, 1185, 945, 345));
    cmdPause->setToolTip(QStringLiteral("Pause Timer"));

    lblLabel1 = new QLabel(client);
    lblLabel1->setObjectName(QStringLiteral("lblLabel1"));
    lblLabel1->setGeometry(twRect(75, 150, 3210, 285));
    lblLabel1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    txtMemo = new ClickableLineEdit(client, [this] { txtMemo_Click(); });
    txtMemo->setObjectName(QStringLiteral("txtMemo"));
    txtMemo->setGeometry(twRect(135, 1860, 2070, 285));

    lblMemo = new QLabel(QStringLiteral("Memo:"), client);
    lblMemo->setObjectName(QStringLiteral("lblMemo"));
    lblMemo->setGeometry(twRect(150, 1620, 585, 270));
    lblMemo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // A screen reader names each field by the label above it; the labels
    // carry no access key, so nothing changes on screen or on the keyboard.
    lblLabel1->setBuddy(txtNumMin);
    lblMemo->setBuddy(txtMemo);

    for (QPushButton *b : {cmdGo, cmdExit, cmdReset, cmdPause})
        b->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(txtNumMin, cmdGo);
    setTabOrder(cmdGo, cmdExit);
    setTabOrder(cmdExit, cmdReset);
    setTabOrder(cmdReset, cmdPause);
    setTabOrder(cmdPause, txtMemo);
}

void frmTimer::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    bar->setNativeMenuBar(false);

    const auto item = [](QMenu *menu, const char *name, const QString &caption, bool checkable,
                         bool checked = false) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(checkable);
        a->setChecked(checked);
        return a;
    };

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileReset = item(mnuFile, "mnuFileReset", QStringLiteral("&Reset"), false);
    mnuFileExit = item(mnuFile, "mnuFileExit", QStringLiteral("E&xit"), false);

    mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    mnuOptions->setProperty("HelpContextID", HelpContextOptions);
    mnuAlwaysOnTop = item(mnuOptions, "mnuAlwaysOnTop", QStringLiteral("&Always On Top"), true);
    mnuOptionsMute = item(mnuOptions, "mnuOptionsMute", QStringLiteral("&Mute"), true);
    mnuOptionsSep1 = mnuOptions->addSeparator();
    mnuOptionsSep1->setObjectName(QStringLiteral("mnuOptionsSep1"));
    mnuNewPhone = item(mnuOptions, "mnuNewPhone", QStringLiteral("&New Phone"), true, true);
    mnuOldPhone = item(mnuOptions, "mnuOldPhone", QStringLiteral("&Old Phone"), true);
    mnuOptionsSep2 = mnuOptions->addSeparator();
    mnuOptionsSep2->setObjectName(QStringLiteral("mnuOptionsSep2"));
    mnuOptionsSoundPicker =
        item(mnuOptions, "mnuOptionsSoundPicker", QStringLiteral("&Sound Picker"), false);
    mnuOptionsSoundPicker->setProperty("HelpContextID", HelpContextSoundPicker);

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->setProperty("HelpContextID", HelpContextMain);
    mnuHelpBrivelHelp = item(mnuHelp, "mnuHelpBrivelHelp", QStringLiteral("&Brivel Help"), false);
    mnuHelpAboutBrivel =
        item(mnuHelp, "mnuHelpAboutBrivel", QStringLiteral("&About Brivel"), false);

    // Drop-down menus are windows of their own and do not inherit the font.
    for (QMenu *menu : {mnuFile, mnuOptions, mnuHelp})
        menu->setFont(font());
}

void frmTimer::wireHandlers()
{
    connect(cmdGo, &QPushButton::clicked, this, &frmTimer::cmdGo_Click);
    connect(cmdPause, &QPushButton::clicked, this, &frmTimer::cmdPause_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmTimer::cmdReset_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmTimer::cmdExit_Click);
    connect(Timer2, &Timer2::Timer, this, &frmTimer::Timer2_Timer);

    // Qt flips a check mark before the click reaches the handler; every
    // handler here reads the mark as it was and sets marks itself.
    const auto wire = [this](QAction *action, void (frmTimer::*handler)()) {
        connect(action, &QAction::triggered, this, [this, action, handler] {
            if (action->isCheckable()) {
                const QSignalBlocker block(action);
                action->setChecked(!action->isChecked());
            }
            (this->*handler)();
        });
    };
    wire(mnuFileReset, &frmTimer::mnuFileReset_Click);
    wire(mnuFileExit, &frmTimer::mnuFileExit_Click);
    wire(mnuAlwaysOnTop, &frmTimer::mnuAlwaysOnTop_Click);
    wire(mnuOptionsMute, &frmTimer::mnuOptionsMute_Click);
    wire(mnuNewPhone, &frmTimer::mnuNewPhone_Click);
    wire(mnuOldPhone, &frmTimer::mnuOldPhone_Click);
    wire(mnuOptionsSoundPicker, &frmTimer::mnuOptionsSoundPicker_Click);
    wire(mnuHelpBrivelHelp, &frmTimer::mnuHelpBrivelHelp_Click);
    wire(mnuHelpAboutBrivel, &frmTimer::mnuHelpAboutBrivel_Click);
}

void frmTimer::Form_Load()
{
    blWav = false;
    if (m_platform.waveOutDeviceCount() > 0)
        blWav = true;
    lblLabel1->setText(kPrompt);
    cmdReset->setEnabled(false);
    cmdPause->setEnabled(false);
    blPaused = false;
    const QString folder = m_platform.programFolder();
    const QString newPhone = folder + QStringLiteral("/Phonenew.wav");
    const QString oldPhone = folder + QStringLiteral("/Phonerng.wav");
    m_WaveFile = m_platform.GetSetting(settings::Application, settings::Section, settings::Current,
                                       newPhone);
    // A built-in ring stored from a program folder that is gone (a build
    // folder deleted, a package installed instead) is still that ring: the
    // user chose the ring, not its folder. The store keeps what the user
    // last chose until the next choice.
    const QString name = m_WaveFile.section(QLatin1Char('/'), -1);
    if ((name == QLatin1String("Phonenew.wav") || name == QLatin1String("Phonerng.wav"))
        && m_WaveFile != folder + QLatin1Char('/') + name && !m_platform.fileExists(m_WaveFile)) {
        qCDebug(lcSettings) << "stored ring" << m_WaveFile << "is gone: this folder's is used";
        m_WaveFile = folder + QLatin1Char('/') + name;
    }
    if (m_WaveFile == newPhone) {
        mnuNewPhone->setChecked(true);
        mnuOldPhone->setChecked(false);
    } else if (m_WaveFile == oldPhone) {
        mnuOldPhone->setChecked(true);
        mnuNewPhone->setChecked(false);
    } else {
        mnuOldPhone->setChecked(false);
        mnuNewPhone->setChecked(false);
    }
    txtMemo->setMaxLength(20);

    centreOnScreen();
    txtNumMin->setFocus();
}

void frmTimer::centreOnScreen()
{
    // A window's position is that of its frame; before the window manager
    // has framed the window, the frame is the window itself.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameGeometry().size(),
                                 screen->availableGeometry())
                 .topLeft());
}

void frmTimer::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    m_whenFramed.shown();
}

void frmTimer::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    m_whenFramed.moved();
}

void frmTimer::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Timer2->setEnabled(false);
    close();
    deleteLater();
}

void frmTimer::closeEvent(QCloseEvent *event)
{
    // The close box does what Exit does, picker included.
    if (!m_unloaded) {
        if (frmSoundPkr *picker = Forms::SoundPkrIfLoaded())
            picker->Unload();
        m_unloaded = true;
        Timer2->setEnabled(false);
        deleteLater();
    }
    if (std::exchange(m_notified, false))
        m_platform.withdrawNotification();
    event->accept();
}

void frmTimer::cmdGo_Click()
{
    highlightMemo(false);
    const MinutesEntry entry = classifyMinutes(txtNumMin->text());
    switch (entry.kind) {
    case EntryKind::Empty:
        m_platform.messageBox(kTypeMinutes, this);
        return;
    case EntryKind::NotNumeric:
        m_platform.messageBox(kTypeMinutes, this);
        selectEntry();
        return;
    case EntryKind::AboveMaximum:
        m_platform.messageBox(kMaximum, this);
        selectEntry();
        return;
    case EntryKind::Valid:
        break;
    }
    lngTotalSecs = entry.totalSecs;
    m_typedMinutes = txtNumMin->text().trimmed();
    // A new countdown takes the last alarm's notification away; the first
    // also finds the desktop's notification service ahead of its alarm.
    m_notified = false;
    m_platform.withdrawNotification();
    lblLabel1->setText(QString());
    const Counters counters = splitTotal(lngTotalSecs);
    lngHours = counters.hours;
    lngMins = counters.mins;
    lngSecs = counters.secs;
    blHook = false;
    blOnOff = false;
    cmdGo->setEnabled(false);
    cmdReset->setEnabled(true);
    cmdPause->setEnabled(true);
    moveFocus(cmdPause);
    // Have the alarm ready so that it sounds on its tick, not after a load.
    if (blWav)
        m_platform.preloadWave(m_WaveFile);
    Timer2->setInterval(TickIntervalMs);
    Timer2->setEnabled(true);
}

void frmTimer::Timer2_Timer()
{
    blOnOff = !blOnOff;

    if (lngHours == 0 && lngMins == 0 && lngSecs == 1) {
        if (!mnuOptionsMute->isChecked()) {
            if (blWav && !blHook) {
                MSysSnd::PlayWav(m_WaveFile, False);
                blHook = true;
            } else {
                m_platform.beep();
            }
        }
        highlightMemo(true);
        // A user working in another window is asked to look, until this
        // window is activated.
        if (isVisible() && !isActiveWindow() && !m_attention && windowHandle()) {
            m_attention = true;
            m_platform.setDemandsAttention(windowHandle(), true);
            notifyAlarm();
        }
        moveFocus(txtNumMin);
        cmdGo->setEnabled(true);
        cmdReset->setEnabled(false);
        cmdPause->setEnabled(false);
    }

    if (lngHours == 0 && lngMins == 0 && lngSecs == 0) {
        Timer2->setEnabled(false);
        lblLabel1->setText(kPrompt);
        setWindowTitle(kTitle);
        txtNumMin->setText(QString());
        cmdGo->setEnabled(true);
        moveFocus(cmdGo);
        cmdReset->setEnabled(false);
        cmdPause->setEnabled(false);
    } else if (blOnOff) {
        countOneSecond();
        showRemaining();
    }
}

void frmTimer::notifyAlarm()
{
    // The memo says what the time was for; without one, the minutes set.
    const QString body = txtMemo->text().trimmed().isEmpty() ? m_typedMinutes : txtMemo->text();
    m_notified = true;
    m_platform.showNotification(body, [self = QPointer<frmTimer>(this)] {
        if (!self)
            return;
        self->setWindowState((self->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        self->show();
        self->raise();
        self->activateWindow();
    });
}

void frmTimer::countOneSecond()
{
    if (lngSecs != 0) {
        --lngSecs;
    } else if (lngMins != 0) {
        --lngMins;
        lngSecs = 59;
    } else {
        --lngHours;
        lngMins = 59;
        lngSecs = 59;
    }
}

void frmTimer::showRemaining()
{
    const QString shown = remainingText(lngHours, lngMins, lngSecs);
    txtNumMin->setText(shown);
    setWindowTitle(kTitle + QStringLiteral(" - ") + shown);
}

qint64 frmTimer::skipTicks(qint64 ticks)
{
    // The counting ticks of a long sleep, taken in one step: the count and
    // the phase end where the ticks would have left them, shown once. The
    // alarm tick and the expiry are left to the tick handler.
    qint64 taken = 0;
    bool counted = false;
    while (taken < ticks && !(lngHours == 0 && lngMins == 0 && (lngSecs == 1 || lngSecs == 0))) {
        ++taken;
        blOnOff = !blOnOff;
        if (!blOnOff)
            continue;
        counted = true;
        countOneSecond();
    }
    if (counted)
        showRemaining();
    return taken;
}

void frmTimer::cmdPause_Click()
{
    blPaused = !blPaused;
    Timer2->setEnabled(!blPaused);
    showPaused(blPaused);
}

void frmTimer::showPaused(bool paused)
{
    cmdPause->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    cmdPause->setToolTip(paused ? QStringLiteral("Resume Timer") : QStringLiteral("Pause Timer"));
}

void frmTimer::Reset()
{
    lblLabel1->setText(kPrompt);
    Timer2->setInterval(0);
    Timer2->setEnabled(false);
    txtNumMin->setText(QString());
    setWindowTitle(kTitle);
    moveFocus(txtNumMin);
    cmdGo->setEnabled(true);
    cmdReset->setEnabled(false);
    cmdPause->setEnabled(false);
    // A countdown started after a reset must not run under a "Resume" button.
    blPaused = false;
    showPaused(false);
}

void frmTimer::cmdReset_Click()
{
    Reset();
}
void frmTimer::mnuFileReset_Click()
{
    Reset();
}

void frmTimer::cmdExit_Click()
{
    if (frmSoundPkr *picker = Forms::SoundPkrIfLoaded())
        picker->Unload();
    Unload();
}

void frmTimer::mnuFileExit_Click()
{
    cmdExit_Click();
}

void frmTimer::highlightMemo(bool on)
{
    QFont memoFont = txtMemo->font();
    memoFont.setBold(on);
    txtMemo->setFont(memoFont);
    // Plain text takes the desktop's own text colour, as a dark theme has it;
    // only the highlight fixes a colour.
    QPalette memoPalette;
    if (on)
        memoPalette.setColor(QPalette::Text, QColor(255, 0, 0));
    txtMemo->setPalette(memoPalette);
}

void frmTimer::txtMemo_Click()
{
    highlightMemo(false);
}

void frmTimer::txtNumMin_Click()
{
    highlightMemo(false);
    if (Timer2->Enabled() && cmdPause->isEnabled())
        moveFocus(cmdPause);
    else
        selectEntry();
}

void frmTimer::selectEntry()
{
    txtNumMin->setSelection(0, int(txtNumMin->text().size()));
    moveFocus(txtNumMin);
}

void frmTimer::moveFocus(QWidget *target)
{
    // A hidden window cannot take the focus; the tick goes on without it.
    if (isVisible() && target->isEnabled())
        target->setFocus();
}

void frmTimer::keyPressEvent(QKeyEvent *event)
{
    // The window's default button: Enter presses the focused button, or
    // Start when the focus is elsewhere and Start is enabled.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget())) {
            if (button->isEnabled())
                button->click();
        } else if (cmdGo->isEnabled()) {
            cmdGo->click();
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F1) {
        showContextHelp(HelpContextMain);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void frmTimer::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && m_attention && isActiveWindow()) {
        m_attention = false;
        m_platform.setDemandsAttention(windowHandle(), false);
    }
    if (event->type() == QEvent::ActivationChange && isActiveWindow()
        && std::exchange(m_notified, false))
        m_platform.withdrawNotification();
    // The window offers no maximize button, but some window managers draw
    // one regardless; a maximized or full-screen state is taken back.
    if (event->type() == QEvent::WindowStateChange
        && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
            },
            Qt::QueuedConnection);
    }
    QMainWindow::changeEvent(event);
}

} // namespace brivel

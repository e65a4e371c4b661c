// SPDX-License-Identifier: MIT
#pragma once

#include "platform/WhenFramed.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace brivel {

class Platform;
class Timer2;

// Tick interval of the countdown: two ticks make one displayed second.
inline constexpr int TickIntervalMs = 500;
inline constexpr int HelpContextMain = 1;
inline constexpr int HelpContextOptions = 2;
inline constexpr int HelpContextSoundPicker = 3;

// The main window: the countdown, its state and its menus.
class frmTimer : public QMainWindow {
    Q_OBJECT
public:
    explicit frmTimer(Platform &platform);
    ~frmTimer() override;

    // Members shared with the rest of the program.
    bool blHook = false;
    bool blOnOff = false;
    QString m_WaveFile;
    bool blWav = false;
    qint32 lngTotalSecs = 0;
    qint32 lngHours = 0;
    qint32 lngMins = 0;
    qint32 lngSecs = 0;

    // Controls.
    QLineEdit *txtNumMin = nullptr;
    QPushButton *cmdGo = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdPause = nullptr;
    QLabel *lblLabel1 = nullptr;
    QLineEdit *txtMemo = nullptr;
    QLabel *lblMemo = nullptr;
    brivel::Timer2 *Timer2 = nullptr;

    // Menus.
    QMenu *mnuFile = nullptr;
    QAction *mnuFileReset = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuOptions = nullptr;
    QAction *mnuAlwaysOnTop = nullptr;
    QAction *mnuOptionsMute = nullptr;
    QAction *mnuOptionsSep1 = nullptr;
    QAction *mnuNewPhone = nullptr;
    QAction *mnuOldPhone = nullptr;
    QAction *mnuOptionsSep2 = nullptr;
    QAction *mnuOptionsSoundPicker = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpBrivelHelp = nullptr;
    QAction *mnuHelpAboutBrivel = nullptr;

    // Load and unload.
    void Form_Load();
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

    // Handlers: each runs to completion, as a click would.
    void cmdGo_Click();
    void Timer2_Timer();
    void cmdPause_Click();
    void cmdReset_Click();
    void cmdExit_Click();
    void mnuFileReset_Click();
    void mnuFileExit_Click();
    void txtMemo_Click();
    void txtNumMin_Click();
    // Alarm choice (sound/).
    void mnuNewPhone_Click();
    void mnuOldPhone_Click();
    void mnuOptionsMute_Click();
    void mnuOptionsSoundPicker_Click();
    // Window services (about/).
    void mnuAlwaysOnTop_Click();
    void mnuHelpBrivelHelp_Click();
    void mnuHelpAboutBrivel_Click();

    // About and the sound picker take the main window's Always On Top state,
    // on or off, at each show; called when each is shown (about/).
    void keepAboveWhileOnTop(QWidget &window);

    // F1: the help topic of what is active or highlighted (about/).
    void showContextHelp(int topic);
    // F1 inside the open menus (about/).
    void installContextHelp();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void wireHandlers();
    void Reset();
    qint64 skipTicks(qint64 ticks);
    // One second off the counters, and the counters shown in the entry and title.
    void countOneSecond();
    void showRemaining();
    // Bold red at the alarm; plain, in the desktop's text colour, otherwise.
    void highlightMemo(bool on);
    // The Pause button's caption and tooltip: "Resume" while paused.
    void showPaused(bool paused);
    // The desktop notification of the alarm, for a user looking elsewhere.
    void notifyAlarm();
    void moveFocus(QWidget *target);
    void selectEntry();
    void centreOnScreen();

    Platform &m_platform;
    bool blPaused = false;
    bool m_unloaded = false;
    // The desktop was asked for attention at the alarm.
    bool m_attention = false;
    // ... and notified; the minutes of the countdown as typed.
    bool m_notified = false;
    QString m_typedMinutes;
    // The framed window is centred once, in the turn it is framed, so that
    // neither the user nor a hide and show meet it where it was before.
    WhenFramed m_whenFramed{*this, 20, [this] { centreOnScreen(); }};
};

// Brivel's fonts: the designed face first, then faces of the same width
// class that exist on Linux desktops.
QFont designFont(qreal pointSize, bool bold = false);

} // namespace brivel

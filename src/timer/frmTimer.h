// SPDX-License-Identifier: MIT
#pragma once

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

    bool paused() const { return blPaused; }

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

    // While the main window is always on top, About and the sound picker
    // are kept above too; called after each is shown (about/).
    void keepAboveWhileOnTop(QWidget &window);

    // F1: the help topic of what is active or highlighted (about/).
    void showContextHelp(int topic);
    // F1 inside the open menus (about/).
    void installContextHelp();

    Platform &platform() { return m_platform; }

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
    // The desktop notification of the alarm, for a user looking elsewhere.
    void notifyAlarm();
    void clearMemoHighlight();
    void moveFocus(QWidget *target);
    void selectEntry();
    void centreOnScreen();
    void centreWhenFramed(int triesLeft);

    Platform &m_platform;
    bool blPaused = false;
    bool m_unloaded = false;
    // The desktop was asked for attention at the alarm.
    bool m_attention = false;
    // ... and notified; the minutes of the countdown as typed.
    bool m_notified = false;
    QString m_typedMinutes;
    // From the first show until the framed window is centred (or the
    // window manager is given up on).
    bool m_framePending = true;
};

// Brivel's fonts: the designed face first, then faces of the same width
// class that exist on Linux desktops.
QFont designFont(qreal pointSize, bool bold = false);

} // namespace brivel

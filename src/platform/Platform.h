// SPDX-License-Identifier: MIT
#pragma once

#include "ViewerProtocol.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;
class QWindow;

namespace brivel {

class MachineHive;

// The seam between Brivel and the operating system. Windows and logic reach
// settings, sound, stacking, notifications, programs, files, message boxes,
// the clock and the machine hive through this interface, so every test can
// run over a fake. Not through it: the sound picker's lists, which read
// volumes and folders themselves (sound/PickerLists.h says why).
class Platform {
public:
    virtual ~Platform() = default;

    // Per-user settings store. A section such as "Settings\WaveFile" nests
    // groups; values are strings.
    virtual QString GetSetting(const QString &application, const QString &section,
                               const QString &key, const QString &defaultValue) = 0;
    virtual void SaveSetting(const QString &application, const QString &section, const QString &key,
                             const QString &value) = 0;

    // Sound.
    virtual int waveOutDeviceCount() = 0;
    // Load a wave file ahead of its use so that playing it starts at once.
    virtual void preloadWave(const QString &path) = 0;
    // Play a wave file by path. Asynchronous when wait is false: returns at
    // once and the sound plays to its end. Synchronous otherwise. A file that
    // cannot be played sounds the standard beep in its place. Never throws.
    virtual void playWave(const QString &path, bool wait) = 0;
    virtual void beep() = 0;

    // Keep a window above others, or release it, without moving or resizing
    // it. False where the platform cannot do it.
    virtual bool setTopMost(QWindow *window, bool topMost) = 0;
    // Ask the desktop for the user's attention to a window that is not the
    // active one (urgency), or end that request. A no-op where the platform
    // cannot do it.
    virtual void setDemandsAttention(QWindow *window, bool demand) = 0;
    // The alarm's desktop notification, one at a time: shown (replacing the
    // last), activate run when the user clicks it, or withdrawn. Neither
    // waits; without a notification service nothing happens. The first
    // withdrawal, at the first Start, finds the service ahead of the alarm.
    virtual void showNotification(const QString &body, std::function<void()> activate) = 0;
    virtual void withdrawNotification() = 0;
    // Keep a top-level window off the task bar. Called before the window is
    // mapped; a no-op where the platform cannot do it.
    virtual void hideFromTaskbar(QWindow *window) = 0;

    // Start a command line without a shell and without waiting, shown as
    // showWindow says and, given a window's frame (not null), beside it.
    // Returns a task identifier, 0 when the program could not be started.
    virtual qint64 startProgram(const QString &commandLine, int showWindow,
                                const QRect &beside) = 0;
    virtual bool fileExists(const QString &path) = 0;

    // The folder of the running executable, without a trailing separator
    // unless it is the root folder.
    virtual QString programFolder() = 0;
    // Absolute path of the help file, fixed when the program is built.
    virtual QString helpFilePath() = 0;

    // Modal message box: the text, an OK button only, no icon, title "Brivel",
    // owned by the window it belongs to so that the window manager keeps it
    // above that window, topmost or not.
    virtual void messageBox(const QString &text, QWidget *owner) = 0;

    // Monotonic milliseconds that go on counting while the machine sleeps.
    virtual qint64 clockMs() = 0;

    // The read-only machine-wide registry hive (HKEY_LOCAL_MACHINE).
    virtual MachineHive &machineHive() = 0;
};

} // namespace brivel

// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"
#include "SettingsStore.h"

#include <memory>

namespace brivel {

class DesktopNotifier;
class SoundPlayer;

// The platform on a Linux desktop: QSettings for the store, the sound module
// over the sound server, the window manager for stacking.
class LinuxPlatform : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    // Picks the windowing system before the application object is made: in
    // a Wayland session that also offers an X server (Xwayland), X11, where
    // windows may stay on top and place themselves. A choice the user made
    // in QT_QPA_PLATFORM stands. Programs Brivel starts inherit the choice.
    static void chooseWindowingSystem();

    QString GetSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue) override;
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;

    int waveOutDeviceCount() override;
    void preloadWave(const QString &path) override;
    void playWave(const QString &path, bool wait) override;
    void beep() override;

    bool setTopMost(QWindow *window, bool topMost) override;
    void hideFromTaskbar(QWindow *window) override;
    void setDemandsAttention(QWindow *window, bool demand) override;
    void showNotification(const QString &body, std::function<void()> activate) override;
    void withdrawNotification() override;

    qint64 startProgram(const QString &commandLine, int showWindow, const QRect &beside) override;
    bool fileExists(const QString &path) override;
    QString programFolder() override;
    QString helpFilePath() override;

    void messageBox(const QString &text, QWidget *owner) override;
    qint64 clockMs() override;
    MachineHive &machineHive() override;

private:
    DesktopNotifier &notifier();

    std::unique_ptr<SoundPlayer> m_sound;
    std::unique_ptr<MachineHive> m_hive;
    // Made at the first countdown: the bus costs nothing at start.
    std::unique_ptr<DesktopNotifier> m_notifier;
};

} // namespace brivel

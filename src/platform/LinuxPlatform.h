// SPDX-License-Identifier: MIT
#pragma once

#include "Platform.h"
#include "SettingsStore.h"

#include <memory>

namespace brivel {

class SoundPlayer;

// The platform on a Linux desktop: QSettings for the store, the sound module
// over the sound server, the window manager for stacking.
class LinuxPlatform : public Platform {
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

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

    qint64 startProgram(const QString &commandLine, int showWindow) override;
    bool fileExists(const QString &path) override;
    QString programFolder() override;
    QString helpFilePath() override;

    void messageBox(const QString &text) override;
    qint64 clockMs() override;
    MachineHive &machineHive() override;

private:
    std::unique_ptr<SoundPlayer> m_sound;
    std::unique_ptr<MachineHive> m_hive;
};

} // namespace brivel

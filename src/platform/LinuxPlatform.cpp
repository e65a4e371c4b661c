// SPDX-License-Identifier: MIT
#include "LinuxPlatform.h"

#include "BuildConfig.h"
#include "MachineHive.h"
#include "ProgramStarter.h"
#include "SoundPlayer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMessageBox>
#include <QSettings>
#include <QWindow>

#include <ctime>

namespace brivel {

QString settingsKey(const QString &section, const QString &key)
{
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + key;
}

LinuxPlatform::LinuxPlatform()
    : m_sound(std::make_unique<SoundPlayer>()),
      m_hive(std::make_unique<MachineHive>(QStringLiteral(BRIVEL_MACHINE_HIVE)))
{
}

LinuxPlatform::~LinuxPlatform() = default;

QString LinuxPlatform::GetSetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultValue)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application, application);
    const QVariant value = store.value(settingsKey(section, key));
    if (!value.isValid())
        return defaultValue;
    return value.toString();
}

void LinuxPlatform::SaveSetting(const QString &application, const QString &section,
                                const QString &key, const QString &value)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, application, application);
    store.setValue(settingsKey(section, key), value);
    store.sync();
}

int LinuxPlatform::waveOutDeviceCount() { return int(QMediaDevices::audioOutputs().size()); }

void LinuxPlatform::preloadWave(const QString &path) { m_sound->preload(path); }

void LinuxPlatform::playWave(const QString &path, bool wait) { m_sound->play(path, wait); }

void LinuxPlatform::beep() { QApplication::beep(); }

bool LinuxPlatform::setTopMost(QWindow *window, bool topMost)
{
    if (!window)
        return false;
    const QString qpa = QGuiApplication::platformName();
    if (qpa.startsWith(QLatin1String("wayland")))
        return false;
    window->setFlag(Qt::WindowStaysOnTopHint, topMost);
    return true;
}

qint64 LinuxPlatform::startProgram(const QString &commandLine, int showWindow)
{
    return startCommandLine(commandLine, showWindow, programFolder());
}

bool LinuxPlatform::fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

QString LinuxPlatform::programFolder() { return QCoreApplication::applicationDirPath(); }

QString LinuxPlatform::helpFilePath() { return QStringLiteral(BRIVEL_HELP_FILE); }

void LinuxPlatform::messageBox(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Brivel"), shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

qint64 LinuxPlatform::clockMs()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

MachineHive &LinuxPlatform::machineHive() { return *m_hive; }

} // namespace brivel

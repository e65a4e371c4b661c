// SPDX-License-Identifier: MIT
// Shared by the fault tests: the real platform with messages, beeps and
// (unless realSound) sounds recorded, a program folder, help file and
// machine hive of the test's choosing, and cases run as an ordinary user.
#pragma once

#include "platform/LinuxPlatform.h"
#include "platform/MachineHive.h"
#include "timer/Forms.h"

#include <QApplication>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <memory>
#include <unistd.h>

namespace brivel::test {

class FaultPlatform : public LinuxPlatform {
public:
    QString programFolder() override { return folder; }
    QString helpFilePath() override { return helpFile; }
    void messageBox(const QString &text) override { messages.append(text); }
    void beep() override { ++beeps; }
    int waveOutDeviceCount() override
    {
        return realSound ? LinuxPlatform::waveOutDeviceCount() : 1;
    }
    void playWave(const QString &path, bool wait) override
    {
        if (realSound)
            LinuxPlatform::playWave(path, wait);
        else
            plays.append(path);
    }
    MachineHive &machineHive() override
    {
        if (!m_hive || m_hive->path() != hivePath)
            m_hive = std::make_unique<MachineHive>(hivePath);
        return *m_hive;
    }

    QString folder = QStringLiteral(BRIVEL_PROGRAM_DIR);
    QString helpFile = QStringLiteral(BRIVEL_PROGRAM_DIR "/Brivel Help.hlp");
    QString hivePath;
    bool realSound = false;
    QStringList messages, plays;
    int beeps = 0;

private:
    std::unique_ptr<MachineHive> m_hive;
};

// Where the real store keeps Brivel's file for this process.
inline QString storeFile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brivel"),
                     QStringLiteral("Brivel"))
        .fileName();
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void unloadWindows()
{
    Forms::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Before QApplication: a private HOME and settings store for this process.
inline void privateHome(QTemporaryDir &home)
{
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
}

// The main of a fault test: its own HOME, then the widgets.
#define BRIVEL_FAULT_MAIN(TestClass)                                                               \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QTemporaryDir home;                                                                        \
        test::privateHome(home);                                                                   \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// Permissions do not hold for root: runs the current case again in a child
// process as "nobody" (whose main sets up its own HOME); true if it passed.
inline bool passesAsNobody(QString *output)
{
    QString testCase = QLatin1String(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        testCase += QLatin1Char(':') + QLatin1String(QTest::currentDataTag());
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([] {
        const gid_t nobody = 65534;
        if (setgroups(1, &nobody) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(99);
    });
    child.start(QCoreApplication::applicationFilePath(), {testCase});
    const bool done = child.waitForFinished(60000);
    *output = QString::fromLocal8Bit(child.readAll());
    return done && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

} // namespace brivel::test

#define BRIVEL_AS_NOBODY()                                                                         \
    do {                                                                                           \
        if (geteuid() == 0) {                                                                      \
            QString output;                                                                        \
            QVERIFY2(brivel::test::passesAsNobody(&output), qPrintable(output));                   \
            return;                                                                                \
        }                                                                                          \
    } while (false)

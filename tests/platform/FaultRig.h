// SPDX-License-Identifier: MIT
// Shared by the fault tests: the real platform with the message box
// recorded (a test never waits for a click) and a folder, help file and
// machine hive of the test's choosing, and a way to run a case as an
// ordinary user when the tests run as root.
#pragma once

#include "platform/LinuxPlatform.h"
#include "platform/MachineHive.h"
#include "sound/PickerLists.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
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
    QStringList messages;
    QStringList plays;
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

// Clicks a file in the picker's file list as the user would; false when the
// list does not show it.
inline bool clickFile(frmSoundPkr &picker, const QString &name)
{
    const QList<QListWidgetItem *> found = picker.bxFiles->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    picker.bxFiles->scrollToItem(found.first());
    const QPoint at = picker.bxFiles->visualItemRect(found.first()).center();
    QTest::mouseClick(picker.bxFiles->viewport(), Qt::LeftButton, {}, at);
    return picker.bxFiles->FileName() == name;
}

// A double click as the desktop delivers it: press, release, then the
// double click and its release.
inline void doubleClick(QWidget *widget, const QPoint &at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

// Permissions do not hold for root: a case about them runs again in a child
// process of this test as "nobody". The child's main sets up its own HOME.
constexpr uid_t NobodyId = 65534;

inline bool isRoot()
{
    return geteuid() == 0;
}

// Runs the current case of this executable again as "nobody"; true when it
// passed there.
inline bool passesAsNobody(QString *output)
{
    QString testCase = QLatin1String(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        testCase += QLatin1Char(':') + QLatin1String(QTest::currentDataTag());
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({testCase});
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([] {
        const gid_t group = NobodyId;
        if (setgroups(1, &group) != 0 || setgid(NobodyId) != 0 || setuid(NobodyId) != 0)
            _exit(99);
    });
    child.start();
    const bool done = child.waitForFinished(60000);
    *output = QString::fromLocal8Bit(child.readAll());
    return done && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

// Before QApplication: a private HOME and settings store for this process.
inline void privateHome(QTemporaryDir &home)
{
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
}

} // namespace brivel::test

// As root, run the rest of the case as an ordinary user in a child process.
#define BRIVEL_AS_NOBODY()                                                                         \
    do {                                                                                           \
        if (brivel::test::isRoot()) {                                                              \
            QString output;                                                                        \
            QVERIFY2(brivel::test::passesAsNobody(&output), qPrintable(output));                   \
            return;                                                                                \
        }                                                                                          \
    } while (false)

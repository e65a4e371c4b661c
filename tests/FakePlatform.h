// SPDX-License-Identifier: MIT
#pragma once

#include "platform/MachineHive.h"
#include "platform/Platform.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace brivel::test {

// A platform that records what Brivel asks of the operating system and
// answers from fields a test sets. Nothing here blocks or touches the desktop.
class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    QString GetSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue) override;
    void SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;

    int waveOutDeviceCount() override { return waveDevices; }
    void preloadWave(const QString &path) override { preloaded.append(path); }
    void playWave(const QString &path, bool wait) override;
    void beep() override { ++beeps; }

    bool setTopMost(QWindow *window, bool topMost) override;
    void hideFromTaskbar(QWindow *window) override { offTaskbar.append(window); }
    void setDemandsAttention(QWindow *w, bool on) override { attention.append({w, on}); }

    qint64 startProgram(const QString &commandLine, int showWindow) override;
    bool fileExists(const QString &path) override { return existingFiles.contains(path); }
    QString programFolder() override { return folder; }
    QString helpFilePath() override { return helpFile; }

    void messageBox(const QString &text) override;
    qint64 clockMs() override { return now; }
    MachineHive &machineHive() override;

    // Moves the fake clock on.
    void advance(qint64 ms) { now += ms; }

    // Answers.
    int waveDevices = 1;
    QString folder = QStringLiteral("/opt/brivel");
    QString helpFile = QStringLiteral("/opt/brivel/Brivel Help.hlp");
    QStringList existingFiles;
    bool topMostResult = true;
    qint64 startResult = 4242; // 0: the start fails
    QString hivePath;          // machine hive file; empty: none
    qint64 now = 1'000'000;
    // playWave fails with an exception, as a broken sound service would.
    bool playThrows = false;
    // Runs inside messageBox, as the user would while the box is up.
    std::function<void(const QString &)> onMessageBox;

    // Records.
    QHash<QString, QString> settings; // "Brivel|Settings\WaveFile|Current" -> value
    int saves = 0;
    struct Play {
        QString path;
        bool wait;
        qint64 at;
    };
    QList<Play> plays;
    QStringList preloaded;
    int beeps = 0;
    struct Stack {
        QWindow *window;
        bool topMost;
    };
    QList<Stack> stackings;
    QList<QWindow *> offTaskbar;
    QList<Stack> attention; // (window, demanded or ended)
    struct Start {
        QString commandLine;
        int showWindow;
    };
    QList<Start> starts;
    QStringList messages;

    static QString storeKey(const QString &application, const QString &section, const QString &key);
    // Convenience for the one section Brivel uses.
    QString stored(const QString &key) const;

private:
    std::unique_ptr<MachineHive> m_hive;
};

} // namespace brivel::test

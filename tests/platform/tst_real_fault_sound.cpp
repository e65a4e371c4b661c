// SPDX-License-Identifier: MIT
// The alarm on the real sound server when the alarm file or the server is
// at fault: the alarm tick returns at once whatever happens, and the user
// hears the wave or the beep in its place.
#include "FaultRig.h"
#include "RealDesktop.h"

#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <csignal>
#include <iostream>
#include <string>

using namespace brivel;
using test::FaultPlatform;

namespace {

// Generous: the tick must never wait for the sound, which takes seconds.
constexpr qint64 TickBoundMs = 200;

QByteArray le(quint32 v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += char(v >> (8 * i));
    return out;
}

// A wave of 16-bit stereo whose data chunk claims dataBytes; only its first
// second is written (loud), the rest is a hole of silence.
bool writeHugeWave(const QString &path, qint64 dataBytes)
{
    QByteArray tone;
    for (int i = 0; i < 44100; ++i) {
        const auto s = qint16(std::lround(16000 * std::sin(2 * M_PI * 1000.0 * i / 44100)));
        tone += le(quint16(s), 2) + le(quint16(s), 2);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
           && file.write("RIFF" + le(quint32(36 + dataBytes), 4) + "WAVEfmt " + le(16, 4) + le(1, 2)
                         + le(2, 2) + le(44100, 4) + le(44100 * 4, 4) + le(4, 2) + le(16, 2)
                         + "data" + le(quint32(dataBytes), 4) + tone)
                  > 0
           && file.resize(44 + dataBytes);
}

// A countdown of one second with its four ticks delivered as the timer would:
// 00:00:01, the first alarm tick (the wave), the second (a beep) and the
// expiry. The longest tick, in milliseconds.
qint64 alarmTicks(frmTimer &w)
{
    w.txtNumMin->setText(QStringLiteral("0.02"));
    w.cmdGo->click();
    qint64 longest = 0;
    for (int tick = 0; tick < 4; ++tick) {
        QElapsedTimer clock;
        clock.start();
        w.Timer2_Timer();
        longest = std::max(longest, clock.elapsed());
    }
    return longest;
}

// Runs in a child process whose sound server is missing or goes away:
// 0 when the alarm beeped in time.
int serverChild(const QByteArray &mode)
{
    FaultPlatform platform;
    platform.realSound = true;
    Forms::setPlatform(&platform);
    frmTimer &w = Forms::Timer();
    w.show();
    if (mode == "gone") {
        if (!w.blWav)
            return 10;
        // The parent stops the server now.
        std::cout << "loaded" << std::endl;
        std::string line;
        std::getline(std::cin, line);
    } else if (w.blWav) {
        return 11;
    }
    const qint64 longest = alarmTicks(w);
    if (longest >= TickBoundMs)
        return 12;
    // Without a device both ticks beep at once; with a device that went
    // away, the wave fails and beeps, and the second tick beeps.
    if (!QTest::qWaitFor([&platform] { return platform.beeps >= 2; }, 10000))
        return 13;
    const bool idle = w.cmdGo->isEnabled() && w.windowTitle() == QLatin1String("Brivel");
    test::unloadWindows();
    return idle ? 0 : 14;
}

} // namespace

class TestRealFaultSound : public QObject {
    Q_OBJECT

    std::unique_ptr<FaultPlatform> platform;

private slots:
    void init()
    {
        platform = std::make_unique<FaultPlatform>();
        platform->realSound = true;
        Forms::setPlatform(platform.get());
    }
    void cleanup()
    {
        test::unloadWindows();
        platform.reset();
    }

    // Alarm files that cannot be played beep instead; the tick never waits.
    void badAlarmFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("text named .wav") << QByteArray("ring ring\n");
        QTest::newRow("header cut short") << QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16);
        QTest::newRow("a folder") << QByteArray("/");
    }
    void badAlarmFile()
    {
        QFETCH(QByteArray, content);
        BRIVEL_REQUIRE_SOUND();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("alarm.wav"));
        if (content == "/") {
            QVERIFY(QDir().mkdir(path));
        } else if (!content.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        platform->SaveSetting(QStringLiteral("Brivel"), QStringLiteral("Settings\\WaveFile"),
                              QStringLiteral("Current"), path);
        frmTimer &w = Forms::Timer();
        w.show();
        QVERIFY(w.blWav);
        QCOMPARE(w.m_WaveFile, path);

        const qint64 longest = alarmTicks(w);
        QVERIFY2(longest < TickBoundMs, qPrintable(QString::number(longest)));
        // The second tick beeps at once; the failed wave beeps on its own.
        QCOMPARE(platform->beeps, 1);
        QTRY_COMPARE(platform->beeps, 2);
        QVERIFY(w.cmdGo->isEnabled() && w.windowTitle() == QLatin1String("Brivel"));
    }

    // A two-gigabyte alarm plays (its first second is loud) without
    // stalling the tick, and ending the program does not wait for it.
    void hugeAlarmFile()
    {
        BRIVEL_REQUIRE_SOUND();
        test::SinkRecorder sink;
        QVERIFY(sink.start());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("huge.wav"));
        QVERIFY(writeHugeWave(path, qint64(2) << 30));
        platform->SaveSetting(QStringLiteral("Brivel"), QStringLiteral("Settings\\WaveFile"),
                              QStringLiteral("Current"), path);
        frmTimer &w = Forms::Timer();
        w.show();

        const double started = sink.now();
        const qint64 longest = alarmTicks(w);
        QVERIFY2(longest < TickBoundMs, qPrintable(QString::number(longest)));
        QVERIFY(sink.waitUntil(started + 1500));
        QVERIFY(!std::isnan(sink.firstLoud(started, started + 1500)));
        // Only the second tick's beep: the wave played.
        QCOMPARE(platform->beeps, 1);

        QElapsedTimer clock;
        clock.start();
        test::unloadWindows();
        platform.reset();
        QVERIFY(clock.elapsed() < 5000);
    }

    // No sound server at start, or the server goes away before the alarm.
    void soundServer_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::newRow("none") << QByteArray("none");
        QTest::newRow("gone") << QByteArray("gone");
    }
    void soundServer()
    {
        QFETCH(QByteArray, mode);
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("native"));
        QProcess server;
        if (mode == "gone") {
            BRIVEL_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty(),
                           "pulseaudio");
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir.path());
            env.insert(QStringLiteral("PULSE_STATE_PATH"), dir.path());
            server.setProcessEnvironment(env);
            server.start(
                QStringLiteral("pulseaudio"),
                {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                 QStringLiteral("--use-pid-file=no"), QStringLiteral("--exit-idle-time=-1"),
                 QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
                 QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket,
                 QStringLiteral("-L"), QStringLiteral("module-null-sink")});
            QVERIFY(server.waitForStarted(5000));
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);
        }

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVEL_FAULT_CHILD"), QString::fromLatin1(mode));
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted(5000));
        if (mode == "gone") {
            QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine() || child.state() != QProcess::Running,
                                     20000);
            QCOMPARE(child.readLine().trimmed(), QByteArray("loaded"));
            server.kill();
            QVERIFY(server.waitForFinished(5000));
            child.write("go\n");
        }
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    test::prepareRealTest(home);
    QApplication app(argc, argv);
    if (const QByteArray mode = qgetenv("BRIVEL_FAULT_CHILD"); !mode.isEmpty())
        return serverChild(mode);
    TestRealFaultSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_real_fault_sound.moc"

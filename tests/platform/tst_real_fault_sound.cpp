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
#include <QtEndian>

using namespace brivel;
using test::FaultPlatform;

namespace {

// Generous: the tick must never wait for the sound, which takes seconds.
constexpr qint64 TickBoundMs = 200;

// A one-second countdown with its four ticks delivered as the timer would:
// 00:00:01, the alarm (the wave), a beep and the expiry. The longest tick.
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

// In a child process with no sound server, or a private one it stops once
// the window is loaded: 0 when the alarm beeped in time instead of the wave.
int serverChild(const QByteArray &mode)
{
    QProcess server;
    if (mode == "gone") {
        const QString socket = qEnvironmentVariable("PULSE_SERVER").mid(5);
        server.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
             QStringLiteral("--use-pid-file=no"), QStringLiteral("--exit-idle-time=-1"),
             QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket,
             QStringLiteral("-L"), QStringLiteral("module-null-sink")});
        if (!QTest::qWaitFor([&socket] { return QFileInfo::exists(socket); }, 10000))
            return 9;
    }
    FaultPlatform platform;
    platform.realSound = true;
    Forms::setPlatform(&platform);
    frmTimer &w = Forms::Timer();
    w.show();
    if (!w.blWav) // not known yet at load: taken as a device
        return 10;
    server.kill();
    server.waitForFinished(5000);
    if (alarmTicks(w) >= TickBoundMs)
        return 12;
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
    QTemporaryDir dir;
    const QString alarm = dir.filePath(QStringLiteral("alarm.wav"));

    frmTimer &timerWith(const QString &path)
    {
        platform->SaveSetting(QStringLiteral("Brivel"), QStringLiteral("Settings\\WaveFile"),
                              QStringLiteral("Current"), path);
        frmTimer &w = Forms::Timer();
        w.show();
        return w;
    }

private slots:
    void init()
    {
        QFile::remove(alarm);
        QDir(alarm).removeRecursively();
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
        QTest::newRow("text named .wav") << QByteArray("ring ring\n");
        QTest::newRow("header cut short") << QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16);
        QTest::newRow("a folder") << QByteArray("/");
    }
    void badAlarmFile()
    {
        QFETCH(QByteArray, content);
        BRIVEL_REQUIRE_SOUND();
        QFile file(alarm);
        if (content == "/")
            QVERIFY(QDir().mkdir(alarm));
        else if (!content.isNull())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        frmTimer &w = timerWith(alarm);
        QVERIFY(w.blWav);
        const qint64 longest = alarmTicks(w);
        QVERIFY2(longest < TickBoundMs, qPrintable(QString::number(longest)));
        QCOMPARE(platform->beeps, 1); // the second tick's; the failed wave beeps later
        QTRY_COMPARE(platform->beeps, 2);
        QVERIFY(w.cmdGo->isEnabled() && w.windowTitle() == QLatin1String("Brivel"));
    }

    // A two-gigabyte alarm (the ring, then silence) plays without stalling
    // the tick, and ending the program does not wait for it.
    void hugeAlarmFile()
    {
        BRIVEL_REQUIRE_SOUND();
        test::SinkRecorder sink;
        QVERIFY(sink.start());
        const qint64 data = qint64(2) << 30;
        QByteArray head = test::fileBytes(QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonenew.wav"));
        qToLittleEndian(quint32(36 + data), head.data() + 4);
        qToLittleEndian(quint32(data), head.data() + 40);
        QFile file(alarm);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(head) == head.size());
        QVERIFY(file.resize(44 + data)); // sparse: silence that costs no disk
        file.close();
        frmTimer &w = timerWith(alarm);

        const double started = sink.now();
        const qint64 longest = alarmTicks(w);
        QVERIFY2(longest < TickBoundMs, qPrintable(QString::number(longest)));
        QVERIFY(sink.waitUntil(started + 1500));
        QVERIFY(!std::isnan(sink.firstLoud(started, started + 1500)));
        QCOMPARE(platform->beeps, 1); // only the second tick's: the wave played
        QElapsedTimer clock;
        clock.start();
        test::unloadWindows();
        platform.reset();
        QVERIFY(clock.elapsed() < 5000);
    }

    // No sound server at start (no device: the alarm beeps), or the server
    // goes away before the alarm.
    void soundServer_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::newRow("none") << QByteArray("none");
        QTest::newRow("gone") << QByteArray("gone");
    }
    void soundServer()
    {
        QFETCH(QByteArray, mode);
        if (mode == "gone")
            BRIVEL_REQUIRE(!QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty(),
                           "pulseaudio");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVEL_FAULT_CHILD"), QString::fromLatin1(mode));
        env.insert(QStringLiteral("PULSE_SERVER"),
                   "unix:" + dir.filePath(QStringLiteral("native")));
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir.path());
        env.insert(QStringLiteral("PULSE_STATE_PATH"), dir.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
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

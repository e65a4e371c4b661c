// SPDX-License-Identifier: MIT
// Every kind of wave heard whole at the sink with its own on/off pattern;
// the bell for what cannot play; a sound server that comes late is used.
#include "RealDesktop.h"

#include "timer/Forms.h"
#include "timer/frmTimer.h"

using namespace brivel;
using test::RealPlatform;
using test::SinkRecorder;

namespace {

const QString Ring = QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonenew.wav");

bool sox(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("sox"), QStringList{"-V1"} + args) == 0;
}

// Without a sound server, then with one started 8 s later on the socket of
// PULSE_SERVER: 0 when the load was quick, nothing hung and the ring was heard.
int lateServer()
{
    QElapsedTimer clock;
    clock.start();
    auto platform = std::make_unique<RealPlatform>();
    Forms::setPlatform(platform.get());
    if (!Forms::Timer().blWav || clock.elapsed() > 1000)
        return 10;
    platform->beep(); // no server: the X bell, at once
    platform->playWave(Ring, false);
    QTest::qWait(int(8000 - clock.elapsed()));
    const QString socket = qEnvironmentVariable("PULSE_SERVER").mid(5);
    QProcess server;
    server.start(QStringLiteral("pulseaudio"),
                 {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                  QStringLiteral("--exit-idle-time=-1"), QStringLiteral("-L"),
                  QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket,
                  QStringLiteral("-L"), QStringLiteral("module-null-sink")});
    SinkRecorder sink;
    if (!QTest::qWaitFor([&socket] { return QFileInfo::exists(socket); }, 10000) || !sink.start())
        return 11;
    const double call = sink.now();
    platform->playWave(Ring, false);
    if (!sink.waitUntil(call + 1500) || std::isnan(sink.firstLoud(call, call + 1500))
        || platform->beeps != 2)
        return 12;
    server.kill();
    server.waitForFinished();
    clock.restart();
    Forms::unloadAll();
    platform.reset();
    return clock.elapsed() < 3500 ? 0 : 13;
}

} // namespace

class TestRealAlarmSound : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<SinkRecorder> sink;

private slots:
    void initTestCase()
    {
        BRIVEL_REQUIRE_SOUND();
        sink = std::make_unique<SinkRecorder>();
        QVERIFY(sink->start());
        // 0.2 s on, 0.2 off, 0.4 on, 0.2 off, 0.2 on: no bell sounds like it.
        const QString on = dir.filePath(QStringLiteral("on.wav")),
                      off = dir.filePath(QStringLiteral("off.wav"));
        QVERIFY(sox({"-n", "-r", "48000", "-c", "1", on, "synth", "0.2", "sine", "660"}));
        QVERIFY(sox({"-n", "-r", "48000", "-c", "1", off, "trim", "0", "0.2"}));
        QVERIFY(sox({on, off, on, on, off, on, dir.filePath(QStringLiteral("pattern.wav"))}));
    }

    void encodings_data()
    {
        QTest::addColumn<QStringList>("format");
        QTest::newRow("8-bit") << QStringList{"-r", "11025", "-e", "unsigned", "-b", "8"};
        QTest::newRow("16-bit") << QStringList{"-r", "44100", "-c", "2", "-b", "16"};
        QTest::newRow("24-bit") << QStringList{"-t", "wavpcm", "-r", "48000", "-b", "24"};
        QTest::newRow("32-bit") << QStringList{"-t", "wavpcm", "-r", "96000", "-b", "32"};
        QTest::newRow("float 32") << QStringList{"-r", "22050", "-e", "float", "-b", "32"};
        QTest::newRow("float 64") << QStringList{"-r", "32000", "-e", "float", "-b", "64"};
        QTest::newRow("mu-law") << QStringList{"-r", "8000", "-e", "mu-law"};
        QTest::newRow("A-law") << QStringList{"-r", "8000", "-c", "2", "-e", "a-law"};
        QTest::newRow("IMA ADPCM") << QStringList{"-r", "22050", "-e", "ima-adpcm"};
        QTest::newRow("MS ADPCM") << QStringList{"-r", "11025", "-c", "2", "-e", "ms-adpcm"};
        QTest::newRow("GSM 6.10") << QStringList{"-r", "8000", "-e", "gsm-full-rate"};
        QTest::newRow("extensible") << QStringList{"-r", "44100", "-c", "4", "-b", "24"};
    }
    void encodings()
    {
        QFETCH(QStringList, format);
        const QString file = dir.filePath(QStringLiteral("alarm.wav"));
        QVERIFY(sox(QStringList{dir.filePath(QStringLiteral("pattern.wav"))} + format << file));
        RealPlatform platform;
        const double call = sink->now();
        platform.playWave(file, false);
        QVERIFY(sink->waitUntil(call + 2000));
        const double t = sink->firstLoud(call, call + 700);
        QVERIFY2(t - call < 200, qPrintable(QString::number(t - call)));
        for (const auto &[from, loud] : {std::pair{230, false}, {430, true}, {760, true},
                                         {840, false}, {1030, true}, {1240, false}})
            QVERIFY2(std::isnan(sink->firstLoud(t + from, t + from + 130)) != loud,
                     qPrintable(QString::number(from)));
        const double last = sink->lastLoud(t, call + 2000);
        QVERIFY2(std::abs(last - t - 1200) < 30, qPrintable(QString::number(last - t)));
        QCOMPARE(platform.beeps, 0);
    }

    // What cannot play sounds the desktop's bell at the sink instead.
    void bell_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("broken") << QByteArray("RIFF\x24\x00\x00\x00WAVEfmt junk", 20);
    }
    void bell()
    {
        QFETCH(QByteArray, content);
        const QString file = dir.filePath(QStringLiteral("bad.wav"));
        QFile::remove(file);
        QFile out(file);
        QVERIFY(content.isNull() || (out.open(QIODevice::WriteOnly) && out.write(content) > 0));
        out.close();
        RealPlatform platform;
        const double call = sink->now();
        platform.playWave(file, false);
        QVERIFY(sink->waitUntil(call + 1500));
        QCOMPARE(platform.beeps, 1);
        QVERIFY(!std::isnan(sink->firstLoud(call, call + 1500)));
    }

    void lateServer()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVEL_LATE_SERVER"), QStringLiteral("1"));
        env.insert(QStringLiteral("PULSE_SERVER"), "unix:" + dir.filePath(QStringLiteral("s")));
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir.path());
        env.insert(QStringLiteral("PULSE_STATE_PATH"), dir.path());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(40000));
        QCOMPARE(child.exitCode(), 0);
    }
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    test::prepareRealTest(home);
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("BRIVEL_LATE_SERVER"))
        return lateServer();
    TestRealAlarmSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_real_alarm_sound.moc"

// SPDX-License-Identifier: MIT
// Every kind of wave heard whole at the sink with its own on/off pattern;
// the desktop's bell for what cannot play; a sound server that comes late.
#include "RealDesktop.h"

#include "timer/Forms.h"
#include "timer/frmTimer.h"

using namespace brivel;
using namespace brivel::test;

namespace {

const QString Ring = QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonenew.wav");

bool sox(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("sox"), QStringList{"-V1"} + args) == 0;
}

} // namespace

class TestRealAlarmSound : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    SinkRecorder sink;

private slots:
    void initTestCase()
    {
        BRIVEL_REQUIRE_SOUND();
        QVERIFY(sink.start());
        // 0.2 s on, 0.2 off, 0.4 on, 0.2 off, 0.2 on: no bell sounds like it.
        const QString on = dir.filePath("on.wav"), off = dir.filePath("off.wav");
        QVERIFY(sox({"-n", "-r", "48000", "-c", "1", on, "synth", "0.2", "sine", "660"}));
        QVERIFY(sox({"-n", "-r", "48000", "-c", "1", off, "trim", "0", "0.2"}));
        QVERIFY(sox({on, off, on, on, off, on, dir.filePath("pattern.wav")}));
    }

    // Each kind whole, at its own rate and channels, with the file's own
    // pattern; what cannot play gives the desktop's bell at the sink.
    void alarm_data()
    {
        QTest::addColumn<QStringList>("format");
        QTest::newRow("missing") << QStringList{};
        QTest::newRow("broken") << QStringList{"-t", "raw"};
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
    void alarm()
    {
        QFETCH(QStringList, format);
        const QString file = dir.filePath(QStringLiteral("alarm.wav"));
        const bool plays = format.size() > 2;
        QVERIFY(format.isEmpty() || sox(QStringList{dir.filePath("pattern.wav")} + format << file));
        RealPlatform platform;
        const double call = sink.now();
        platform.playWave(file, false);
        QVERIFY(sink.waitUntil(call + 2000));
        QTRY_COMPARE(platform.beeps, plays ? 0 : 1);
        const double t = sink.firstLoud(call, call + 700);
        QVERIFY2(t - call < 200, qPrintable(QString::number(t - call)));
        if (!plays)
            return;
        for (const auto &[from, loud] : {std::pair{230, false}, {430, true}, {760, true},
                                         {840, false}, {1030, true}, {1240, false}})
            QVERIFY2(std::isnan(sink.firstLoud(t + from, t + from + 130)) != loud,
                     qPrintable(QString::number(from)));
        QVERIFY(std::abs(sink.lastLoud(t, call + 2000) - t - 1200) < 30); // whole, at its rate
    }

    // No sound server at the load, then one started 8 s later: the load is
    // quick, nothing hangs, the ring plays there, and the exit is prompt.
    void lateServer()
    {
        const QByteArray session = qgetenv("PULSE_SERVER");
        const QString socket = dir.filePath("s");
        qputenv("PULSE_SERVER", QFile::encodeName("unix:" + socket));
        QElapsedTimer clock;
        clock.start();
        auto platform = std::make_unique<RealPlatform>();
        Forms::setPlatform(platform.get());
        QVERIFY(Forms::Timer().blWav && clock.elapsed() < 1000);
        platform->playWave(Ring, false); // no server: the X bell, at once
        QTest::qWait(int(8000 - clock.elapsed()));
        QProcess server;
        server.start("pulseaudio", {"-n", "--daemonize=no", "--use-pid-file=no", "-L",
                                    "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                                    "-L", "module-null-sink"});
        SinkRecorder late;
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 9000) && late.start());
        const double call = late.now();
        platform->playWave(Ring, false);
        QVERIFY(late.waitUntil(call + 1500) && !std::isnan(late.firstLoud(call, call + 1500)));
        QCOMPARE(platform->beeps, 1); // the first play's only: the ring played
        clock.restart();
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform.reset();
        QVERIFY(clock.elapsed() < 3000);
        qputenv("PULSE_SERVER", session);
    }
};

BRIVEL_REAL_MAIN(TestRealAlarmSound)

#include "tst_real_alarm_sound.moc"

// SPDX-License-Identifier: MIT
// The alarm and the sound player on the real sound server, heard through
// the monitor of test.sh's null sink. The countdowns here take real time.
#include "RealDesktop.h"

#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <memory>

using namespace brivel;
using test::RealPlatform;
using test::SinkRecorder;

namespace {

const QString NewPhone = QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonenew.wav");
// Phonenew.wav: bursts at 0-0.4, 0.6-1.0, 1.8-2.2 and 2.4-2.8 s of 3.0 s.
constexpr double RingMs = 2800;

// A tone loud to its last sample, in the given sample format.
void writeTone(const QString &path, int bits, bool isFloat, int rate, int channels, int ms)
{
    const auto le = [](quint32 v, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char(v >> (8 * i));
        return out;
    };
    const int frames = rate * ms / 1000;
    QByteArray samples;
    for (int i = 0; i < frames; ++i) {
        const double x = 0.5 * std::sin(2 * M_PI * 1000.0 * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (isFloat) {
                const float f = float(x);
                samples += QByteArray(reinterpret_cast<const char *>(&f), 4);
            } else if (bits == 8) {
                samples += char(quint8(128 + std::lround(x * 127)));
            } else {
                samples += le(quint32(qint32(std::lround(x * ((1u << (bits - 1)) - 1)))), bits / 8);
            }
        }
    }
    const int block = channels * bits / 8;
    QByteArray wave = "WAVEfmt " + le(16, 4) + le(isFloat ? 3 : 1, 2) + le(channels, 2)
                      + le(rate, 4) + le(rate * block, 4) + le(block, 2) + le(bits, 2) + "data"
                      + le(samples.size(), 4) + samples;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF" + le(wave.size(), 4) + wave);
}

// Where no sound server answers, run as a child process.
int noServerChild()
{
    RealPlatform platform;
    if (platform.waveOutDeviceCount() != 0)
        return 1;
    Forms::setPlatform(&platform);
    frmTimer &w = Forms::Timer();
    if (w.blWav)
        return 2;
    w.txtNumMin->setText(QStringLiteral("0.05"));
    w.cmdGo_Click();
    for (int tick = 1; tick <= 8; ++tick)
        w.Timer2_Timer();
    // Both alarm ticks beep; a wave played straight still beeps, later.
    const bool alarmBeeped = platform.beeps == 2 && w.windowTitle() == QLatin1String("Brivel");
    platform.playWave(NewPhone, false);
    const bool played = QTest::qWaitFor([&platform] { return platform.beeps == 3; }, 5000);
    Forms::unloadAll();
    return alarmBeeped ? (played ? 0 : 4) : 3;
}

} // namespace

class TestRealSound : public QObject {
    Q_OBJECT
private slots:
    // One recorder for all cases keeps the null sink in short blocks.
    void initTestCase()
    {
        if (!QMediaDevices::audioOutputs().isEmpty()) {
            m_sink = std::make_unique<SinkRecorder>();
            QVERIFY(m_sink->start());
        }
    }
    void init() { m_platform = std::make_unique<RealPlatform>(); }
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_platform.reset();
    }

    // The built-in ring starts on the alarm tick, 3.0 s after Start, and
    // plays to its end; with Mute checked nothing sounds at all.
    void alarm_data()
    {
        QTest::addColumn<bool>("mute");
        QTest::newRow("ring") << false;
        QTest::newRow("mute") << true;
    }
    void alarm()
    {
        QFETCH(bool, mute);
        BRIVEL_REQUIRE_SOUND();
        SinkRecorder &sink = *m_sink;
        Forms::setPlatform(m_platform.get());
        frmTimer &w = Forms::Timer();
        QVERIFY(w.blWav);
        QCOMPARE(w.m_WaveFile, NewPhone);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (mute)
            w.mnuOptionsMute->trigger();
        QCOMPARE(w.mnuOptionsMute->isChecked(), mute);
        QTest::keyClicks(w.txtNumMin, QStringLiteral("0.05"));

        const double start = sink.now();
        QTest::mouseClick(w.cmdGo, Qt::LeftButton);
        QVERIFY(w.Timer2->Enabled());
        QTRY_VERIFY_WITH_TIMEOUT(!w.Timer2->Enabled(), 10000);
        QCOMPARE(w.windowTitle(), QStringLiteral("Brivel"));
        const double end = start + 3000 + (mute ? 1000 : RingMs + 300);
        QVERIFY(sink.waitUntil(end));

        const double first = sink.firstLoud(start, end);
        if (mute) {
            QVERIFY2(std::isnan(first), qPrintable(QString::number(first - start)));
            return;
        }
        const double last = sink.lastLoud(first, first + RingMs + 300);
        qInfo("ring heard from %.1f to %.1f ms after Start", first - start, last - start);
        QVERIFY(std::abs(first - (start + 3000)) <= 100);
        QVERIFY2(std::abs(last - (first + RingMs)) <= 30,
                 qPrintable(QString::number(last - first)));
    }

    // A loaded sound starts within 50 ms of the call, which returns at once;
    // a later play of the same file sounds alongside it, and neither is cut.
    void asyncPlay()
    {
        BRIVEL_REQUIRE_SOUND();
        SinkRecorder &sink = *m_sink;
        const double call = sink.now();
        m_platform->preloadWave(NewPhone);
        m_platform->playWave(NewPhone, false);
        QVERIFY(sink.now() - call < 20);
        QVERIFY(sink.waitUntil(call + 1000));
        m_platform->preloadWave(NewPhone);
        m_platform->playWave(NewPhone, false);
        QVERIFY(sink.waitUntil(call + 1000 + 3000 + 300));

        const double first = sink.firstLoud(call, call + 1000);
        qInfo("sound heard %.1f ms after the call", first - call);
        QVERIFY2(first - call <= 50, qPrintable(QString::number(first - call)));
        // 2.05-2.15 s: only the first sound is in a burst; 3.45-3.75 s: only the second.
        QVERIFY(!std::isnan(sink.firstLoud(first + 2050, first + 2150)));
        QVERIFY(!std::isnan(sink.firstLoud(first + 3450, first + 3750)));
        QCOMPARE(m_platform->beeps, 0);
    }

    // Every sample format plays whole, its last samples included.
    void formats_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("isFloat");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("8-bit mono 8 kHz") << 8 << false << 8000 << 1;
        QTest::newRow("24-bit mono 48 kHz") << 24 << false << 48000 << 1;
        QTest::newRow("float mono 96 kHz") << 32 << true << 96000 << 1;
    }
    void formats()
    {
        QFETCH(int, bits);
        QFETCH(bool, isFloat);
        QFETCH(int, rate);
        QFETCH(int, channels);
        BRIVEL_REQUIRE_SOUND();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tone.wav"));
        writeTone(path, bits, isFloat, rate, channels, 500);
        SinkRecorder &sink = *m_sink;
        const double call = sink.now();
        m_platform->playWave(path, false);
        QVERIFY(sink.waitUntil(call + 1000));
        const double first = sink.firstLoud(call, call + 1000);
        const double last = sink.lastLoud(call, call + 1000);
        qInfo("heard from %.1f to %.1f ms after the call", first - call, last - call);
        QVERIFY(first - call <= 50);
        QVERIFY(std::abs(last - first - 500) <= 10);
        QCOMPARE(m_platform->beeps, 0);
    }

    // A synchronous play returns when the sound has ended, and no timer or
    // input event of this thread runs meanwhile.
    void syncPlay()
    {
        BRIVEL_REQUIRE_SOUND();
        SinkRecorder &sink = *m_sink;
        int fired = 0;
        QTimer timer;
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, [&fired] { ++fired; });
        timer.start();
        QLineEdit entry;
        QCoreApplication::postEvent(&entry, new QKeyEvent(QEvent::KeyPress, Qt::Key_A,
                                                          Qt::NoModifier, QStringLiteral("a")));
        const double call = sink.now();
        m_platform->playWave(NewPhone, true);
        const double back = sink.now();
        QCOMPARE(fired, 0);
        qInfo("returned %.1f ms after the call", back - call);
        QVERIFY(entry.text().isEmpty());
        QVERIFY(sink.waitUntil(back + 300));
        const double last = sink.lastLoud(call, back + 300);
        QVERIFY2(last <= back && back - last < RingMs - 2800 + 200 + 300,
                 qPrintable(QStringLiteral("%1 %2").arg(last - call).arg(back - call)));
        QTRY_COMPARE(entry.text(), QStringLiteral("a"));
        QTRY_VERIFY(fired > 0);
    }

    // What cannot be played beeps once in its place, waited for or not.
    void unplayable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("wait");
        const QByteArray text = "this is not a sound\n";
        for (bool wait : {false, true}) {
            const char *mode = wait ? "sync" : "async";
            QTest::addRow("missing %s", mode) << QByteArray() << wait;
            QTest::addRow("empty %s", mode) << QByteArray("") << wait;
            QTest::addRow("text %s", mode) << text << wait;
            QTest::addRow("folder %s", mode) << QByteArray("/") << wait;
        }
    }
    void unplayable()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, wait);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("ring.wav"));
        if (content == "/")
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ring.wav")));
        else if (!content.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        m_platform->preloadWave(path);
        m_platform->playWave(path, wait);
        if (wait)
            QCOMPARE(m_platform->beeps, 1);
        QTRY_COMPARE(m_platform->beeps, 1);
    }

    // A two-gigabyte wave neither stalls the call nor the event loop.
    void hugeFile()
    {
        BRIVEL_REQUIRE_SOUND();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("huge.wav"));
        const qint64 data = qint64(2) << 30;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const auto le32 = [](quint32 v) {
            const char bytes[] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
            return QByteArray(bytes, 4);
        };
        file.write("RIFF" + le32(quint32(36 + data)) + "WAVEfmt " + le32(16)
                   + QByteArray::fromHex("01000200"
                                         "44ac0000"
                                         "10b10200"
                                         "04001000")
                   + "data" + le32(quint32(data)));
        QVERIFY(file.resize(44 + data)); // sparse: silence that costs no disk
        file.close();

        QElapsedTimer clock;
        clock.start();
        m_platform->preloadWave(path);
        m_platform->playWave(path, false);
        QVERIFY2(clock.elapsed() < 20, qPrintable(QString::number(clock.elapsed())));
        int fired = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&fired] { ++fired; });
        timer.start(10);
        QTRY_VERIFY(fired >= 20);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        // Ending the program stops it.
        clock.restart();
        m_platform.reset();
        QVERIFY(clock.elapsed() < 2000);
    }

    // Without a sound server there is no wave device and the alarm beeps.
    void noSoundServer()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVEL_NO_SERVER_CHILD"), QStringLiteral("1"));
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/brivel"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }

private:
    std::unique_ptr<RealPlatform> m_platform;
    std::unique_ptr<SinkRecorder> m_sink;
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    test::prepareRealTest(home);
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("BRIVEL_NO_SERVER_CHILD"))
        return noServerChild();
    TestRealSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_real_sound.moc"

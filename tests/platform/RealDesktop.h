// SPDX-License-Identifier: MIT
// Shared by the tests that use the real desktop and the real sound server.
#pragma once

#include "platform/LinuxPlatform.h"

#include <QApplication>
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace brivel::test {

// Run by hand without a desktop, the real tests skip; inside the desktop
// session a missing server is a fault.
#define BRIVEL_REQUIRE(condition, what)                                                            \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            if (qEnvironmentVariableIsSet("BRIVEL_DESKTOP_SESSION"))                               \
                QFAIL(what " missing in the desktop session");                                     \
            QSKIP(what " missing: run under scripts/desktop-session.sh (./test.sh does)");         \
        }                                                                                          \
    } while (false)
#define BRIVEL_REQUIRE_DISPLAY()                                                                   \
    BRIVEL_REQUIRE(QGuiApplication::platformName() == QLatin1String("xcb"), "X display")
#define BRIVEL_REQUIRE_SOUND()                                                                     \
    BRIVEL_REQUIRE(!QMediaDevices::audioOutputs().isEmpty()                                        \
                       && !QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty(),      \
                   "Sound server")

// Before QApplication: a private settings store, and the offscreen platform
// where there is no display, so that the cases can skip instead of abort.
inline void prepareRealTest(QTemporaryDir &home)
{
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
}

// The main of a real-desktop test: its own HOME, then the widgets.
#define BRIVEL_REAL_MAIN(TestClass)                                                                \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QTemporaryDir home;                                                                        \
        test::prepareRealTest(home);                                                               \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// The real platform with the program folder of the build, beeps counted.
class RealPlatform : public LinuxPlatform {
public:
    QString programFolder() override { return QStringLiteral(BRIVEL_PROGRAM_DIR); }
    void beep() override
    {
        ++beeps;
        LinuxPlatform::beep();
    }
    int beeps = 0;
};

// Records the default sink's monitor with parec and tells when it was loud,
// in milliseconds on the clock of now().
class SinkRecorder {
public:
    static constexpr int Rate = 44100;

    ~SinkRecorder()
    {
        m_parec.kill();
        m_parec.waitForFinished(2000);
    }
    // True once samples flow. An idle null sink renders up to two seconds
    // ahead; its first samples to a new recorder mark the switch to short
    // blocks, after which what plays is recorded as it plays.
    bool start()
    {
        m_clock.start();
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] {
            m_data += m_parec.readAllStandardOutput();
            // A sample arrives after it sounded, never before: the earliest
            // arrival bounds the instant of the first sample best.
            m_t0 = std::min(m_t0, now() - double(m_data.size() / 2) * 1000.0 / Rate);
        });
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                       QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                       QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10")});
        return m_parec.waitForStarted(5000)
               && QTest::qWaitFor([this] { return m_data.size() > Rate / 5; }, 10000);
    }
    double now() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    // Waits, running events, until the recording reaches instant t.
    bool waitUntil(double t)
    {
        return QTest::qWaitFor([this, t] { return at(m_data.size() / 2) >= t; }, 15000);
    }
    // First and last instants in [from, to) louder than a faint hiss; NaN if none.
    double firstLoud(double from, double to) const { return scan(from, to, true); }
    double lastLoud(double from, double to) const { return scan(from, to, false); }

private:
    double at(qsizetype sample) const { return m_t0 + double(sample) * 1000.0 / Rate; }
    double scan(double from, double to, bool first) const
    {
        const auto *samples = reinterpret_cast<const qint16 *>(m_data.constData());
        const auto index = [this](double t) {
            return std::clamp<qsizetype>(qsizetype(std::ceil((t - m_t0) * Rate / 1000.0)), 0,
                                         m_data.size() / 2);
        };
        const qsizetype lo = index(from), hi = index(to);
        for (qsizetype k = 0; k < hi - lo; ++k) {
            const qsizetype i = first ? lo + k : hi - 1 - k;
            if (std::abs(samples[i]) > 2000)
                return at(i);
        }
        return std::numeric_limits<double>::quiet_NaN();
    }

    QProcess m_parec;
    QByteArray m_data;
    QElapsedTimer m_clock;
    double m_t0 = std::numeric_limits<double>::infinity();
};

} // namespace brivel::test

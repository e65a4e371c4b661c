// SPDX-License-Identifier: MIT
// The alarm and the sound player on the real sound server, heard through
// the monitor of the session's null sink. The countdowns here take real time.
#include "RealDesktop.h"

#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace brivel;
using test::RealPlatform;
using test::SinkRecorder;

namespace {

const QString NewPhone = QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonenew.wav");
// Phonenew.wav: bursts at 0-0.4, 0.6-1.0, 1.8-2.2 and 2.4-2.8 s of 3.0 s.
constexpr double RingMs = 2800;

} // namespace

class TestRealSound : public QObject {
    Q_OBJECT

    std::unique_ptr<RealPlatform> platform;
    std::unique_ptr<SinkRecorder> sink; // one for all: the null sink stays in short blocks

private slots:
    void initTestCase()
    {
        BRIVEL_REQUIRE_SOUND();
        sink = std::make_unique<SinkRecorder>();
        QVERIFY(sink->start());
    }
    void init() { platform = std::make_unique<RealPlatform>(); }
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform.reset();
    }

    // The ring starts on the alarm tick, 3.0 s after Start, and plays to its
    // end, the next tick beeps; with Mute checked nothing sounds at all.
    void alarm_data()
    {
        QTest::addColumn<bool>("mute");
        QTest::newRow("ring") << false;
        QTest::newRow("mute") << true;
    }
    void alarm()
    {
        QFETCH(bool, mute);
        Forms::setPlatform(platform.get());
        frmTimer &w = Forms::Timer();
        QVERIFY(w.blWav);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (mute)
            w.mnuOptionsMute->trigger();
        QTest::keyClicks(w.txtNumMin, QStringLiteral("0.05"));

        const double start = sink->now();
        QTest::mouseClick(w.cmdGo, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Timer2->Enabled(), 10000);
        const double end = start + 3000 + (mute ? 1000 : RingMs + 300);
        QVERIFY(sink->waitUntil(end));
        const double first = sink->firstLoud(start, end);
        QCOMPARE(platform->beeps, mute ? 0 : 1); // the tick after the ring beeps
        if (mute) {
            QVERIFY2(std::isnan(first), qPrintable(QString::number(first - start)));
            return;
        }
        const double last = sink->lastLoud(first, first + RingMs + 300);
        QVERIFY2(std::abs(first - (start + 3000)) <= 100,
                 qPrintable(QString::number(first - start)));
        QVERIFY2(std::abs(last - (first + RingMs)) <= 30,
                 qPrintable(QString::number(last - first)));
    }

    // A play returns at once and sounds within 50 ms; a second play of the
    // same file sounds alongside it, neither cut.
    void asyncPlay()
    {
        const double call = sink->now();
        platform->preloadWave(NewPhone);
        platform->playWave(NewPhone, false);
        QVERIFY(sink->now() - call < 20);
        QVERIFY(sink->waitUntil(call + 1000));
        platform->playWave(NewPhone, false);
        QVERIFY(sink->waitUntil(call + 1000 + 3000 + 300));
        const double first = sink->firstLoud(call, call + 1000);
        QVERIFY2(first - call <= 50, qPrintable(QString::number(first - call)));
        // 2.05-2.15 s: only the first sound is in a burst; 3.45-3.75 s: only the second.
        QVERIFY(!std::isnan(sink->firstLoud(first + 2050, first + 2150)));
        QVERIFY(!std::isnan(sink->firstLoud(first + 3450, first + 3750)));
        QCOMPARE(platform->beeps, 0);
    }

    // A waited-for play returns when the sound has ended, and no timer or
    // input event of this thread runs meanwhile.
    void syncPlay()
    {
        int fired = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&fired] { ++fired; });
        timer.start(10);
        QLineEdit entry;
        QCoreApplication::postEvent(&entry, new QKeyEvent(QEvent::KeyPress, Qt::Key_A,
                                                          Qt::NoModifier, QStringLiteral("a")));
        const double call = sink->now();
        platform->playWave(NewPhone, true);
        const double back = sink->now();
        QCOMPARE(fired, 0);
        QVERIFY(entry.text().isEmpty());
        QVERIFY(sink->waitUntil(back + 300));
        const double last = sink->lastLoud(call, back + 300);
        QVERIFY2(last <= back && back - last < 500,
                 qPrintable(QStringLiteral("%1 %2").arg(last - call).arg(back - call)));
        QTRY_COMPARE(entry.text(), QStringLiteral("a"));
        QTRY_VERIFY(fired > 0);
    }

    // What cannot be played beeps once in its place, waited for or not.
    void unplayable()
    {
        const QString missing = QStringLiteral(BRIVEL_PROGRAM_DIR "/no-such-ring.wav");
        platform->playWave(missing, true);
        QCOMPARE(platform->beeps, 1);
        platform->playWave(QStringLiteral(BRIVEL_PROGRAM_DIR), false);
        QTRY_COMPARE(platform->beeps, 2);
    }
};

BRIVEL_REAL_MAIN(TestRealSound)

#include "tst_real_sound.moc"

// SPDX-License-Identifier: MIT
// The periodic timer against the fake clock: ticks anchored to the instant
// the schedule started, caught up one by one after a stall or a sleep.
#include "TimerRig.h"

#include <QSignalSpy>

using namespace brivel;
using test::FakePlatform;
using test::TimerRig;

class TestTimer2 : public QObject {
    Q_OBJECT
private slots:
    void armed_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("armed");
        QTest::newRow("never set") << -1 << false << false;
        QTest::newRow("interval 0, enabled") << 0 << true << false;
        QTest::newRow("disabled") << 500 << false << false;
        QTest::newRow("running") << 500 << true << true;
    }
    void armed()
    {
        QFETCH(int, interval);
        QFETCH(bool, enabled);
        QFETCH(bool, armed);
        FakePlatform fake;
        Timer2 timer(fake);
        QSignalSpy ticks(&timer, &Timer2::Timer);
        if (interval >= 0) {
            timer.setInterval(interval);
            timer.setEnabled(enabled);
        }
        QCOMPARE(timer.isArmed(), armed);
        fake.advance(10'000);
        timer.catchUp();
        QCOMPARE(ticks.count(), armed ? 20 : 0);
    }

    // A stalled loop or a sleeping machine: every tick that fell due comes,
    // one after another, and the schedule keeps its anchor.
    void catchUp_data()
    {
        QTest::addColumn<qint64>("gap");
        QTest::newRow("loop blocked 5 s") << qint64(5'000);
        QTest::newRow("asleep 5 min") << qint64(300'000);
    }
    void catchUp()
    {
        QFETCH(qint64, gap);
        FakePlatform fake;
        Timer2 timer(fake);
        const qint64 t0 = fake.now;
        timer.setInterval(500);
        timer.setEnabled(true);
        QList<qint64> seen;
        connect(&timer, &Timer2::Timer, &timer, [&] { seen << fake.now; });
        fake.advance(gap + 120);
        timer.catchUp();
        QCOMPARE(seen.size(), gap / 500);
        QCOMPARE(timer.nextDue(), t0 + gap + 500);
        QVERIFY(timer.isArmed());
        fake.advance(380);
        timer.catchUp();
        QCOMPARE(seen.size(), gap / 500 + 1);
    }

    // A handler that stops or restarts the timer ends the catch-up at once.
    void handlerStops()
    {
        FakePlatform fake;
        Timer2 timer(fake);
        timer.setInterval(500);
        timer.setEnabled(true);
        int count = 0;
        connect(&timer, &Timer2::Timer, &timer, [&] {
            if (++count == 3)
                timer.setEnabled(false);
        });
        fake.advance(5'000);
        timer.catchUp();
        QCOMPARE(count, 3);
        QVERIFY(!timer.isArmed());
        // Enabling again starts a new schedule from now.
        timer.setEnabled(true);
        QCOMPARE(timer.nextDue(), fake.now + 500);
    }

    // Late wake-ups never add up: the alarm tick of the longest countdown,
    // and of a 30-second one, comes at its due instant plus the lateness of
    // that one wake-up alone.
    void ringsOnTime_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("30 s") << "0.5" << qint64(30);
        QTest::newRow("5999 min") << "5999" << qint64(359'940);
    }
    void ringsOnTime()
    {
        QFETCH(QString, entry);
        QFETCH(qint64, seconds);
        TimerRig rig;
        const qint64 t0 = rig.fake.now;
        rig.start(entry);
        for (qint64 k = 0; rig.fake.plays.isEmpty() && k < 2 * seconds + 1; ++k) {
            rig.fake.now = rig.w->Timer2->nextDue() + (k * 7) % 19; // up to 18 ms late
            rig.w->Timer2->catchUp();
        }
        QCOMPARE(rig.fake.plays.size(), 1);
        const qint64 late = rig.fake.plays[0].at - (t0 + seconds * 1000);
        QVERIFY2(late >= 0 && late <= 20, qPrintable(QString::number(late)));
    }
};

QTEST_MAIN(TestTimer2)
#include "tst_timer2.moc"

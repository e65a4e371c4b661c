// SPDX-License-Identifier: MIT
// The periodic timer on the fake clock: ticks anchored to the instant the
// schedule started, caught up one by one after a stall or a sleep.
#include "TimerRig.h"

using namespace brivel;

class TestTimer2 : public QObject {
    Q_OBJECT
private slots:
    void catchUp_data()
    {
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("stopAt"); // the handler disables the timer at this tick
        QTest::newRow("loop blocked 5 s") << 5'000 << 0;
        QTest::newRow("asleep 5 min") << 300'000 << 0;
        QTest::newRow("handler stops") << 5'000 << 3;
    }
    void catchUp()
    {
        QFETCH(int, gap);
        QFETCH(int, stopAt);
        test::FakePlatform fake;
        Timer2 timer(fake);
        const qint64 t0 = fake.now;
        timer.setInterval(500);
        timer.setEnabled(true);
        int seen = 0;
        connect(&timer, &Timer2::Timer, &timer, [&] {
            if (++seen == stopAt)
                timer.setEnabled(false);
        });
        fake.advance(gap + 120);
        timer.catchUp();
        const int ticks = stopAt ? stopAt : gap / 500;
        QCOMPARE(seen, ticks);
        QCOMPARE(timer.isArmed(), !stopAt);
        if (stopAt) {
            fake.advance(5'000);
            timer.catchUp();
            QCOMPARE(seen, ticks); // disabled: nothing more
            timer.setEnabled(true);
            QCOMPARE(timer.nextDue(), fake.now + 500); // a new schedule from now
            return;
        }
        QCOMPARE(timer.nextDue(), t0 + gap + 500); // the anchor holds
        fake.advance(380);
        timer.catchUp();
        QCOMPARE(seen, ticks + 1);
    }

    // Late wake-ups never add up: the alarm comes at its due instant plus
    // the lateness of its own wake-up alone, also after 100 hours.
    void ringsOnTime()
    {
        for (const auto &[entry, seconds] : {std::pair{"0.5", 30}, std::pair{"5999", 359'940}}) {
            test::TimerRig rig;
            const qint64 t0 = rig.fake.now;
            rig.start(QLatin1String(entry));
            for (qint64 k = 0; rig.fake.plays.isEmpty() && k < 2 * seconds + 1; ++k) {
                rig.fake.now = rig.w->Timer2->nextDue() + (k * 7) % 19; // up to 18 ms late
                rig.w->Timer2->catchUp();
            }
            QCOMPARE(rig.fake.plays.size(), 1);
            const qint64 late = rig.fake.plays[0].at - (t0 + seconds * 1000);
            QVERIFY2(late >= 0 && late <= 20, entry);
        }
    }
};

QTEST_MAIN(TestTimer2)
#include "tst_timer2.moc"

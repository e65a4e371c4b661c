// SPDX-License-Identifier: MIT
// Waking from a long sleep: the countdown jumps in one step and an alarm that
// fell due sounds once, and asks for attention while another window is active.
#include "TimerRig.h"

using namespace brivel;

class TestFrmTimerWake : public QObject {
    Q_OBJECT
private slots:
    void tenHourSleep_data()
    {
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("plays");
        QTest::newRow("15 h: counting on") << "900" << "05:00:01" << 0;
        QTest::newRow("5 h: alarm fell due") << "300" << "00:00:01" << 1;
    }
    void tenHourSleep()
    {
        QFETCH(QString, minutes);
        QFETCH(int, plays);
        test::TimerRig rig;
        rig.start(minutes);
        QWidget other; // the user works in another window meanwhile
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        int titles = 0;
        connect(rig.w, &QWidget::windowTitleChanged, this, [&titles] { ++titles; });
        rig.fake.advance(10LL * 3600 * 1000);
        rig.w->Timer2->catchUp();
        QCOMPARE(titles, 1);
        QTEST(rig.w->txtNumMin->text(), "shown");
        QCOMPARE(rig.fake.plays.size(), plays);
        QVERIFY(rig.memoIs(plays == 1));
        QCOMPARE(rig.fake.attention.size(), plays); // asked for at the alarm
        // Then as after a normal last second: the beep, 00:00:00 and Idle.
        rig.tick(2);
        QCOMPARE(rig.fake.plays.size(), plays);
        QCOMPARE(rig.fake.beeps, plays);
        QCOMPARE(rig.idle(), plays == 1);
        QCOMPARE(rig.w->txtNumMin->text(), plays ? QString() : QStringLiteral("05:00:00"));
        rig.w->activateWindow(); // which ends the request
        QVERIFY(QTest::qWaitForWindowActive(rig.w));
        QCOMPARE(rig.fake.attention.size(), 2 * plays);
        QVERIFY(!plays || (rig.fake.attention[0].topMost && !rig.fake.attention[1].topMost));
    }

};

QTEST_MAIN(TestFrmTimerWake)
#include "tst_frmtimer_wake.moc"

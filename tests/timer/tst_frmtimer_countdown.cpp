// SPDX-License-Identifier: MIT
// The countdown tick by tick: display, alarm, expiry, pause, reset, clicks
// and exit, on the fake clock.
#include "TimerRig.h"

#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"

#include <QAction>
#include <QPointer>

#include <algorithm>

using namespace brivel;
using test::hms;
using test::TimerRig;

class TestCountdown : public QObject {
    Q_OBJECT
private slots:
    // Counting ticks show one second less each, in the entry and the title;
    // tick 2N is the first alarm tick (the wave), 2N+1 the second (a beep,
    // 00:00:00), 2N+2 the expiry.
    void table_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("seconds");
        QTest::newRow("0.05") << "0.05" << 3;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("0.99") << "0.99" << 59;
        QTest::newRow("61: borrow across the hour") << "61" << 3660;
    }
    void table()
    {
        QFETCH(QString, entry);
        QFETCH(int, seconds);
        TimerRig rig;
        frmTimer *w = rig.w;
        w->txtMemo->setText(QStringLiteral("tea"));
        rig.start(entry);
        const int alarm = seconds == 0 ? 1 : 2 * seconds;
        const int expiry = seconds == 0 ? 2 : alarm + 2;
        QStringList titles;
        for (int k = 1; k < expiry; ++k) {
            rig.tick();
            const QString shown = hms(seconds - (k - 1) / 2);
            QCOMPARE(w->txtNumMin->text(), shown);
            QCOMPARE(w->windowTitle(), QStringLiteral("Brivel - ") + shown);
            QCOMPARE(rig.fake.plays.size(), k >= alarm ? 1 : 0);
            QCOMPARE(rig.fake.beeps, k > alarm ? 1 : 0);
            QCOMPARE(rig.memoHighlighted(), k >= alarm);
            QCOMPARE(w->cmdGo->isEnabled(), k >= alarm);
            QCOMPARE(w->cmdPause->isEnabled() || w->cmdReset->isEnabled(), k < alarm);
            QVERIFY(w->Timer2->Enabled());
            if (k == alarm)
                QCOMPARE(rig.focused(), QStringLiteral("txtNumMin"));
            if (k % 2)
                titles << shown;
            else if (k == 2) // typed over, replaced at the next counting tick
                QTest::keyClicks(w->txtNumMin, QStringLiteral("7"));
        }
        QCOMPARE(rig.fake.plays[0].path, w->m_WaveFile);
        QVERIFY(!rig.fake.plays[0].wait);
        if (seconds == 3660)
            QVERIFY(titles.join(',').contains(QStringLiteral("01:00:00,00:59:59")));
        rig.tick(); // expiry
        QVERIFY(rig.idle());
        QCOMPARE(w->txtNumMin->text(), QString());
        QCOMPARE(rig.focused(), QStringLiteral("cmdGo"));
        QVERIFY(rig.memoHighlighted());
        QCOMPARE(w->txtMemo->text(), QStringLiteral("tea"));
        QVERIFY(!w->Timer2->isArmed());
        rig.tick(4);
        QCOMPARE(rig.fake.plays.size(), 1);
    }

    // Sounds of the two alarm ticks of a 3-second countdown.
    void alarm_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<bool>("muteFirst");
        QTest::addColumn<bool>("muteSecond");
        QTest::addColumn<QString>("sounds"); // first tick, second tick
        QTest::newRow("plain") << 1 << false << false << "wave,beep";
        QTest::newRow("muted") << 1 << true << true << "-,-";
        QTest::newRow("unmuted between") << 1 << true << false << "-,wave";
        QTest::newRow("muted between") << 1 << false << true << "wave,-";
        QTest::newRow("no device") << 0 << false << false << "beep,beep";
        QTest::newRow("no device, unmuted between") << 0 << true << false << "-,beep";
    }
    void alarm()
    {
        QFETCH(int, devices);
        QFETCH(bool, muteFirst);
        QFETCH(bool, muteSecond);
        QFETCH(QString, sounds);
        TimerRig rig([&](test::FakePlatform &f) { f.waveDevices = devices; });
        frmTimer *w = rig.w;
        if (muteFirst)
            w->mnuOptionsMute->trigger();
        rig.start(QStringLiteral("0.05"));
        rig.tick(5);
        QStringList heard;
        for (bool mute : {muteFirst, muteSecond}) {
            if (w->mnuOptionsMute->isChecked() != mute)
                w->mnuOptionsMute->trigger();
            const qsizetype plays = rig.fake.plays.size();
            const int beeps = rig.fake.beeps;
            rig.tick();
            heard << (rig.fake.plays.size() > plays ? "wave"
                      : rig.fake.beeps > beeps      ? "beep"
                                                    : "-");
            QVERIFY(rig.memoHighlighted());
            QVERIFY(w->cmdGo->isEnabled() && !w->cmdPause->isEnabled()
                    && !w->cmdReset->isEnabled());
        }
        QCOMPARE(heard.join(','), sounds);
    }

    // A Start during either alarm tick begins a new countdown, wave and all.
    void startDuringAlarm_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::newRow("after first alarm tick") << 6;
        QTest::newRow("after second alarm tick") << 7;
    }
    void startDuringAlarm()
    {
        QFETCH(int, ticks);
        TimerRig rig;
        rig.start(QStringLiteral("0.05"));
        rig.tick(ticks);
        rig.start(QStringLiteral("0.05"));
        QVERIFY(rig.memoPlain());
        QVERIFY(!rig.w->cmdGo->isEnabled() && rig.w->Timer2->Enabled());
        rig.tick();
        QCOMPARE(rig.w->windowTitle(), QStringLiteral("Brivel - 00:00:03"));
        rig.tick(5);
        QCOMPARE(rig.fake.plays.size(), 2);
    }

    // The phase left at the pause decides whether the first or the second
    // tick after Resume counts.
    void pauseResume_data()
    {
        QTest::addColumn<int>("ticksBefore");
        QTest::addColumn<int>("ticksToCount");
        QTest::newRow("paused after a counting tick") << 1 << 2;
        QTest::newRow("paused after a quiet tick") << 2 << 1;
    }
    void pauseResume()
    {
        QFETCH(int, ticksBefore);
        QFETCH(int, ticksToCount);
        TimerRig rig;
        frmTimer *w = rig.w;
        rig.start(QStringLiteral("0.05"));
        rig.tick(ticksBefore);
        QTest::mouseClick(w->cmdPause, Qt::LeftButton);
        QVERIFY(w->paused());
        QCOMPARE(w->cmdPause->text(), QStringLiteral("Resume"));
        QCOMPARE(w->cmdPause->toolTip(), QStringLiteral("Resume Timer"));
        QVERIFY(!w->Timer2->Enabled() && !w->Timer2->isArmed());
        QVERIFY(!w->cmdGo->isEnabled() && w->cmdReset->isEnabled());
        // Time passes without ticks; the entry can be selected and typed over.
        rig.fake.advance(60'000);
        w->Timer2->catchUp();
        QTest::mouseClick(w->txtNumMin, Qt::LeftButton);
        QCOMPARE(w->txtNumMin->selectedText(), QStringLiteral("00:00:03"));
        QTest::keyClicks(w->txtNumMin, QStringLiteral("42"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Brivel - 00:00:03"));

        QTest::mouseClick(w->cmdPause, Qt::LeftButton);
        QVERIFY(!w->paused() && w->Timer2->Enabled());
        QCOMPARE(w->cmdPause->text(), QStringLiteral("Pause"));
        QCOMPARE(w->cmdPause->toolTip(), QStringLiteral("Pause Timer"));
        QCOMPARE(w->Timer2->Interval(), TickIntervalMs);
        rig.tick(ticksToCount - 1);
        QCOMPARE(w->txtNumMin->text(), QStringLiteral("42"));
        rig.tick();
        QCOMPARE(w->txtNumMin->text(), QStringLiteral("00:00:02"));
    }

    // Reset from the button or the File menu; the menu works in every state.
    void reset_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("viaMenu");
        for (bool menu : {false, true}) {
            const char *via = menu ? " (menu)" : " (button)";
            QTest::addRow("running%s", via) << "running" << menu;
            QTest::addRow("paused%s", via) << "paused" << menu;
        }
        QTest::newRow("idle (menu)") << "idle" << true;
        QTest::newRow("alarm (menu)") << "alarm" << true;
    }
    void reset()
    {
        QFETCH(QString, state);
        QFETCH(bool, viaMenu);
        TimerRig rig;
        frmTimer *w = rig.w;
        w->txtMemo->setText(QStringLiteral("eggs"));
        if (state != QLatin1String("idle")) {
            rig.start(QStringLiteral("0.05"));
            rig.tick(state == QLatin1String("alarm") ? 6 : 3);
        }
        if (state == QLatin1String("paused"))
            w->cmdPause->click();
        w->cmdGo->setFocus();
        const QList<qint32> counters{w->lngHours, w->lngMins, w->lngSecs};
        if (viaMenu)
            w->mnuFileReset->trigger();
        else
            QTest::mouseClick(w->cmdReset, Qt::LeftButton);
        QVERIFY(rig.idle());
        QCOMPARE(w->txtNumMin->text(), QString());
        QCOMPARE(rig.focused(), QStringLiteral("txtNumMin"));
        QCOMPARE(w->Timer2->Interval(), 0);
        QVERIFY(!w->Timer2->isArmed());
        QCOMPARE(w->txtMemo->text(), QStringLiteral("eggs"));
        QCOMPARE(rig.memoHighlighted(), state == QLatin1String("alarm"));
        QCOMPARE((QList<qint32>{w->lngHours, w->lngMins, w->lngSecs}), counters);
        // The next countdown runs under a "Pause" button that pauses.
        QVERIFY(!w->paused());
        QCOMPARE(w->cmdPause->text(), QStringLiteral("Pause"));
        QCOMPARE(w->cmdPause->toolTip(), QStringLiteral("Pause Timer"));
        rig.start(QStringLiteral("1"));
        w->cmdPause->click();
        QVERIFY(w->paused() && !w->Timer2->Enabled());
    }

    // Clicks in the memo and the entry clear the highlight; the entry click
    // sends the focus to Pause while Pause can take it, else selects the entry.
    void clicks_data()
    {
        QTest::addColumn<int>("ticks"); // -1: no countdown
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("selected");
        // clang-format off
        QTest::newRow("memo after expiry") << 8 << "txtMemo" << "txtMemo" << false;
        QTest::newRow("entry when idle") << -1 << "txtNumMin" << "txtNumMin" << true;
        QTest::newRow("entry while running") << 1 << "txtNumMin" << "cmdPause" << false;
        QTest::newRow("entry in alarm ticks") << 6 << "txtNumMin" << "txtNumMin" << true;
        QTest::newRow("entry after expiry") << 8 << "txtNumMin" << "txtNumMin" << true;
        // clang-format on
    }
    void clicks()
    {
        QFETCH(int, ticks);
        QFETCH(QString, target);
        QFETCH(QString, focus);
        QFETCH(bool, selected);
        TimerRig rig;
        frmTimer *w = rig.w;
        w->txtMemo->setText(QStringLiteral("call Ann"));
        if (ticks >= 0) {
            rig.start(QStringLiteral("0.05"));
            rig.tick(ticks);
        }
        w->txtNumMin->setText(QStringLiteral("12.5"));
        auto *edit = w->findChild<QLineEdit *>(target);
        // A second click inside a selection must not undo it.
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(12, edit->height() / 2));
        QVERIFY(rig.memoPlain());
        QCOMPARE(w->txtMemo->text(), QStringLiteral("call Ann"));
        QCOMPARE(rig.focused(), focus);
        QCOMPARE(w->txtNumMin->selectedText(), selected ? QStringLiteral("12.5") : QString());
    }

    // A hidden window runs every step of its ticks except the focus moves.
    void hiddenWindow()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        rig.start(QStringLiteral("0.05"));
        rig.tick(5);
        w->hide();
        rig.tick();
        QCOMPARE(rig.fake.plays.size(), 1);
        QVERIFY(rig.memoHighlighted());
        QVERIFY(w->cmdGo->isEnabled() && !w->cmdPause->isEnabled());
        QVERIFY(w->focusWidget() != w->txtNumMin);
        rig.tick(2);
        QVERIFY(rig.idle());
        QCOMPARE(w->txtNumMin->text(), QString());
        QVERIFY(w->focusWidget() != w->cmdGo);
    }

    // Exit unloads a loaded picker, shown or hidden, then the main window;
    // an open About window keeps the program alive.
    void exit_data()
    {
        QTest::addColumn<QString>("picker"); // none, shown, hidden
        QTest::addColumn<bool>("about");
        QTest::addColumn<QString>("via");
        for (const char *via : {"button", "menu", "close box"})
            for (const char *picker : {"none", "shown", "hidden"})
                QTest::addRow("%s, picker %s", via, picker) << picker << false << via;
        QTest::newRow("about open") << "hidden" << true << "button";
    }
    void exit()
    {
        QFETCH(QString, picker);
        QFETCH(bool, about);
        QFETCH(QString, via);
        TimerRig rig;
        frmTimer *w = rig.w;
        rig.start(QStringLiteral("1"));
        if (picker != QLatin1String("none")) {
            Forms::SoundPkr().show();
            if (picker == QLatin1String("hidden"))
                Forms::SoundPkr().hide();
        }
        if (about)
            Forms::About().show();
        if (via == QLatin1String("button"))
            QTest::mouseClick(w->cmdExit, Qt::LeftButton);
        else if (via == QLatin1String("menu"))
            w->mnuFileExit->trigger();
        else
            w->close();
        QCOMPARE(Forms::TimerIfLoaded(), nullptr);
        QCOMPARE(Forms::SoundPkrIfLoaded(), nullptr);
        QCOMPARE(Forms::AboutIfLoaded() != nullptr, about);
        // Qt ends the program once no window that quits on close is visible.
        const QWidgetList windows = QApplication::topLevelWidgets();
        const bool alive = std::any_of(windows.begin(), windows.end(), [](QWidget *t) {
            return t->isVisible() && t->testAttribute(Qt::WA_QuitOnClose);
        });
        QCOMPARE(alive, about);
        // Nothing is stored on the way out, and the window goes for good.
        QCOMPARE(rig.fake.saves, 0);
        QPointer<frmTimer> gone = w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!gone);
    }
};

QTEST_MAIN(TestCountdown)
#include "tst_frmtimer_countdown.moc"

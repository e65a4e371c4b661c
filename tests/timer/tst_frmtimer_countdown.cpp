// SPDX-License-Identifier: MIT
// The countdown tick by tick: display, alarm, expiry, focus, clicks and
// exit, on the fake clock (pause, reset and Mute in every state: tst_soak).
#include "TimerRig.h"

#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"

using namespace brivel;
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
        QTest::newRow("3 s") << "0.05" << 3;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("61 min: across the hour") << "61" << 3660;
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
        for (int k = 1; k < (seconds == 0 ? 2 : alarm + 2); ++k) {
            rig.tick();
            const QString shown = TimerRig::hms(seconds - (k - 1) / 2);
            QCOMPARE(w->txtNumMin->text(), shown);
            QCOMPARE(w->windowTitle(), QStringLiteral("Brivel - ") + shown);
            QCOMPARE(rig.fake.plays.size(), k >= alarm ? 1 : 0);
            QCOMPARE(rig.fake.beeps, k > alarm ? 1 : 0);
            QCOMPARE(rig.memoIs(true), k >= alarm);
            QCOMPARE(w->cmdGo->isEnabled(), k >= alarm);
            QCOMPARE(w->cmdPause->isEnabled() || w->cmdReset->isEnabled(), k < alarm);
            if (k == alarm)
                QCOMPARE(rig.focused(), QStringLiteral("txtNumMin"));
            if (k == 2) // typed over, replaced at the next counting tick
                QTest::keyClicks(w->txtNumMin, QStringLiteral("7"));
        }
        QVERIFY(!rig.fake.plays[0].wait && rig.fake.plays[0].path == w->m_WaveFile);
        rig.tick(); // expiry
        QVERIFY(rig.idle() && !w->Timer2->isArmed());
        QCOMPARE(w->txtNumMin->text(), QString());
        QCOMPARE(rig.focused(), QStringLiteral("cmdGo"));
        QVERIFY(rig.memoIs(true) && w->txtMemo->text() == QLatin1String("tea"));
        rig.tick(4);
        QCOMPARE(rig.fake.plays.size(), 1);
    }

    // Clicks in the memo and the entry clear the highlight; the entry click
    // sends the focus to Pause while Pause can take it, else selects the entry.
    void clicks_data()
    {
        QTest::addColumn<int>("ticks"); // -1: no countdown
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("focus");
        for (const auto &[ticks, target, focus] : {std::tuple{8, "txtMemo", "txtMemo"},
                                                   {-1, "txtNumMin", "txtNumMin"},
                                                   {1, "txtNumMin", "cmdPause"},
                                                   {6, "txtNumMin", "txtNumMin"}})
            QTest::addRow("%s after %d ticks", target, ticks) << ticks << target << focus;
    }
    void clicks()
    {
        QFETCH(int, ticks);
        QFETCH(QString, target);
        QFETCH(QString, focus);
        TimerRig rig;
        if (ticks >= 0)
            rig.start(QStringLiteral("0.05"));
        rig.tick(qMax(ticks, 0));
        rig.w->txtNumMin->setText(QStringLiteral("12.5"));
        auto *edit = rig.w->findChild<QLineEdit *>(target);
        for (int i = 0; i < 2; ++i) // a second click inside a selection must not undo it
            QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(12, edit->height() / 2));
        QVERIFY(rig.memoIs(false));
        QCOMPARE(rig.focused(), focus);
        QCOMPARE(rig.w->txtNumMin->selectedText(), focus == "txtNumMin" ? "12.5" : "");
    }

    // A hidden window runs every step of its ticks except the focus moves.
    void hiddenWindow()
    {
        TimerRig rig;
        rig.start(QStringLiteral("0.05"));
        rig.tick(5);
        rig.w->hide();
        rig.tick();
        QVERIFY(rig.fake.plays.size() == 1 && rig.memoIs(true) && rig.w->cmdGo->isEnabled());
        QVERIFY(rig.w->focusWidget() != rig.w->txtNumMin);
        rig.tick(2);
        QVERIFY(rig.idle() && rig.w->txtNumMin->text().isEmpty());
        QVERIFY(rig.w->focusWidget() != rig.w->cmdGo);
    }

    // Exit unloads a loaded picker, shown or hidden, then the main window;
    // an open About window keeps the program alive. Nothing is stored.
    void exit_data()
    {
        QTest::addColumn<QString>("via");
        QTest::addColumn<QString>("picker");
        QTest::addColumn<bool>("about");
        for (const auto &[via, picker, about] : {std::tuple{"button", "none", false},
                                                 {"menu", "shown", false},
                                                 {"close box", "hidden", false},
                                                 {"button", "hidden", true}})
            QTest::addRow("%s, picker %s%s", via, picker, about ? ", About open" : "")
                << via << picker << about;
    }
    void exit()
    {
        QFETCH(QString, via);
        QFETCH(QString, picker);
        QFETCH(bool, about);
        TimerRig rig;
        QPointer<frmTimer> w = rig.w;
        rig.start(QStringLiteral("1"));
        if (picker != QLatin1String("none"))
            Forms::SoundPkr().setVisible(picker == QLatin1String("shown"));
        if (about)
            Forms::About().show();
        if (via == QLatin1String("button"))
            QTest::mouseClick(w->cmdExit, Qt::LeftButton);
        else if (via == QLatin1String("menu"))
            w->mnuFileExit->trigger();
        else
            w->close();
        QVERIFY(!Forms::TimerIfLoaded() && !Forms::SoundPkrIfLoaded());
        QCOMPARE(Forms::AboutIfLoaded() != nullptr, about);
        // Qt ends the program once no window that quits on close is visible.
        bool alive = false;
        for (QWidget *t : QApplication::topLevelWidgets())
            alive |= t->isVisible() && t->testAttribute(Qt::WA_QuitOnClose);
        QCOMPARE(alive, about);
        QCOMPARE(rig.fake.saves, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w);
    }
};

QTEST_MAIN(TestCountdown)
#include "tst_frmtimer_countdown.moc"

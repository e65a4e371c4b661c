// SPDX-License-Identifier: MIT
// The main window over the fake platform: what Start makes of an entry,
// focus through a countdown, what the user sees, Always On Top, and waking
// from a long sleep. States, buttons, captions,
// sounds and the ticks' schedule step by step: tst_soak.
#include "TestRig.h"
#include "about/frmAbout.h"
#include "sound/MSysSnd.h"
#include "sound/frmSoundPkr.h"

using namespace brivel;
using test::TimerRig;

class TestTimer : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // The entry, then in C and in de_DE the first time shown or the message:
    // "-" asks for minutes, "max" gives the maximum (seconds round half to even).
    void start_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("outcome");
        const char *rows[][3] = {
            {"", "-", "-"}, {"abc", "-", "-"}, {"-1", "-", "-"}, {"nan", "-", "-"},
            {"1e400", "max", "max"}, {"1,000", "-", "00:01:00"}, {"1.5", "00:01:30", "-"},
            {"5999.01", "max", "-"}, {"5999,01", "-", "max"}, {"5999", "99:59:00", "99:59:00"},
            {"0.125", "00:00:08", "-"}, {"0.375", "00:00:22", "-"}, {" 5 ", "00:05:00", "00:05:00"}};
        for (const auto &r : rows)
            for (int l : {1, 2})
                QTest::addRow("%s \"%s\"", l == 1 ? "C" : "de", r[0]) << (l == 1 ? "C" : "de_DE")
                                                                    << r[0] << r[l];
    }
    void start()
    {
        QFETCH(QString, entry);
        QFETCH(QString, outcome);
        QLocale::setDefault(QLocale(QTest::currentDataTag()[0] == 'C' ? "C" : "de_DE"));
        TimerRig rig;
        rig.w->txtMemo->setFocus();
        rig.start(entry);
        const bool bad = !outcome.contains(':');
        QCOMPARE(rig.fake.messages.size(), bad ? 1 : 0);
        QCOMPARE(rig.fake.messages.value(0).contains("maximum allowable"), outcome == "max");
        QCOMPARE(rig.idle(), bad);
        // A refused entry is selected for retyping, unless it is empty.
        QCOMPARE(rig.focused(), !bad ? "cmdPause" : entry.isEmpty() ? "txtMemo" : "txtNumMin");
        QCOMPARE(rig.w->txtNumMin->selectedText(), bad ? entry : "");
        if (!bad) {
            QCOMPARE(rig.fake.preloaded, QStringList{rig.w->m_WaveFile}); // ready before the alarm
            rig.tick();
            QCOMPARE(rig.w->txtNumMin->text(), outcome);
        }
    }

    // Focus through a countdown, on the window shown or hidden: the entry at
    // the alarm, Start at the end.
    void focusThroughCountdown()
    {
        for (bool hidden : {false, true}) {
            TimerRig rig;
            rig.start("0.05");
            rig.tick(5);
            rig.w->setVisible(!hidden);
            rig.tick(); // the alarm
            QVERIFY(rig.fake.plays.size() == 1 && rig.memoIs(true) && rig.w->cmdGo->isEnabled());
            QCOMPARE(rig.w->focusWidget() == rig.w->txtNumMin, !hidden);
            rig.tick(2);
            QVERIFY(rig.idle() && rig.w->txtNumMin->text().isEmpty() && !rig.w->Timer2->isArmed());
            QCOMPARE(rig.w->focusWidget() == rig.w->cmdGo, !hidden);
            rig.tick(4);
            QVERIFY(rig.fake.plays.size() == 1 && !rig.fake.plays[0].wait && rig.fake.beeps == 1);
        }
    }

    // The captions and menus, and no caption clipped in the desktop's fonts,
    // the longest countdown and "Resume" included.
    void looks()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        QCOMPARE(w->centralWidget()->size(), QSize(224, 149));
        QStringList seen;
        for (QWidget *c : std::initializer_list<QWidget *>{w->lblLabel1, w->txtNumMin, w->cmdReset,
                                                           w->cmdGo, w->cmdPause, w->lblMemo, w->cmdExit})
            seen << c->property("text").toString() + " | " + c->toolTip();
        for (QMenu *m : {w->mnuFile, w->mnuOptions, w->mnuHelp}) {
            seen << m->title();
            for (QAction *a : m->actions())
                seen << (a->isSeparator() ? "-" : a->text());
        }
        QCOMPARE(seen.join(", "),
                 "Please type desired number of minutes: | ,  | Enter whole minutes - use decimal "
                 "for fractions, Reset | Stop & Clear Timer, Start | Start timer, Pause | Pause "
                 "Timer, Memo: | , Exit | Exit Brivel, &File, &Reset, E&xit, &Options, &Always On "
                 "Top, &Mute, -, &New Phone, &Old Phone, -, &Sound Picker, &Help, &Brivel Help, "
                 "&About Brivel");
        for (const auto &[c, text] : QList<std::pair<QWidget *, QString>>{
                 {w->lblLabel1, w->lblLabel1->text()}, {w->lblMemo, "Memo:"}, {w->cmdGo, "Start"},
                 {w->cmdReset, "Reset"}, {w->cmdPause, "Resume"}, {w->cmdExit, "Exit"},
                 {w->txtNumMin, "99:59:00"}}) {
            QRect room = c->contentsRect();
            if (c == w->txtNumMin)
                room.adjust(3, 1, -3, -1); // the text box's margins and cursor
            if (auto *button = qobject_cast<QPushButton *>(c)) {
                QStyleOptionButton option;
                option.initFrom(button);
                room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            }
            const QFontMetrics fm(c->font());
            QVERIFY2(fm.horizontalAdvance(text) <= room.width()
                         && fm.tightBoundingRect(text).height() <= room.height(), qPrintable(text));
        }
    }

    // Only exactly True asks for topmost, and a failed call goes unnoticed
    // (the window manager's side: the desktop scenario).
    void msysSnd()
    {
        TimerRig rig;
        QWindow *window = rig.w->windowHandle();
        QCOMPARE(MSysSnd::SetTopMost(window, True), 1);
        QCOMPARE(MSysSnd::SetTopMost(window, qint16(1)), 0);
        rig.fake.topMostResult = false;
        QCOMPARE(MSysSnd::SetTopMost(window, True), 0);
        rig.w->mnuAlwaysOnTop->trigger();
        QVERIFY(rig.w->mnuAlwaysOnTop->isChecked() && rig.fake.stackings.last().topMost);
        rig.fake.playThrows = true; // a failing sound service is one beep
        MSysSnd::PlayWav("/a b/x.wav", True);
        QVERIFY(rig.fake.beeps == 1 && rig.fake.messages.isEmpty() && rig.fake.saves == 0);
    }

    // After ten hours asleep the countdown jumps in one step; an alarm that
    // fell due sounds once and asks for attention while another window is
    // active, until the timer is activated; then the last second as ever.
    void longSleep()
    {
        for (const auto &[minutes, shown, plays] : {std::tuple{"900", "05:00:01", 0}, {"300", "00:00:01", 1}}) {
            TimerRig rig;
            rig.start(minutes);
            QWidget other;
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            int titles = 0;
            connect(rig.w, &QWidget::windowTitleChanged, this, [&titles] { ++titles; });
            rig.fake.advance(10LL * 3600 * 1000);
            rig.w->Timer2->catchUp();
            QVERIFY(titles == 1 && rig.w->txtNumMin->text() == shown && rig.memoIs(plays));
            QVERIFY(rig.fake.plays.size() == plays && rig.fake.attention.size() == plays);
            rig.tick(2);
            QVERIFY(rig.fake.plays.size() == plays && rig.fake.beeps == plays && rig.idle() == plays);
            QCOMPARE(rig.w->txtNumMin->text(), plays ? "" : "05:00:00");
            rig.w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(rig.w));
            QCOMPARE(rig.fake.attention.size(), 2 * plays);
            QVERIFY(!plays || (rig.fake.attention[0].topMost && !rig.fake.attention[1].topMost));
        }
    }
};

BRIVEL_TEST_MAIN(TestTimer)
#include "tst_frmtimer.moc"

// SPDX-License-Identifier: MIT
// Start with every kind of entry, the Enter key, and Always On Top.
#include "TimerRig.h"

using namespace brivel;
using test::TimerRig;

class TestStart : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // What Start makes of an entry: a message, or a countdown whose first
    // tick shows the full time (seconds rounded half to even).
    void start_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("outcome");
        // The entry, then in C and in de_DE the first time shown or the message:
        // "-" asks for minutes, "max" gives the maximum.
        // clang-format off
        const char *rows[][3] = {
            {"", "-", "-"}, {"abc", "-", "-"}, {"-1", "-", "-"}, {"nan", "-", "-"},
            {"1e400", "max", "max"}, {"1,000", "-", "00:01:00"}, {"1.5", "00:01:30", "-"},
            {"1,5", "-", "00:01:30"}, {"5999.01", "max", "-"}, {"5999,01", "-", "max"},
            {"5999", "99:59:00", "99:59:00"}, {"0.125", "00:00:08", "-"},
            {"0.375", "00:00:22", "-"}, {"0", "00:00:00", "00:00:00"},
            {" 5 ", "00:05:00", "00:05:00"}};
        // clang-format on
        for (const auto &r : rows)
            for (int l : {1, 2})
                QTest::addRow("%s \"%s\"", l == 1 ? "C" : "de_DE", r[0])
                    << (l == 1 ? "C" : "de_DE") << r[0] << r[l];
    }
    void start()
    {
        QFETCH(QString, locale);
        QFETCH(QString, entry);
        QFETCH(QString, outcome);
        QLocale::setDefault(QLocale(locale));
        TimerRig rig;
        rig.w->txtMemo->setFocus();
        rig.start(entry);
        const bool bad = !outcome.contains(QLatin1Char(':'));
        QCOMPARE(rig.fake.messages.size(), bad ? 1 : 0);
        QCOMPARE(rig.fake.messages.value(0).contains("maximum allowable"), outcome == "max");
        QCOMPARE(rig.idle(), bad);
        // A refused entry is selected for retyping, unless it is empty.
        QCOMPARE(rig.focused(), !bad ? "cmdPause" : entry.isEmpty() ? "txtMemo" : "txtNumMin");
        QCOMPARE(rig.w->txtNumMin->selectedText(), bad ? entry : "");
        if (bad)
            return;
        QCOMPARE(rig.fake.preloaded, QStringList{rig.w->m_WaveFile}); // ready before the alarm
        rig.tick();
        QCOMPARE(rig.w->txtNumMin->text(), outcome);
    }

    // Enter or keypad Enter presses the focused button, else Start while it
    // is enabled; all but "started" act during a countdown.
    void keys_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("outcome");
        for (const auto &[focus, outcome] : {std::pair{"txtNumMin", "started"},
                                             {"txtMemo", "started"},
                                             {"txtNumMin", "running"},
                                             {"cmdPause", "paused"},
                                             {"cmdReset", "idle"}})
            QTest::addRow("%s: %s", focus, outcome) << focus << outcome;
    }
    void keys()
    {
        QFETCH(QString, focus);
        QFETCH(QString, outcome);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            TimerRig rig;
            if (outcome != QLatin1String("started"))
                rig.start(QStringLiteral("2"));
            rig.w->txtNumMin->setText(QStringLiteral("1"));
            rig.w->findChild<QWidget *>(focus)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key);
            const char *now = rig.idle()                  ? "idle"
                              : rig.w->paused()           ? "paused"
                              : rig.w->lngTotalSecs == 60 ? "started"
                                                          : "running";
            QCOMPARE(now, outcome);
        }
    }

    // Qt flips a check mark before the handler runs; each click must change
    // it once, as the handler says (Mute and the phones: tst_soak).
    void alwaysOnTop()
    {
        TimerRig rig;
        for (bool onTop : {true, false}) {
            rig.w->mnuAlwaysOnTop->trigger();
            QCOMPARE(rig.w->mnuAlwaysOnTop->isChecked(), onTop);
            QCOMPARE(rig.fake.stackings.last().topMost, onTop);
        }
        QCOMPARE(rig.fake.stackings.size(), 2);
    }
};

QTEST_MAIN(TestStart)
#include "tst_frmtimer_start.moc"

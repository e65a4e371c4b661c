// SPDX-License-Identifier: MIT
// Start with every kind of entry, the keys of the window, and the check
// marks of the menus.
#include "TimerRig.h"

#include <QAction>

using namespace brivel;
using test::TimerRig;

namespace {
const QString kTypeMinutes =
    QStringLiteral("Please type the number of minutes\r\nyou want the timer set for.");
const QString kMaximum = QStringLiteral("Sorry, maximum allowable\r\nminutes is 5999");

struct Members {
    bool hook, onOff;
    qint32 total, h, m, s;
    bool operator==(const Members &) const = default;
};
Members members(const frmTimer &w)
{
    return {w.blHook, w.blOnOff, w.lngTotalSecs, w.lngHours, w.lngMins, w.lngSecs};
}
} // namespace

class TestStart : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Entries and what Start makes of them: a message, or the total seconds
    // and the counters "h:m:s" one second high.
    void start_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("outcome"); // "type", "max" or "total h:m:s"
        // clang-format off
        const char *rows[][3] = {
            {"C", "", "type"}, {"C", " ", "type"}, {"C", "abc", "type"},
            {"C", "6000", "max"}, {"C", "5999.01", "max"}, {"C", "5999", "359940 99:59:1"},
            {"C", "0", "0 0:0:1"}, {"C", "0.5", "30 0:0:31"}, {"C", "0.99", "59 0:0:60"},
            {"C", "1.5", "90 0:1:31"}, {"C", "60", "3600 1:0:1"}, {"C", "0.125", "8 0:0:9"},
            {"C", "0.375", "22 0:0:23"}, {"C", " 5 ", "300 0:5:1"}, {"C", "-1", "type"},
            {"C", "-1e400", "type"}, {"C", "1e400", "max"}, {"C", "inf", "max"},
            {"C", "nan", "type"}, {"C", "1,000", "type"}, {"de_DE", "1,5", "90 0:1:31"},
            {"de_DE", "1.5", "type"}, {"de_DE", "5999,01", "max"},
        };
        // clang-format on
        for (const auto &r : rows)
            QTest::addRow("%s \"%s\"", r[0], r[1]) << r[0] << r[1] << r[2];
    }
    void start()
    {
        QFETCH(QString, locale);
        QFETCH(QString, entry);
        QFETCH(QString, outcome);
        QLocale::setDefault(QLocale(locale));
        TimerRig rig;
        frmTimer *w = rig.w;
        // A bold red memo from an earlier alarm, the focus in the memo.
        rig.start(QStringLiteral("0"));
        rig.tick(2);
        QVERIFY(rig.memoHighlighted());
        w->txtMemo->setFocus();
        const Members before = members(*w);
        rig.fake.preloaded.clear();

        w->txtNumMin->setText(entry);
        w->cmdGo->click();

        QVERIFY(rig.memoPlain()); // on every click
        QCOMPARE(w->txtNumMin->text(), entry);
        QCOMPARE(w->windowTitle(), QStringLiteral("Brivel"));
        if (outcome == QLatin1String("type") || outcome == QLatin1String("max")) {
            QCOMPARE(rig.fake.messages,
                     QStringList{outcome == QLatin1String("max") ? kMaximum : kTypeMinutes});
            QVERIFY(members(*w) == before);
            QVERIFY(rig.idle());
            // The empty entry keeps the focus where it was; others are selected.
            QCOMPARE(rig.focused(), entry.isEmpty() ? "txtMemo" : "txtNumMin");
            QCOMPARE(w->txtNumMin->selectedText(), entry);
            return;
        }
        QVERIFY(rig.fake.messages.isEmpty());
        QCOMPARE(QStringLiteral("%1 %2:%3:%4")
                     .arg(w->lngTotalSecs)
                     .arg(w->lngHours)
                     .arg(w->lngMins)
                     .arg(w->lngSecs),
                 outcome);
        QVERIFY(!w->blHook && !w->blOnOff);
        QCOMPARE(w->lblLabel1->text(), QString());
        QVERIFY(!w->cmdGo->isEnabled() && w->cmdReset->isEnabled() && w->cmdPause->isEnabled());
        QCOMPARE(rig.focused(), QStringLiteral("cmdPause"));
        QCOMPARE(w->Timer2->Interval(), TickIntervalMs);
        QVERIFY(w->Timer2->Enabled() && w->Timer2->isArmed());
        QCOMPARE(rig.fake.preloaded, QStringList{w->m_WaveFile});
    }

    // Enter presses the focused button, else Start while it is enabled.
    void keys_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("outcome");
        const int enter = Qt::Key_Return, escape = Qt::Key_Escape;
        // clang-format off
        QTest::newRow("enter in entry") << false << "txtNumMin" << enter << "started";
        QTest::newRow("keypad enter") << false << "txtNumMin" << int(Qt::Key_Enter) << "started";
        QTest::newRow("enter in memo") << false << "txtMemo" << enter << "started";
        QTest::newRow("enter on start") << false << "cmdGo" << enter << "started";
        QTest::newRow("enter on exit") << false << "cmdExit" << enter << "exited";
        QTest::newRow("escape idle") << false << "txtNumMin" << escape << "idle";
        QTest::newRow("enter, start off") << true << "txtNumMin" << enter << "running";
        QTest::newRow("enter on pause") << true << "cmdPause" << enter << "paused";
        QTest::newRow("enter on reset") << true << "cmdReset" << enter << "idle";
        QTest::newRow("escape running") << true << "cmdPause" << escape << "running";
        // clang-format on
    }
    void keys()
    {
        QFETCH(bool, running);
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(QString, outcome);
        TimerRig rig;
        frmTimer *w = rig.w;
        if (running)
            rig.start(QStringLiteral("2"));
        w->txtNumMin->setText(QStringLiteral("1"));
        auto *target = w->findChild<QWidget *>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (outcome == QLatin1String("exited")) {
            QVERIFY(!Forms::TimerIfLoaded());
            return;
        }
        QVERIFY(rig.fake.messages.isEmpty());
        QCOMPARE(w->paused(), outcome == QLatin1String("paused"));
        if (outcome == QLatin1String("idle"))
            QVERIFY(rig.idle());
        else if (outcome == QLatin1String("started"))
            QCOMPARE(w->lngTotalSecs, 60);
        else
            QCOMPARE(w->lngTotalSecs, 120); // the first countdown runs on
    }

    // Qt flips a check mark before the handler runs; each click must
    // change the marks once, as the handler says.
    void checkMarks()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        const auto marks = [w] {
            QString s;
            for (QAction *a :
                 {w->mnuAlwaysOnTop, w->mnuOptionsMute, w->mnuNewPhone, w->mnuOldPhone})
                s += a->isChecked() ? QLatin1Char('x') : QLatin1Char('-');
            return s;
        };
        QCOMPARE(marks(), QStringLiteral("--x-"));
        w->mnuOptionsMute->trigger();
        QCOMPARE(marks(), QStringLiteral("-xx-"));
        w->mnuOptionsMute->trigger();
        QCOMPARE(marks(), QStringLiteral("--x-"));
        w->mnuAlwaysOnTop->trigger();
        QCOMPARE(marks(), QStringLiteral("x-x-"));
        w->mnuAlwaysOnTop->trigger();
        QCOMPARE(marks(), QStringLiteral("--x-"));
        QCOMPARE(rig.fake.stackings.size(), 2);
        QVERIFY(rig.fake.stackings[0].topMost && !rig.fake.stackings[1].topMost);
        w->mnuNewPhone->trigger(); // already checked: stays checked
        QCOMPARE(marks(), QStringLiteral("--x-"));
        w->mnuOldPhone->trigger();
        QCOMPARE(marks(), QStringLiteral("---x"));
        w->mnuOldPhone->trigger();
        QCOMPARE(marks(), QStringLiteral("---x"));
    }
};

QTEST_MAIN(TestStart)
#include "tst_frmtimer_start.moc"

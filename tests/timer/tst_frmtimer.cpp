// SPDX-License-Identifier: MIT
// The main window over the fake platform. A seeded random walk of user
// actions against a model of the window: its state (Idle, Running, Paused,
// Alarm) with buttons and captions, the display, the alarm's sounds, the
// memo, Mute, the sound picker and the stored alarm, compared after every
// step, typing in C and in de_DE (BRIVEL_SOAK_SEED replays a walk,
// BRIVEL_SOAK_STEPS sets its length). Then what the walk does not see: what
// the user sees, focus and messages at Start and through a countdown, the
// notification, and a long sleep, with a failing sound service.
#include "TestRig.h"
#include "sound/PickerLists.h"

#include <random>

using namespace brivel;
using test::TimerRig;

namespace {

// What a user types, and the seconds it gives in C and in de_DE: -1 asks for
// minutes, -2 is above the maximum (seconds round half to even).
struct Entry {
    const char *text;
    int seconds[2];
};
constexpr Entry Entries[] = {
    {"0", {0, 0}},         {"0.02", {1, -1}},          {"0.05", {3, -1}},  {"0.125", {8, -1}},
    {"0.375", {22, -1}},   {"0.99", {59, -1}},         {"1", {60, 60}},    {" 1.5 ", {90, -1}},
    {"60", {3600, 3600}},  {"5999", {359940, 359940}}, {"", {-1, -1}},     {"abc", {-1, -1}},
    {"-1", {-1, -1}},      {"nan", {-1, -1}},          {"1,5", {-1, 90}},  {"1,000", {-1, 60}},
    {"5999.01", {-2, -1}}, {"5999,01", {-1, -2}},      {"1e400", {-2, -2}}};
constexpr int Steps[] = {500, 500, 500, 250, 1000, 1517, 5000};
// What the picker's folder holds; OK takes a name ending in "wav" only.
constexpr const char *PickerFiles[] = {"ring.wav", "BELL.WAV", "notes.txt"};
// Stored at the start: a user's own file of a ring's name, and a ring of a folder that is gone.
const QString Stored[] = {"/mine/Phonenew.wav", "/gone/Phonerng.wav"};
const QString CurrentKey = test::App + '|' + test::Section + "|Current";
enum State { Idle, Running, Paused, Alarm };

struct Model {
    State state = Idle;
    int left = 0; // the counters, in seconds
    bool onOff = false, hook = false, mute = false, red = false, picker = false, mainHidden = false;
    qint64 next = 0; // when the next tick is due
    // selected: the file clicked in the picker
    QString entry, caption = QStringLiteral("Brivel"), memo, wave, stored, selected;
    QStringList played;
    int beeps = 0, messages = 0;
    // Pause and Reset are on, Start off; the check has shown the buttons agree.
    bool counting() const { return state == Running || state == Paused; }
};

class Walk {
public:
    // Without a sound device the walk types in de_DE.
    Walk(quint64 seed, int devices)
        : m_de(devices == 0), m_random(seed), m_rig([this, devices](test::FakePlatform &f) {
              f.waveDevices = devices;
              f.folder = m_dir.path();
              for (const char *name : PickerFiles)
                  QFile(m_dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
              f.settings.insert(CurrentKey, Stored[devices]);
              f.existingFiles.append(Stored[0]);
          })
    {
        m.stored = Stored[devices]; // the store is left as it was
        m.wave = devices ? m_rig.fake.folder + "/Phonerng.wav" : m.stored;
    }

    // One user action or a move of the clock, on the window and the model.
    QString step()
    {
        frmTimer *w = m_rig.w;
        if (m.picker && (m.mainHidden || pick(3) == 0))
            return pickerStep();
        const int roll = pick(100);
        if (roll < 2 && !m.picker) {
            w->mnuOptionsSoundPicker->trigger();
            m.picker = true;
            return "Sound Picker";
        }
        if (roll < 40 || m.mainHidden) {
            const int ms = Steps[pick(std::size(Steps))];
            m_rig.tick(1, ms);
            while ((m.state == Running || m.state == Alarm) && m.next <= m_rig.fake.now)
                tick();
            return QString::number(ms) + " ms";
        }
        if (roll < 55) {
            m.entry = QLatin1String(Entries[pick(std::size(Entries))].text);
            w->txtNumMin->selectAll();
            QTest::keyClick(w->txtNumMin, Qt::Key_Backspace);
            QTest::keyClicks(w->txtNumMin, m.entry);
            return "type \"" + m.entry + '"';
        }
        if (roll < 66) {
            // Enter in the entry field is Start while Start is enabled.
            w->txtNumMin->setFocus();
            if (roll < 60)
                QTest::mouseClick(w->cmdGo, Qt::LeftButton);
            else
                QTest::keyClick(w->txtNumMin, pick(2) ? Qt::Key_Return : Qt::Key_Enter);
            if (m.counting())
                return "Start (off)";
            m.red = false;
            int seconds = -1;
            for (const Entry &e : Entries)
                seconds = m.entry == QLatin1String(e.text) ? e.seconds[m_de] : seconds;
            if (seconds < 0) {
                ++m.messages;
                return "Start: a message";
            }
            m.left = seconds + 1;
            m.hook = m.onOff = false;
            m.state = Running;
            m.next = m_rig.fake.now + TickIntervalMs; // Start and Pause restart the schedule
            return "Start";
        }
        if (roll < 74) {
            QTest::mouseClick(w->cmdPause, Qt::LeftButton);
            if (!m.counting())
                return "Pause (off)";
            m.state = m.state == Paused ? Running : Paused;
            m.next = m_rig.fake.now + TickIntervalMs;
            return "Pause";
        }
        if (roll < 78) {
            // The menu's Reset works in every state, the button's while counting.
            if (roll < 76)
                w->mnuFileReset->trigger();
            else
                QTest::mouseClick(w->cmdReset, Qt::LeftButton);
            if (roll >= 76 && !m.counting())
                return "Reset (off)";
            idle();
            return "Reset";
        }
        if (roll < 82) {
            w->mnuOptionsMute->trigger();
            m.mute = !m.mute;
            return "Mute";
        }
        if (roll < 86) {
            const bool newPhone = pick(2);
            (newPhone ? w->mnuNewPhone : w->mnuOldPhone)->trigger();
            m.wave = m.stored = m_rig.fake.folder + (newPhone ? "/Phonenew.wav" : "/Phonerng.wav");
            return m.wave;
        }
        if (roll < 95) {
            QTest::mouseClick(pick(2) ? w->txtMemo : w->txtNumMin, Qt::LeftButton);
            m.red = false;
            return "click";
        }
        const QString memo = pick(2) ? "tea" : "a memo longer than twenty letters";
        w->txtMemo->selectAll();
        QTest::keyClicks(w->txtMemo, memo);
        m.memo = memo.left(20);
        return "memo";
    }

    // What the window shows that the model does not, if anything.
    QString check() const
    {
        const frmTimer *w = m_rig.w;
        const frmSoundPkr *picker = Forms::SoundPkrIfLoaded();
        QStringList on = m.counting() ? QStringList{m.state == Paused ? "Resume" : "Pause", "Reset"}
                                      : QStringList{"Start"};
        on << (m.state == Running || m.state == Alarm ? "timer on" : "timer off") << m.caption
           << (m.state == Idle ? QString(TimerRig::Idle).section('|', -1) : "");
        const QList<std::tuple<const char *, QVariant, QVariant>> shownAndWanted = {
            {"buttons|timer|title|prompt", m_rig.state(), on.join('|')},
            {"memo look", m_rig.memo(), m.red ? TimerRig::Red : TimerRig::Plain},
            {"Mute", w->mnuOptionsMute->isChecked(), m.mute},
            // A ring's mark is on while that ring of the program folder is the alarm.
            {"New Phone", w->mnuNewPhone->isChecked(), m.wave == m_dir.filePath("Phonenew.wav")},
            {"Old Phone", w->mnuOldPhone->isChecked(), m.wave == m_dir.filePath("Phonerng.wav")},
            {"entry", w->txtNumMin->text(), m.entry},
            {"memo", w->txtMemo->text(), m.memo},
            {"beeps", m_rig.fake.beeps, m.beeps},
            {"played", m_rig.fake.plays.join(", "), m.played.join(", ")},
            {"messages", int(m_rig.fake.messages.size()), m.messages},
            {"alarm", w->m_WaveFile, m.wave},
            {"stored", m_rig.fake.settings.value(CurrentKey), m.stored},
            {"picker shown", picker && picker->isVisible(), m.picker},
            {"main hidden", w->isHidden(), m.mainHidden}};
        QString diff;
        for (const auto &[name, shown, wanted] : shownAndWanted)
            if (shown != wanted)
                diff += QString("%1: %2, want %3\n").arg(name, shown.toString(), wanted.toString());
        return diff;
    }

private:
    // A file clicked, OK or Cancel in the shown picker.
    QString pickerStep()
    {
        frmSoundPkr *p = Forms::SoundPkrIfLoaded();
        const int roll = pick(3);
        if (roll == 0) {
            m.selected = QLatin1String(PickerFiles[pick(std::size(PickerFiles))]);
            return (test::clickItem(p->bxFiles, m.selected) ? "pick " : "not listed: ")
                   + m.selected;
        }
        if (roll == 1) {
            // Cancel unloads the picker: the next one starts without a file.
            QTest::mouseClick(p->cmdCancel, Qt::LeftButton);
            m.picker = m.mainHidden = false;
            m.selected.clear();
            return "picker Cancel";
        }
        QTest::mouseClick(p->cmdOK, Qt::LeftButton);
        m.mainHidden = true;
        if (!m.selected.toLower().endsWith(QLatin1String("wav"))) {
            ++m.messages;
            return "picker OK: a message";
        }
        m.wave = m.stored = m_dir.filePath(m.selected);
        m.mute = m.picker = m.mainHidden = false;
        return "picker OK";
    }

    int pick(int count) { return int(m_random() % quint64(count)); }
    void idle()
    {
        m.state = Idle;
        m.caption = "Brivel";
        m.entry.clear();
    }

    // One tick as the rules have it: the alarm on 00:00:01, the end on 00:00:00.
    void tick()
    {
        m.next += TickIntervalMs;
        m.onOff = !m.onOff;
        if (m.left == 1) {
            if (!m.mute && m_rig.fake.waveDevices > 0 && !m.hook) {
                m.hook = true;
                m.played << m.wave;
            } else if (!m.mute) {
                ++m.beeps;
            }
            m.red = true;
            m.state = Alarm;
        }
        if (m.left == 0) {
            idle();
        } else if (m.onOff) {
            const int s = --m.left;
            m.entry = QString::asprintf("%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
            m.caption = "Brivel - " + m.entry;
        }
    }

    const bool m_de;
    std::mt19937_64 m_random;
    QTemporaryDir m_dir; // the program folder, as the picker lists it
    TimerRig m_rig;
    Model m; // what the window should show
};

} // namespace

class TestTimer : public QObject {
    Q_OBJECT
private slots:
    // The offscreen desktop's warnings (it cannot raise the picker) are not
    // the walk's concern.
    void initTestCase() { QLoggingCategory::setFilterRules("default.warning=false"); }

    void randomWalk()
    {
        const auto setting = [](const char *name, quint64 otherwise) {
            return qEnvironmentVariable(name, QString::number(otherwise)).toULongLong();
        };
        const QPalette light = QApplication::palette();
        for (int devices : {1, 0}) {
            // A dark desktop theme (black fields, white text), then a light one.
            QApplication::setPalette(devices ? QPalette(Qt::black) : light);
            QLocale::setDefault(QLocale(devices ? "C" : "de_DE"));
            const quint64 seed = setting("BRIVEL_SOAK_SEED", 20240607 + devices);
            Walk walk(seed, devices);
            const auto where = QString("BRIVEL_SOAK_SEED=%1, devices %2\n").arg(seed).arg(devices);
            QStringList last;
            for (quint64 n = 1; n <= setting("BRIVEL_SOAK_STEPS", 100'000) / 2; ++n) {
                last = last.mid(last.size() / 12) << QString::number(n) + ": " + walk.step();
                QCoreApplication::processEvents();
                const QString difference = walk.check();
                QVERIFY2(difference.isEmpty(), qPrintable(where + difference + last.join(", ")));
            }
        }
    }

    // The captions and menus, and no caption clipped in the desktop's fonts,
    // the longest countdown and "Resume" included. Then Start: a refused
    // entry is one message, "maximum allowable" above it, and is selected for
    // retyping unless it is empty; a good one readies the alarm, and from its
    // Pause, Tab goes round every control in reading order.
    void looksAndStart()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        QCOMPARE(w->centralWidget()->size(), QSize(224, 149));
        QStringList seen;
        for (QWidget *c : QWidgetList{w->lblLabel1, w->txtNumMin, w->cmdReset, w->cmdGo,
                                      w->cmdPause, w->lblMemo, w->cmdExit}) {
            seen << c->property("text").toString() + " | " + c->toolTip();
            const QString text = c == w->cmdPause    ? "Resume"
                                 : c == w->txtNumMin ? "99:59:00"
                                                     : c->property("text").toString();
            // A button's text has its bevel round it, the entry's its cursor.
            QStyleOptionButton option;
            option.initFrom(c);
            const QRect room =
                qobject_cast<QPushButton *>(c)
                    ? c->style()->subElementRect(QStyle::SE_PushButtonContents, &option, c)
                    : c->contentsRect().marginsRemoved(c == w->txtNumMin ? QMargins(3, 1, 3, 1)
                                                                         : QMargins());
            const QFontMetrics fm(c->font());
            const QSize need(fm.horizontalAdvance(text), fm.tightBoundingRect(text).height());
            QVERIFY2(room.size().expandedTo(need) == room.size(), qPrintable(text));
        }
        for (QMenu *m : {w->mnuFile, w->mnuOptions, w->mnuHelp}) {
            seen << m->title();
            for (QAction *a : m->actions())
                seen << (a->isSeparator() ? "-" : a->text() + (a->isCheckable() ? "*" : ""));
        }
        QCOMPARE(
            seen.join(", "),
            "Please type desired number of minutes: | ,  | Enter whole minutes - use decimal "
            "for fractions, Reset | Stop & Clear Timer, Start | Start timer, Pause | Pause "
            "Timer, Memo: | , Exit | Exit Brivel, &File, &Reset, E&xit, &Options, &Always On "
            "Top*, &Mute*, -, &New Phone*, &Old Phone*, -, &Sound Picker, &Help, &Brivel Help, "
            "&About Brivel");
        for (const QString entry : {"", "abc", "1e400", " 5 "}) {
            rig.fake.messages.clear();
            w->txtMemo->setFocus();
            rig.start(entry);
            const bool bad = entry != " 5 ";
            QCOMPARE(rig.fake.messages.value(0).contains("maximum allowable"), entry == "1e400");
            QCOMPARE(rig.focused(), !bad ? "cmdPause" : entry.isEmpty() ? "txtMemo" : "txtNumMin");
            QCOMPARE(w->txtNumMin->selectedText(), bad ? entry : "");
            QCOMPARE(rig.fake.preloaded, bad ? QStringList() : QStringList{w->m_WaveFile});
        }
        for (const char *next : {"txtMemo", "txtNumMin", "cmdExit", "cmdReset", "cmdPause"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(TimerRig::focused(), next);
        }
    }

    // At the alarm, behind another window, the timer asks for attention and
    // its notification says the memo, Mute or not; clicked, it brings the
    // timer back, minimised or not, and is taken away. Exit takes it away too.
    void notification()
    {
        for (const QString end : {"click", "click minimised", "Exit"}) {
            TimerRig rig;
            rig.w->mnuOptionsMute->trigger();
            const QString body = end == "Exit" ? "0" : "Tea"; // the minutes without a memo
            rig.w->txtMemo->setText(end == "Exit" ? "" : body);
            rig.start("0");
            QWidget other;
            other.show();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            if (end.endsWith("minimised"))
                rig.w->showMinimized();
            rig.tick();
            if (end == "Exit")
                rig.w->cmdExit->click();
            else
                rig.fake.clickNotice();
            QVERIFY2(rig.w->isUnloaded() || QTest::qWaitForWindowActive(rig.w), qPrintable(end));
            QVERIFY2(!rig.w->isMinimized(), qPrintable(end));
            QCOMPARE(rig.fake.notices.join(", "), "withdraw, show " + body + ", withdraw");
            // asked for, then ended unless Exit ends Brivel
            QCOMPARE(rig.fake.attention, QList<bool>({true, false}).first(end == "Exit" ? 1 : 2));
        }
    }

    // After ten hours asleep the countdown jumps in one step; an alarm that
    // fell due sounds once, and the entry has the focus if the window is shown;
    // then the last second as ever, and Start has the focus. Active or hidden,
    // there is nothing to ask nor to notify (Start withdraws). The hidden
    // one's sound service fails: a beep instead of its ring, and nothing else.
    void longSleep()
    {
        for (const auto &[minutes, shown, plays, hidden] : {std::tuple{"900", "05:00:01", 0, false},
                                                            {"300", "00:00:01", 1, false},
                                                            {"300", "00:00:01", 1, true}}) {
            TimerRig rig([&](test::FakePlatform &f) { f.playThrows = hidden; });
            rig.start(minutes);
            rig.w->setVisible(!hidden);
            QSignalSpy titles(rig.w, &QWidget::windowTitleChanged);
            rig.tick(1, 10LL * 3600 * 1000);
            QCOMPARE(titles.size(), 1);
            QCOMPARE(rig.w->txtNumMin->text(), shown);
            QCOMPARE(rig.memo(), plays ? TimerRig::Red : TimerRig::Plain);
            QCOMPARE(rig.w->focusWidget() == rig.w->txtNumMin, plays && !hidden);
            rig.tick(2);
            QCOMPARE(rig.fake.plays.size(), plays - hidden);
            QCOMPARE(rig.fake.beeps, plays + hidden);
            QCOMPARE(rig.state(),
                     plays ? TimerRig::Idle : "Pause|Reset|timer on|Brivel - 05:00:00|");
            QCOMPARE(rig.w->Timer2->isArmed(), !plays);
            QCOMPARE(rig.w->focusWidget() == rig.w->cmdGo, plays && !hidden);
            QVERIFY(rig.fake.attention.isEmpty());
            QCOMPARE(rig.fake.notices, QStringList{"withdraw"});
            QVERIFY(rig.fake.messages.isEmpty());
            QVERIFY(rig.fake.settings.isEmpty()); // the alarm as it was
        }
    }

    // Offscreen there is no session bus: the alarm's real notification is
    // nothing, at once, and only the sound category tells why. Last: the
    // desktop's warnings are on again.
    void notificationWithoutBus()
    {
        QTest::failOnWarning(QRegularExpression("."));
        QLoggingCategory::setFilterRules("brivel.sound.debug=true");
        QTest::ignoreMessage(QtDebugMsg, "no session bus: the alarm shows no notification");
        test::RecordingPlatform platform;
        platform.withdrawNotification();      // Start
        platform.showNotification("Tea", {}); // the alarm
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
};

BRIVEL_TEST_MAIN(TestTimer)
#include "tst_frmtimer.moc"

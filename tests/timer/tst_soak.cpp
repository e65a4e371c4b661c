// SPDX-License-Identifier: MIT
// A long random walk of user actions against the real windows over the fake
// platform, checked after every step against a model of the program: the
// window's state (Idle, Running, Paused, Alarm) with its timer, buttons and
// captions, the counters and the display, the alarm's sounds, the memo, the
// menu marks, the sound picker and the About dialog, and the settings store,
// which must always hold the last choice.
//
// BRIVEL_SOAK_SEED replays a walk (a failure prints its seed and step);
// BRIVEL_SOAK_STEPS sets its length.
#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "sound/PickerLists.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include <deque>
#include <random>

using namespace brivel;

namespace {

const QString Prompt = QStringLiteral("Please type desired number of minutes:");
const QString TypeMinutes =
    QStringLiteral("Please type the number of minutes\r\nyou want the timer set for.");
const QString Maximum = QStringLiteral("Sorry, maximum allowable\r\nminutes is 5999");
const QString NotWave = QStringLiteral("The selected file is not a .wav file.");
const QString Section = QStringLiteral("Settings\\WaveFile");

// What a user types, and what the rules make of it: the seconds, or -1 for
// an empty or non-numeric entry and -2 for one above 5999.
struct Entry {
    const char *text;
    int seconds;
};
constexpr Entry Entries[] = {
    {"0", 0},        {"0.02", 1},   {"0.05", 3},  {"0.1", 6},    {"0.125", 8}, {"0.375", 22},
    {"0.5", 30},     {"0.99", 59},  {"1", 60},    {" 1.5 ", 90}, {"60", 3600}, {"5999", 359940},
    {"", -1},        {" ", -1},     {"abc", -1},  {"-1", -1},    {"nan", -1},  {"1,5", -1},
    {"5999.01", -2}, {"1e400", -2}, {"6000", -2},
};
// The picker's folder (the program folder) and its subfolder.
const char *const Files[] = {"Phonenew.wav", "Phonerng.wav", "bell.WAV", "mywav",
                             "notes.txt",    "song.mp3",     "tone.wave"};
const char *const MoreFiles[] = {"chime.wav", "readme"};

enum class State { Idle, Running, Paused, Alarm };
enum class Picker { NotLoaded, Shown, ShownMainHidden, Hidden };

const char *stateName(State s)
{
    switch (s) {
    case State::Idle:
        return "Idle";
    case State::Running:
        return "Running";
    case State::Paused:
        return "Paused";
    case State::Alarm:
        return "Alarm";
    }
    return "?";
}

QString two(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// The program as the rules describe it.
struct Model {
    State state = State::Idle;
    int hours = 0, mins = 0, secs = 0;
    bool onOff = false, hook = false, paused = false;
    bool timerEnabled = false;
    int interval = 0;
    qint64 scheduleStart = 0; // the timer's ticks fall due from here
    qint64 ticksDelivered = 0;
    bool wav = true;
    QString wave;
    bool newPhone = true, oldPhone = false, mute = false;
    QString entry, caption = QStringLiteral("Brivel"), label = Prompt, memo;
    bool highlighted = false;
    bool mainVisible = true;
    QHash<QString, QString> stored;
    int plays = 0, beeps = 0;
    qsizetype messages = 0; // shown so far
    QString lastMessage;
    Picker picker = Picker::NotLoaded;
    QString pickerDrive, pickerDir, pickerFiles, pickerSelected, pickerPath;
    bool about = false;
};

class Walk {
public:
    Walk(quint64 seed, const QString &folder)
        : m_random(seed), m_folder(folder), m_volume(QStorageInfo(folder).rootPath())
    {
        m_fake.folder = folder;
        m_fake.waveDevices = (m_random() % 5 == 0) ? 0 : 1;
        m_model.wav = m_fake.waveDevices > 0;
        Forms::setPlatform(&m_fake);
        m_w = &Forms::Timer();
        m_w->show();
        m_model.wave = folder + QStringLiteral("/Phonenew.wav");
    }

    // One step; false with a description when the program left the model.
    bool step(int n, QString *why)
    {
        const QString action = act();
        ++m_counts[action.section(QLatin1Char(' '), 0, 0)];
        m_history.push_back(QStringLiteral("%1: %2").arg(n).arg(action));
        if (m_history.size() > 25)
            m_history.pop_front();
        // What the event loop would do between two user actions.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString difference = compare();
        if (difference.isEmpty())
            return true;
        *why =
            QStringLiteral("after %1: %2\nlast actions:\n  %3")
                .arg(action, difference,
                     QStringList(m_history.begin(), m_history.end()).join(QStringLiteral("\n  ")));
        return false;
    }

    // Exit ends the program's windows, the About dialog excepted.
    bool exit(QString *why)
    {
        // Out of the state where only the picker can be used.
        if (frmSoundPkr *p = Forms::SoundPkrIfLoaded(); p && !m_model.mainVisible)
            p->cmdCancel->click();
        m_w->cmdExit->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (Forms::TimerIfLoaded() || Forms::SoundPkrIfLoaded()) {
            *why = QStringLiteral("a window outlived Exit");
            return false;
        }
        if (bool(Forms::AboutIfLoaded()) != m_model.about) {
            *why = QStringLiteral("Exit closed or opened the About dialog");
            return false;
        }
        return true;
    }

    int alarms() const { return m_alarms; }
    QString counts() const
    {
        QStringList out;
        for (auto it = m_counts.begin(); it != m_counts.end(); ++it)
            out << it.key() + QLatin1Char(' ') + QString::number(it.value());
        return out.join(QStringLiteral(", "));
    }
    int starts() const { return m_starts; }

private:
    bool chance(int percent) { return int(m_random() % 100) < percent; }
    int pick(int count) { return int(m_random() % quint64(count)); }

    // ---- actions: each acts on the windows, then on the model ----

    QString act()
    {
        const bool main = m_model.mainVisible;
        const bool pickerShown =
            m_model.picker == Picker::Shown || m_model.picker == Picker::ShownMainHidden;
        for (;;) {
            const int roll = pick(100);
            if (roll < 38)
                return tick();
            if (pickerShown && roll < 50)
                return pickerAction();
            if (!main)
                continue;
            if (roll < 58)
                return type();
            if (roll < 68)
                return start();
            if (roll < 74)
                return clickButton(m_w->cmdPause, &Walk::pause, "Pause");
            if (roll < 76)
                return clickButton(m_w->cmdReset, &Walk::reset, "Reset");
            if (roll < 78) {
                m_w->mnuFileReset->trigger();
                reset();
                return QStringLiteral("File > Reset");
            }
            if (roll < 81) {
                m_w->mnuOptionsMute->trigger();
                m_model.mute = !m_model.mute;
                return QStringLiteral("Mute");
            }
            if (roll < 84)
                return phone(chance(50));
            if (roll < 89)
                return clickEntryOrMemo();
            if (roll < 91)
                return typeMemo();
            if (roll < 93)
                return openPicker();
            if (roll < 96)
                return about();
            return tick();
        }
    }

    QString type()
    {
        const Entry &e = Entries[pick(std::size(Entries))];
        m_w->txtNumMin->selectAll();
        if (*e.text)
            QTest::keyClicks(m_w->txtNumMin, QLatin1String(e.text));
        else
            QTest::keyClick(m_w->txtNumMin, Qt::Key_Backspace);
        m_model.entry = QLatin1String(e.text);
        return QStringLiteral("type \"%1\"").arg(QLatin1String(e.text));
    }

    QString clickButton(QPushButton *button, void (Walk::*model)(), const char *name)
    {
        const bool enabled = button->isEnabled();
        QTest::mouseClick(button, Qt::LeftButton);
        if (enabled)
            (this->*model)();
        return QLatin1String(name) + (enabled ? QString() : QStringLiteral(" (disabled)"));
    }

    QString start()
    {
        const QString typed = m_w->txtNumMin->text();
        const QString name = clickButton(m_w->cmdGo, &Walk::startModel, "Start");
        return name + QStringLiteral(" with \"%1\"").arg(typed);
    }

    void startModel()
    {
        m_model.highlighted = false;
        int seconds = -1;
        for (const Entry &e : Entries) {
            if (m_model.entry == QLatin1String(e.text))
                seconds = e.seconds;
        }
        if (seconds == -1) {
            message(TypeMinutes);
            return;
        }
        if (seconds == -2) {
            message(Maximum);
            return;
        }
        ++m_starts;
        m_model.label.clear();
        m_model.hours = seconds / 3600;
        m_model.mins = (seconds - 3600 * m_model.hours) / 60;
        m_model.secs = seconds - 3600 * m_model.hours - 60 * m_model.mins + 1;
        m_model.hook = false;
        m_model.onOff = false;
        m_model.state = State::Running;
        m_model.interval = TickIntervalMs;
        m_model.timerEnabled = true;
        restartSchedule();
    }

    void message(const QString &text)
    {
        ++m_model.messages;
        m_model.lastMessage = text;
    }

    void restartSchedule()
    {
        m_model.scheduleStart = m_fake.now;
        m_model.ticksDelivered = 0;
    }

    void pause()
    {
        m_model.paused = !m_model.paused;
        m_model.timerEnabled = !m_model.paused;
        m_model.state = m_model.paused ? State::Paused : State::Running;
        restartSchedule();
    }

    // Reset leaves the counters, the phase, the memo; the button goes back
    // to "Pause" so that the next countdown does not start under "Resume".
    void reset()
    {
        m_model.label = Prompt;
        m_model.interval = 0;
        m_model.timerEnabled = false;
        m_model.entry.clear();
        m_model.caption = QStringLiteral("Brivel");
        m_model.state = State::Idle;
        m_model.paused = false;
    }

    QString tick()
    {
        static constexpr int Steps[] = {
            TickIntervalMs,     TickIntervalMs,     TickIntervalMs,          TickIntervalMs,
            TickIntervalMs / 2, 2 * TickIntervalMs, 3 * TickIntervalMs + 17, 10 * TickIntervalMs};
        const int ms = Steps[pick(std::size(Steps))];
        m_fake.advance(ms);
        m_w->Timer2->catchUp();
        int ticks = 0;
        while (m_model.timerEnabled && m_model.interval > 0
               && m_model.scheduleStart + (m_model.ticksDelivered + 1) * m_model.interval
                      <= m_fake.now) {
            ++m_model.ticksDelivered;
            ++ticks;
            tickModel();
        }
        return QStringLiteral("%1 ms: %2 tick(s)").arg(ms).arg(ticks);
    }

    void tickModel()
    {
        Model &m = m_model;
        m.onOff = !m.onOff;
        if (m.hours == 0 && m.mins == 0 && m.secs == 1) {
            ++m_alarms;
            if (!m.mute) {
                if (m.wav && !m.hook) {
                    ++m.plays;
                    m_lastWave = m.wave;
                    m.hook = true;
                } else {
                    ++m.beeps;
                }
            }
            m.highlighted = true;
            m.state = State::Alarm;
        }
        if (m.hours == 0 && m.mins == 0 && m.secs == 0) {
            m.timerEnabled = false;
            m.label = Prompt;
            m.caption = QStringLiteral("Brivel");
            m.entry.clear();
            m.state = State::Idle;
        } else if (m.onOff) {
            if (m.secs != 0) {
                --m.secs;
            } else if (m.mins != 0) {
                --m.mins;
                m.secs = 59;
            } else {
                --m.hours;
                m.mins = 59;
                m.secs = 59;
            }
            m.entry =
                two(m.hours) + QLatin1Char(':') + two(m.mins) + QLatin1Char(':') + two(m.secs);
            m.caption = QStringLiteral("Brivel - ") + m.entry;
        }
    }

    QString phone(bool newPhone)
    {
        (newPhone ? m_w->mnuNewPhone : m_w->mnuOldPhone)->trigger();
        m_model.newPhone = newPhone;
        m_model.oldPhone = !newPhone;
        m_model.wave =
            m_folder
            + (newPhone ? QStringLiteral("/Phonenew.wav") : QStringLiteral("/Phonerng.wav"));
        store(QStringLiteral("Current"), m_model.wave);
        return newPhone ? QStringLiteral("New Phone") : QStringLiteral("Old Phone");
    }

    void store(const QString &key, const QString &value)
    {
        m_model.stored.insert(test::FakePlatform::storeKey(QStringLiteral("Brivel"), Section, key),
                              value);
    }
    QString stored(const QString &key, const QString &defaultValue) const
    {
        return m_model.stored.value(
            test::FakePlatform::storeKey(QStringLiteral("Brivel"), Section, key), defaultValue);
    }

    QString clickEntryOrMemo()
    {
        m_model.highlighted = false;
        if (chance(60)) {
            QTest::mouseClick(m_w->txtMemo, Qt::LeftButton);
            return QStringLiteral("click memo");
        }
        QTest::mouseClick(m_w->txtNumMin, Qt::LeftButton);
        // Unless a countdown runs with Pause at hand, the entry is selected
        // for retyping.
        if (!(m_model.timerEnabled && m_model.state == State::Running)
            && m_w->txtNumMin->selectedText() != m_w->txtNumMin->text())
            m_model.entry = QStringLiteral("<entry not selected>");
        return QStringLiteral("click entry");
    }

    QString typeMemo()
    {
        static const QString Words[] = {QStringLiteral("tea"), QStringLiteral("call Ann back"),
                                        QStringLiteral("a memo longer than twenty letters"),
                                        QStringLiteral("pick up #7 at 5:30")};
        const QString &word = Words[pick(std::size(Words))];
        m_w->txtMemo->selectAll();
        QTest::keyClicks(m_w->txtMemo, word);
        m_model.memo = word.left(20);
        return QStringLiteral("type memo");
    }

    QString about()
    {
        if (m_model.about && chance(70)) {
            frmAbout *about = Forms::AboutIfLoaded();
            if (!about)
                return QStringLiteral("<About dialog missing>");
            if (chance(50))
                QTest::mouseClick(about->cmdOK, Qt::LeftButton);
            else
                QTest::keyClick(about, Qt::Key_Escape);
            m_model.about = false;
            return QStringLiteral("close About");
        }
        m_w->mnuHelpAboutBrivel->trigger();
        m_model.about = true;
        return QStringLiteral("About");
    }

    // ---- the sound picker ----

    QString openPicker()
    {
        m_w->mnuOptionsSoundPicker->trigger();
        Model &m = m_model;
        if (m.picker == Picker::NotLoaded) {
            m.pickerDrive = m_volume;
            m.pickerDir = stored(QStringLiteral("Directory"), m_folder);
            m.pickerFiles = stored(QStringLiteral("Files"), m.pickerDir);
            m.pickerPath = stored(QStringLiteral("Path"), m.wave);
            m.pickerSelected.clear();
        }
        m.picker = Picker::Shown;
        return QStringLiteral("Sound Picker");
    }

    QString pickerAction()
    {
        frmSoundPkr *p = Forms::SoundPkrIfLoaded();
        if (!p)
            return QStringLiteral("<picker missing>");
        Model &m = m_model;
        const int roll = pick(100);
        if (roll < 35) {
            const bool more = m.pickerFiles.endsWith(QLatin1String("/more"));
            const QString name = QLatin1String(more ? MoreFiles[pick(std::size(MoreFiles))]
                                                    : Files[pick(std::size(Files))]);
            const bool dbl = chance(25);
            if (!clickFile(*p, name, dbl))
                return QStringLiteral("<file %1 not listed>").arg(name);
            m.pickerSelected = name;
            m.pickerPath = m.pickerDir + QLatin1Char('/') + name;
            if (dbl)
                choose();
            return (dbl ? QStringLiteral("double click ") : QStringLiteral("click ")) + name;
        }
        if (roll < 60) {
            QTest::mouseClick(p->cmdOK, Qt::LeftButton);
            choose();
            return QStringLiteral("picker OK");
        }
        if (roll < 72) {
            QTest::mouseClick(p->cmdCancel, Qt::LeftButton);
            m.picker = Picker::NotLoaded;
            m.mainVisible = true;
            return QStringLiteral("picker Cancel");
        }
        if (roll < 80) {
            p->txtCurrentPath->selectAll();
            QTest::keyClicks(p->txtCurrentPath, QStringLiteral("typed/path"));
            m.pickerPath = QStringLiteral("typed/path");
            return QStringLiteral("type picker path");
        }
        // Into the subfolder, or back to its parent.
        const bool down = !m.pickerDir.endsWith(QLatin1String("/more"));
        const QString target = down ? QStringLiteral("more") : QDir(m_folder).dirName();
        QTreeWidgetItem *item = nullptr;
        for (QTreeWidgetItemIterator it(p->bxDirectories); *it; ++it) {
            if ((*it)->text(0) == target)
                item = *it;
        }
        if (!item)
            return QStringLiteral("<folder %1 not listed>").arg(target);
        p->bxDirectories->scrollToItem(item);
        const QPoint at = p->bxDirectories->visualItemRect(item).center();
        QTest::mouseClick(p->bxDirectories->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(p->bxDirectories->viewport(), Qt::LeftButton, {}, at);
        m.pickerDir = down ? m_folder + QStringLiteral("/more") : m_folder;
        m.pickerFiles = m.pickerDir;
        m.pickerSelected.clear();
        return QStringLiteral("open folder ") + target;
    }

    static bool clickFile(frmSoundPkr &p, const QString &name, bool dbl)
    {
        const QList<QListWidgetItem *> found = p.bxFiles->findItems(name, Qt::MatchExactly);
        if (found.isEmpty())
            return false;
        p.bxFiles->scrollToItem(found.first());
        const QPoint at = p.bxFiles->visualItemRect(found.first()).center();
        QTest::mouseClick(p.bxFiles->viewport(), Qt::LeftButton, {}, at);
        if (dbl)
            QTest::mouseDClick(p.bxFiles->viewport(), Qt::LeftButton, {}, at);
        return true;
    }

    // OK, or a double click on a file.
    void choose()
    {
        Model &m = m_model;
        const QString path = m.pickerDir + QLatin1Char('/') + m.pickerSelected;
        m.mainVisible = false;
        if (path.toLower().right(3) != QLatin1String("wav")) {
            message(NotWave);
            m.picker = Picker::ShownMainHidden;
            return;
        }
        m.wave = path;
        store(QStringLiteral("Current"), path);
        store(QStringLiteral("Drive"), m.pickerDrive);
        store(QStringLiteral("Directory"), m.pickerDir);
        store(QStringLiteral("Files"), m.pickerFiles);
        store(QStringLiteral("Path"), m.pickerPath);
        m.newPhone = m.oldPhone = m.mute = false;
        m.picker = Picker::Hidden;
        m.mainVisible = true;
    }

    // ---- the check after every step ----

    QString compare() const
    {
        const Model &m = m_model;
        const frmTimer &w = *m_w;
        QStringList d;
        const auto same = [&d](const char *what, const auto &got, const auto &want) {
            if (got != want)
                d << QStringLiteral("%1 is %2, expected %3")
                         .arg(QLatin1String(what), QVariant::fromValue(got).toString(),
                              QVariant::fromValue(want).toString());
        };
        // The state table.
        const bool running = m.state == State::Running, paused = m.state == State::Paused,
                   alarm = m.state == State::Alarm, idle = m.state == State::Idle;
        same("Timer2 enabled", w.Timer2->Enabled(), running || alarm);
        same("Timer2 enabled (model)", m.timerEnabled, running || alarm);
        same("Timer2 interval", w.Timer2->Interval(), m.interval);
        if (!idle)
            same("Timer2 interval while counting", w.Timer2->Interval(), int(TickIntervalMs));
        same("Start enabled", w.cmdGo->isEnabled(), idle || alarm);
        same("Pause enabled", w.cmdPause->isEnabled(), running || paused);
        same("Reset enabled", w.cmdReset->isEnabled(), running || paused);
        same("Pause caption", w.cmdPause->text(),
             paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        same("Pause tooltip", w.cmdPause->toolTip(),
             paused ? QStringLiteral("Resume Timer") : QStringLiteral("Pause Timer"));
        same("prompt", w.lblLabel1->text(), idle ? Prompt : QString());
        same("prompt (model)", m.label, idle ? Prompt : QString());
        same("window caption", w.windowTitle(), m.caption);
        if (idle)
            same("idle caption", w.windowTitle(), QStringLiteral("Brivel"));
        // The countdown.
        same("hours", w.lngHours, m.hours);
        same("minutes", w.lngMins, m.mins);
        same("seconds", w.lngSecs, m.secs);
        same("phase", w.blOnOff, m.onOff);
        same("wave played", w.blHook, m.hook);
        same("paused flag", w.paused(), m.paused);
        same("wave device", w.blWav, m.wav);
        same("entry", w.txtNumMin->text(), m.entry);
        // The alarm and the memo.
        same("plays", int(m_fake.plays.size()), m.plays);
        same("beeps", m_fake.beeps, m.beeps);
        if (!m_fake.plays.isEmpty())
            same("played file", m_fake.plays.last().path, m_lastWave);
        same("messages", m_fake.messages.size(), m.messages);
        if (!m_fake.messages.isEmpty())
            same("last message", m_fake.messages.last(), m.lastMessage);
        const bool bold = w.txtMemo->font().bold();
        const QColor colour = w.txtMemo->palette().color(QPalette::Text);
        same("memo bold", bold, m.highlighted);
        // Cleared, the memo is black; before any clearing it has the
        // system's text colour.
        if (m.highlighted)
            same("memo colour", colour.name(), QStringLiteral("#ff0000"));
        else if (colour == QColor(255, 0, 0))
            d << QStringLiteral("the memo is still red");
        same("memo", w.txtMemo->text(), m.memo);
        // The alarm choice and the store.
        same("alarm file", w.m_WaveFile, m.wave);
        same("New Phone", w.mnuNewPhone->isChecked(), m.newPhone);
        same("Old Phone", w.mnuOldPhone->isChecked(), m.oldPhone);
        same("Mute", w.mnuOptionsMute->isChecked(), m.mute);
        if (m_fake.settings != m.stored)
            d << QStringLiteral("the store holds %1 values, not the last choices")
                     .arg(m_fake.settings.size());
        // The windows.
        same("main window shown", w.isVisible(), m.mainVisible);
        const frmSoundPkr *p = Forms::SoundPkrIfLoaded();
        same("picker loaded", p != nullptr, m.picker != Picker::NotLoaded);
        if (p) {
            same("picker shown", p->isVisible(), m.picker != Picker::Hidden);
            same("picker drive", p->bxDrives->Drive(), m.pickerDrive);
            same("picker folder", p->bxDirectories->Path(), m.pickerDir);
            same("picker files", p->bxFiles->Path(), m.pickerFiles);
            same("picker selection", p->bxFiles->FileName(), m.pickerSelected);
            same("picker path", p->txtCurrentPath->text(), m.pickerPath);
        }
        const frmAbout *a = Forms::AboutIfLoaded();
        same("About open", a != nullptr && a->isVisible(), m.about);
        if (!d.isEmpty())
            d.prepend(QStringLiteral("state %1:").arg(QLatin1String(stateName(m.state))));
        return d.join(QStringLiteral("\n  "));
    }

    std::mt19937_64 m_random;
    test::FakePlatform m_fake;
    frmTimer *m_w = nullptr;
    Model m_model;
    QString m_folder, m_volume, m_lastWave;
    std::deque<QString> m_history;
    int m_alarms = 0, m_starts = 0;
    QMap<QString, int> m_counts;
};

} // namespace

// The offscreen platform warns about every raise and size hint; the rest
// goes through.
QtMessageHandler g_next = nullptr;
void quietPlatform(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        g_next(type, context, message);
}

class TestSoak : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        g_next = qInstallMessageHandler(quietPlatform);
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("more")));
        for (const char *name : Files)
            QVERIFY(QFile(m_dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        for (const char *name : MoreFiles)
            QVERIFY(QFile(m_dir.filePath(QStringLiteral("more/") + QLatin1String(name)))
                        .open(QIODevice::WriteOnly));
    }

    void cleanupTestCase() { qInstallMessageHandler(g_next); }

    void randomWalk()
    {
        bool ok = false;
        quint64 seed = qEnvironmentVariable("BRIVEL_SOAK_SEED").toULongLong(&ok);
        if (!ok)
            seed = 20240607;
        int steps = qEnvironmentVariableIntValue("BRIVEL_SOAK_STEPS", &ok);
        if (!ok)
            steps = 100000;

        Walk walk(seed, QDir(m_dir.path()).canonicalPath());
        QString why;
        for (int n = 1; n <= steps; ++n) {
            if (!walk.step(n, &why))
                QFAIL(qPrintable(
                    QStringLiteral("BRIVEL_SOAK_SEED=%1 step %2 %3").arg(seed).arg(n).arg(why)));
        }
        QVERIFY2(walk.exit(&why),
                 qPrintable(QStringLiteral("BRIVEL_SOAK_SEED=%1 at Exit: %2").arg(seed).arg(why)));
        qInfo("seed %llu: %d steps, %d countdowns started, %d alarm ticks; actions: %s", seed,
              steps, walk.starts(), walk.alarms(), qPrintable(walk.counts()));
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The entries above are written for a point as the decimal separator.
    QLocale::setDefault(QLocale::c());
    TestSoak test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_soak.moc"

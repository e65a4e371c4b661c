// SPDX-License-Identifier: MIT
// What every test shares: a fake platform, the real one with what the user
// sees recorded, the main window driven as the user and the clock would, and
// the tools that read the real desktop and the sound server's sink.
#pragma once

#include "about/frmAbout.h"
#include "platform/LinuxPlatform.h"
#include "platform/MachineHive.h"
#include "sound/AlarmSettings.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace brivel::test {

inline const QString App = settings::Application, Section = settings::Section;

// Records what Brivel asks of the operating system and answers from fields
// a test sets. Nothing here blocks or touches the desktop.
class FakePlatform : public Platform {
public:
    QString GetSetting(const QString &a, const QString &s, const QString &k,
                       const QString &d) override
    {
        return settings.value(a + '|' + s + '|' + k, d);
    }
    void SaveSetting(const QString &a, const QString &s, const QString &k,
                     const QString &v) override
    {
        settings.insert(a + '|' + s + '|' + k, v);
    }
    int waveOutDeviceCount() override { return waveDevices; }
    void preloadWave(const QString &path) override { preloaded.append(path); }
    void playWave(const QString &path, bool wait) override
    {
        if (playThrows)
            throw std::runtime_error("no sound service");
        plays.append(wait ? path + " (waited)" : path);
    }
    void beep() override { ++beeps; }
    // The window manager's side: tst_real_desktop.
    bool setTopMost(QWindow *, bool) override { return true; }
    void hideFromTaskbar(QWindow *window) override { offTaskbar.append(window); }
    void setDemandsAttention(QWindow *, bool on) override { attention.append(on); }
    void showNotification(const QString &body, std::function<void()> activate) override
    {
        notices.append("show " + body);
        clickNotice = std::move(activate);
    }
    void withdrawNotification() override { notices.append("withdraw"); }
    qint64 startProgram(const QString &line, int show, const QRect &beside) override
    {
        const QString frame = beside.isNull() ? QString() : '|' + viewer::frameText(beside);
        starts.append(line + '|' + QString::number(show) + frame);
        return startResult;
    }
    bool fileExists(const QString &path) override { return existingFiles.contains(path); }
    QString programFolder() override { return folder; }
    QString helpFilePath() override { return helpFile; }
    // A box with no window to keep it above is recorded as such.
    void messageBox(const QString &t, QWidget *o) override { messages << (o ? t : "unowned " + t); }
    qint64 clockMs() override { return now; }
    MachineHive &machineHive() override // read again when the test names another file
    {
        if (!m_hive || m_hive->path() != hivePath)
            m_hive = std::make_unique<MachineHive>(hivePath);
        return *m_hive;
    }

    // Answers.
    int waveDevices = 1;
    QString folder = "/opt/brivel", helpFile = "/opt/brivel/Brivel Help.hlp";
    QStringList existingFiles;
    bool playThrows = false;
    qint64 startResult = 4242, now = 1'000'000; // startResult 0: the start fails
    QString hivePath;                           // empty: none
    // Records. plays: the wave, and " (waited)" for a play that holds the
    // window; notices: "show <body>" or "withdraw"; starts: "command line|show
    // window", and "|frame" when given one.
    QHash<QString, QString> settings; // "Brivel|Settings\WaveFile|Current" -> value
    int beeps = 0;
    QStringList plays, preloaded, messages, notices, starts;
    QList<bool> attention;             // asked for, or ended
    std::function<void()> clickNotice; // the user clicks the notification
    QList<QWindow *> offTaskbar;

private:
    std::unique_ptr<MachineHive> m_hive;
};

// The real platform (store, sound, stacking, programs) with message boxes
// and beeps recorded, and the program folder of the test.
class RecordingPlatform : public LinuxPlatform {
public:
    QString programFolder() override { return folder; }
    void messageBox(const QString &text, QWidget *owner) override
    {
        messages.append(text);
        if (realBoxes)
            LinuxPlatform::messageBox(text, owner);
    }
    void beep() override
    {
        ++beeps;
        LinuxPlatform::beep();
    }
    qint64 startProgram(const QString &line, int show, const QRect &beside) override
    {
        pids.append(LinuxPlatform::startProgram(line, show, beside));
        return pids.last();
    }
    // The record kept to the help viewers that still run (not ended, nor a pid used again).
    const QList<qint64> &viewers()
    {
        pids.removeIf([](qint64 pid) {
            return !QFile::symLinkTarget(QString("/proc/%1/exe").arg(pid)).endsWith("Winhlp32.exe");
        });
        return pids;
    }
    QString folder = QStringLiteral(BRIVEL_PROGRAM_DIR);
    QList<qint64> pids; // of the programs started, 0 for a start that failed
    QStringList messages;
    int beeps = 0;
    bool realBoxes = false; // shown on the desktop too
};

inline void unloadWindows()
{
    Forms::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The windows loaded, in one string that a check shows whole.
inline QString windows()
{
    QStringList loaded;
    for (const QWidget *w : std::initializer_list<const QWidget *>{
             Forms::TimerIfLoaded(), Forms::SoundPkrIfLoaded(), Forms::AboutIfLoaded()})
        if (w)
            loaded << w->objectName() + (w->isVisible() ? "" : " hidden");
    return loaded.join(", ");
}

// The main window over a platform, loaded and shown.
struct TimerRig {
    FakePlatform fake;
    frmTimer *w = nullptr;

    explicit TimerRig(const std::function<void(FakePlatform &)> &setup = {},
                      Platform *platform = nullptr)
    {
        if (setup)
            setup(fake);
        Forms::setPlatform(platform ? platform : &fake);
        w = &Forms::Timer();
        w->show();
        w->activateWindow();
        (void)QTest::qWaitForWindowActive(w);
    }
    ~TimerRig() { unloadWindows(); }
    void start(const QString &minutes)
    {
        w->txtNumMin->setText(minutes);
        w->cmdGo->click();
    }
    // The fake clock moves on by a step (an interval unless said) and the
    // tick comes, count times.
    void tick(int count = 1, qint64 step = TickIntervalMs)
    {
        for (int i = 0; i < count; ++i) {
            fake.now += step;
            w->Timer2->catchUp();
        }
    }
    static QString focused()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "-";
    }
    // After an alarm the memo is bold red; a click makes it plain, in the
    // desktop's own text colour, which is named by no colour.
    static constexpr auto Red = "bold #ff0000", Plain = "plain";
    QString memo() const
    {
        const QColor look = w->txtMemo->palette().color(QPalette::Text);
        const bool own = look == QApplication::palette().color(QPalette::Text);
        return (w->txtMemo->font().bold() ? "bold" : "plain") + (own ? "" : ' ' + look.name());
    }
    // The buttons that are on, whether the timer runs, the title and the
    // prompt: one string, so that a check shows which of them differs.
    static constexpr auto Idle = "Start|timer off|Brivel|Please type desired number of minutes:";
    QString state() const
    {
        QStringList on;
        for (const QPushButton *b : {w->cmdGo, w->cmdPause, w->cmdReset})
            if (b->isEnabled())
                on << b->text();
        on << (w->Timer2->Enabled() ? "timer on" : "timer off") << w->windowTitle()
           << w->lblLabel1->text();
        return on.join('|');
    }
};

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "<unreadable>";
}
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Clicks the item whose name or path is exactly key, once it is listed;
// twice makes it a double click.
inline bool clickItem(QAbstractItemView *view, const QString &key, bool twice = false)
{
    const QAbstractItemModel &m = *view->model();
    const auto row = [&] {
        return m.match(m.index(0, 0), Qt::UserRole, key, 1, Qt::MatchRecursive).value(0);
    };
    if (!QTest::qWaitFor([&] { return row().isValid(); }))
        return false;
    view->scrollTo(row());
    const QPoint pos = view->visualRect(row()).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pos);
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pos);
    return true;
}

// What a program prints, such as xprop about a window.
inline QString output(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
inline QString xprop(WId window, const QString &property)
{
    return output(QStringLiteral("xprop"), {"-id", QString::number(window), property});
}

// A test's main: a private HOME and settings store; offscreen where there is
// no display or when asked, and then without a session bus or sound server, so
// that a test run by hand from a desktop terminal reaches neither; then the test.
#define BRIVEL_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QTemporaryDir home;                                                                        \
        qputenv("HOME", QFile::encodeName(home.path()));                                           \
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));                    \
        if (qEnvironmentVariableIsEmpty("DISPLAY") || qgetenv("QT_QPA_PLATFORM") == "offscreen") { \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null/no-bus");                     \
            qputenv("PULSE_SERVER", "unix:/dev/null/no-server");                                   \
        }                                                                                          \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

} // namespace brivel::test

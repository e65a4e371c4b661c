// SPDX-License-Identifier: MIT
// Brivel on a real X server, window manager and sound server, one scenario
// per capability: the stored alarm heard on time at the sink after a
// restart; every kind of wave heard whole, the bell for what cannot play, a
// sound server that comes late; Always On Top as the window manager keeps it
// for every window Brivel shows; and one help viewer beside the timer
// without its focus. The sounds here take real time.
#include "HelpViewer.h"
#include "SinkRecorder.h"
#include "TestRig.h"
#include "platform/DesktopNotifier.h"
#include "sound/PickerLists.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <xcb/xcb.h>

#include <csignal>

using namespace brivel;

namespace {

// The frame on the X server: the client area grown by the window manager's extents.
QRect serverFrame(WId window)
{
    const auto m =
        QRegularExpression(R"(X:\s*(-?\d+).*?Y:\s*(-?\d+).*?Width:\s*(\d+).*?Height:\s*(\d+))",
                           QRegularExpression::DotMatchesEverythingOption)
            .match(test::output("xwininfo", {"-id", QString::number(window)}));
    const QStringList e = test::xprop(window, "_NET_FRAME_EXTENTS").section('=', 1).split(',');
    const auto n = [&e](int i) { return e.value(i).trimmed().toInt(); };
    return QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                 m.captured(4).toInt())
        .adjusted(-n(0), -n(2), n(1), n(3));
}
bool above(QWidget *w)
{
    return test::xprop(w->windowHandle()->winId(), "_NET_WM_STATE").contains("_ABOVE");
}
// Bottom to top, as the window manager stacks its clients.
bool stackedAbove(QWidget *upper, QWidget *lower)
{
    const QString list = test::output("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}) + ',';
    const auto at = [&](QWidget *w) {
        return list.indexOf(QString(" 0x%1,").arg(w->windowHandle()->winId(), 0, 16));
    };
    return at(lower) >= 0 && at(upper) > at(lower);
}
} // namespace

// A notification service that numbers the notifications it shows from 1 and
// whose signals, as some desktops' services do, reach every listener (dunst
// tells of a click only the program whose notification it was).
class NotificationService : public QDBusVirtualObject {
public:
    uint shown = 0;
    bool handleMessage(const QDBusMessage &call, const QDBusConnection &bus) override
    {
        if (call.member() == "Notify")
            return bus.send(call.createReply(++shown));
        // Its capabilities (also to a close, whose answer nobody reads).
        return bus.send(call.createReply(QStringList{"body", "actions"}));
    }
    QString introspect(const QString &) const override { return {}; }
};

class TestRealDesktop : public QObject {
    Q_OBJECT
    test::RecordingPlatform platform;
    test::SinkRecorder sink; // one for all: the null sink stays in short blocks
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != "xcb"
            || QStandardPaths::findExecutable("parec").isEmpty()
            || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
            if (qEnvironmentVariableIsSet("BRIVEL_DESKTOP_SESSION"))
                QFAIL("no X server, sound server or session bus in the desktop session");
            QSKIP("needs the desktop of scripts/desktop-session.sh (./test.sh starts it)");
        }
        qputenv("XDG_CACHE_HOME", "/dev/null"); // no sound lookups remembered from row to row
        QVERIFY(sink.start());
        // 0.2 s on, 0.2 off, 0.4 on, 0.2 off, 0.2 on: no bell sounds like it.
        QVERIFY(!QProcess::execute("sox", {"-V1", "-n", "-r", "48000", "-c", "1",
                                           dir.filePath("pattern.wav"), "synth", "0.8", "sine",
                                           "660", "pad", "0.2@0.2", "0.2@0.6"}));
    }
    // The windows, and a viewer a failed case left: only those the test started.
    void cleanup()
    {
        test::unloadWindows();
        for (const qint64 pid : platform.viewers())
            ::kill(pid_t(pid), SIGTERM);
    }

    // Old Phone chosen, Brivel started again: its ring starts on the alarm
    // tick, 3.0 s after Start, and plays whole (bursts 0-1.2 and 1.8-3.0 s).
    void storedAlarmHeardOnTime()
    {
        test::TimerRig({}, &platform).w->mnuOldPhone->trigger(); // then Brivel ends
        test::TimerRig rig({}, &platform);
        QTest::keyClicks(rig.w->txtNumMin, "0.05");
        const double start = sink.now();
        QTest::mouseClick(rig.w->cmdGo, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.w->Timer2->Enabled(), 10000);
        QVERIFY(sink.waitUntil(start + 6500));
        const double first = sink.loud(start, start + 6500),
                     last = sink.loudAfter(first, 0, 3300, false);
        QVERIFY2(std::abs(first - (start + 3000)) <= 100,
                 qPrintable(QString::number(first - start)));
        QVERIFY2(std::abs(last - 3000) <= 30, qPrintable(QString::number(last)));
        QVERIFY(!std::isnan(sink.loudAfter(first, 450, 550))); // not New Phone's gap
        QCOMPARE(platform.beeps, 1);                           // the tick after the ring beeps
    }

    // Each kind of wave plays whole, at its own rate and channels, with the
    // file's own pattern; what cannot play gives the desktop's bell at the
    // sink. The call returns at once either way.
    void everyWave_data()
    {
        QTest::addColumn<QStringList>("format");
        for (const QString row :
             {"missing|", "broken|-t raw", "8-bit|-r 11025 -e unsigned -b 8",
              "16-bit|-r 44100 -c 2 -b 16", "24-bit|-t wavpcm -r 48000 -b 24",
              "32-bit|-t wavpcm -r 96000 -b 32", "float 32|-r 22050 -e float -b 32",
              "float 64|-r 32000 -e float -b 64", "mu-law|-r 8000 -e mu-law",
              "A-law|-r 8000 -c 2 -e a-law", "IMA ADPCM|-r 22050 -e ima-adpcm",
              "MS ADPCM|-r 11025 -c 2 -e ms-adpcm", "GSM 6.10|-r 8000 -e gsm-full-rate",
              "extensible|-r 44100 -c 8 -b 24", "huge|-r 8000"})
            QTest::newRow(qPrintable(row.section('|', 0, 0)))
                << row.section('|', 1).split(' ', Qt::SkipEmptyParts);
    }
    void everyWave()
    {
        QFETCH(QStringList, format);
        const QString file = dir.filePath("alarm.wav");
        const bool plays = format.size() > 2;
        if (!format.isEmpty())
            QVERIFY(!QProcess::execute(
                "sox", QStringList{"-V1", dir.filePath("pattern.wav")} + format << file));
        if (QTest::currentDataTag() == QLatin1String("huge")) // larger than a wave can be
            QVERIFY(QFile::resize(file, qint64(9) << 29));
        platform.beeps = 0;
        const double call = sink.now();
        platform.playWave(file, false);
        QVERIFY(sink.now() - call < 50);
        QVERIFY(sink.waitUntil(call + 2000));
        QTRY_COMPARE(platform.beeps, plays ? 0 : 1);
        const double t = sink.loud(call, call + 700);
        QVERIFY2(t - call < 200, qPrintable(QString::number(t - call)));
        if (!plays)
            return;
        const QList<int> silent{230, 840, 1240};
        for (const int from : {230, 430, 760, 840, 1030, 1240})
            QVERIFY2(std::isnan(sink.loudAfter(t, from, from + 130)) == silent.contains(from),
                     qPrintable(QString::number(from)));
        // Whole, at its rate.
        QVERIFY(std::abs(sink.loudAfter(t, 0, call + 2000 - t, false) - 1200) < 30);
    }

    // No sound server at the load, then one started 8 s later: the load is
    // quick, nothing hangs, the bell and the ring play there, and the exit is
    // prompt.
    void lateServer()
    {
        const QByteArray pulse = qgetenv("PULSE_SERVER"), data = qgetenv("XDG_DATA_DIRS");
        const auto restore = qScopeGuard([&] {
            qputenv("PULSE_SERVER", pulse);
            qputenv("XDG_DATA_DIRS", data);
        });
        const QString socket = dir.filePath("s"), ring = BRIVEL_PROGRAM_DIR "/Phonenew.wav";
        qputenv("PULSE_SERVER", QFile::encodeName("unix:" + socket));
        const double load = sink.now();
        auto late = std::make_unique<test::RecordingPlatform>();
        Forms::setPlatform(late.get());
        // The windows go before the platform they use, also when a check fails.
        const auto unload = qScopeGuard(test::unloadWindows);
        QVERIFY(Forms::Timer().blWav);
        QVERIFY(sink.now() - load < 1000);
        QTest::qWait(int(load + 8000 - sink.now()));
        // No bus at all: the daemon must not meet the session's own on one.
        QProcess server;
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start("env", {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir.filePath("no-bus"),
                             "pulseaudio", "-n", "--daemonize=no", "--use-pid-file=no", "-L",
                             "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                             "module-null-sink"});
        QVERIFY2(QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 9000),
                 server.readAll().constData());
        test::SinkRecorder there;
        QVERIFY(there.start());
        // A desktop without a sound theme: the bell is Brivel's own tone.
        qputenv("XDG_DATA_DIRS", "/nowhere");
        const double beep = there.now();
        late->beep();
        QVERIFY(there.waitUntil(beep + 600));
        QVERIFY(!std::isnan(there.loud(beep, beep + 600)));
        const double call = there.now();
        late->playWave(ring, false);
        QVERIFY(there.waitUntil(call + 1500));
        QVERIFY(!std::isnan(there.loud(call, call + 1500)));
        QCOMPARE(late->beeps, 1); // and the ring played
        const double quit = sink.now();
        test::unloadWindows();
        late.reset();
        QVERIFY(sink.now() - quit < 3000);
    }

    // Centred, then where the user puts it; on top and released without
    // moving; hidden and shown as the sound picker does, also when the window
    // manager sees both at once, it comes back where it was and stays on top.
    // While on top, a refused entry's box (titled Brivel, OK only, plain
    // text), About and the picker open above it, and are released with it,
    // the picker also when it was hidden then.
    void alwaysOnTop()
    {
        test::TimerRig rig({}, &platform);
        frmTimer &w = *rig.w;
        // Asked each time: the window the server knows may be made anew.
        const auto frame = [&w] { return serverFrame(w.windowHandle()->winId()); };
        QTRY_COMPARE(frame(), w.frameGeometry());
        const QPoint off = w.frameGeometry().center() - w.screen()->availableGeometry().center();
        QVERIFY2(off.manhattanLength() <= 1, "not centred");
        // Where the user puts it, it stays.
        const QRect place = w.frameGeometry().translated(40, 30);
        w.move(place.topLeft());
        QTRY_COMPARE(frame(), place);
        QVERIFY(!above(&w));
        w.mnuAlwaysOnTop->trigger();
        QTRY_VERIFY(above(&w));
        QCOMPARE(frame(), place);
        auto *c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        xcb_grab_server(c); // the window manager sees the hide and the show at once
        w.hide();
        w.show();
        xcb_ungrab_server(c);
        xcb_flush(c);
        QTRY_COMPARE(frame(), place);
        QTRY_VERIFY(above(&w));
        platform.realBoxes = true;
        QString box;
        const QDeadlineTimer late(15000);
        QTimer poll; // runs inside the box's own event loop
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *b = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (b && ((stackedAbove(b, &w) && b->isActiveWindow()) || late.hasExpired())) {
                box = b->windowTitle() + '|' + QString::number(b->buttons().size() + b->icon())
                      + '|' + QString::number(b->textFormat()) + '|' + b->text();
                QTest::keyClick(b, Qt::Key_Return);
            }
        });
        poll.start(50);
        w.txtNumMin->setText("abc");
        QTest::mouseClick(w.cmdGo, Qt::LeftButton);
        platform.realBoxes = false;
        QCOMPARE(box, "Brivel|1|0|Please type the number of minutes\nyou want the timer set for.");
        QVERIFY2(!late.hasExpired(), "the box was not above the timer, or not active");
        QCOMPARE(w.txtNumMin->selectedText(), "abc");
        w.mnuHelpAboutBrivel->trigger();
        w.mnuOptionsSoundPicker->trigger();
        const QList<QWidget *> others{Forms::AboutIfLoaded(), Forms::SoundPkrIfLoaded()};
        for (QWidget *other : others) {
            QTRY_VERIFY2(stackedAbove(other, &w), qPrintable(other->objectName()));
            QVERIFY(!other->parentWidget());
            QVERIFY(!other->isModal());
        }
        // About is off the task bar from its first mapping.
        QVERIFY(test::xprop(others[0]->winId(), "_NET_WM_STATE").contains("SKIP_TASKBAR"));
        QVERIFY(test::clickItem(Forms::SoundPkr().bxFiles, "Phonenew.wav"));
        QTest::mouseClick(Forms::SoundPkr().cmdOK, Qt::LeftButton); // hidden while on top
        w.mnuAlwaysOnTop->trigger();
        w.mnuOptionsSoundPicker->trigger(); // shown again as the main window is
        for (QWidget *each : others + QList<QWidget *>{&w})
            QTRY_VERIFY2(!above(each), qPrintable(each->objectName()));
        QCOMPARE(frame(), place);
        // Every control the user can reach has a name a screen reader speaks.
        help::HelpViewer viewer;
        for (QWidget *window : others + QList<QWidget *>{&w, &viewer})
            for (QWidget *control : window->findChildren<QWidget *>())
                if (control->focusPolicy() & Qt::TabFocus)
                    QVERIFY2(!QAccessible::queryAccessibleInterface(control)
                                  ->text(QAccessible::Name)
                                  .isEmpty(),
                             qPrintable(control->objectName()));
    }

    // Behind another window the alarm's notification, as the bus carries it,
    // shows the memo as typed on a server that reads no markup (dunst,
    // started here); clicked, it activates the timer and is gone. With the
    // timer active none comes. Then F1 pressed three times leaves one viewer
    // at the topic, beside the timer, which keeps the focus; closed, the
    // viewer ends.
    void notificationThenHelp()
    {
        QProcess bus, server; // what Brivel asks of the server; their ends end them
        bus.start("stdbuf", {"-oL", "dbus-monitor", "--session", "member=Notify",
                             "member=NameOwnerChanged,arg0=org.freedesktop.Notifications"});
        QTRY_VERIFY(bus.peek(1000).contains("NameLost")); // watching
        server.start("dunst", {"-config", "/dev/null"});
        QTRY_VERIFY(bus.peek(4000).contains("\"org.freedesktop.Notifications\"")); // serving
        test::TimerRig rig({}, &platform);
        const QString main = QString::number(rig.w->winId());
        rig.w->txtMemo->setText("Tea & <cake>");
        rig.start("0");
        QTRY_COMPARE(rig.state(), test::TimerRig::Idle);
        const auto active = [] { return test::output("xdotool", {"getactivewindow"}); };
        QWidget other;
        other.show();
        QTRY_COMPARE(active(), QString::number(other.winId()));
        rig.start("0");
        QTRY_COMPARE(test::output("dunstctl", {"count", "displayed"}), "1");
        test::output("dunstctl", {"action", "0"});
        QTRY_COMPARE(active(), main);
        QTRY_COMPARE(test::output("dunstctl", {"count", "displayed"}), "0");
        // One Notify, while the timer was not active.
        QCOMPARE(
            QString(bus.readAllStandardOutput()).section("member=Notify", 1).simplified(),
            "string \"Brivel\" uint32 0 string \"org.brivel.Brivel\" string \"Brivel\" string "
            "\"Tea & <cake>\" array [ string \"default\" string \"Show Brivel\" ] array [ dict "
            "entry( string \"category\" variant string \"x-brivel.alarm\" ) dict entry( string "
            "\"desktop-entry\" variant string \"org.brivel.Brivel\" ) dict entry( string "
            "\"suppress-sound\" variant boolean true ) dict entry( string \"urgency\" variant "
            "byte 1 ) ] int32 -1");
        // Help, asked for three times.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(rig.w->txtNumMin, Qt::Key_F1);
        // Found and framed in one look, not looked for again: xdotool's search
        // prints nothing when a window goes while it looks, as the two viewers
        // that hand over end now.
        QString id;
        const auto framed = [&id] {
            id = test::output("xdotool", {"search", "--onlyvisible", "--name", "^Brivel Help$"});
            return test::xprop(id.toULongLong(), "_NET_FRAME_EXTENTS").contains('=');
        };
        QVERIFY(QTest::qWaitFor(framed, 30000));
        QTRY_COMPARE(platform.viewers().size(), 1); // of three started
        const auto x = [&id] { return serverFrame(id.toULongLong()).x(); };
        const int beside = x();
        QVERIFY(beside > rig.w->frameGeometry().right());
        QCOMPARE(active(), main);
        // Where the user puts it, it stays (a move before its frame came is placed once more).
        for (int i = 0; i < 3 && x() >= beside - 250; ++i)
            test::output("xdotool",
                         {"windowmove", "--sync", id, QString::number(beside - 300), "100"});
        QTRY_VERIFY2(x() < beside - 250, qPrintable(QString::number(x() - beside)));
        // Closed as its title bar's button does, wherever the focus is.
        test::output("wmctrl", {"-i", "-c", id});
        QTRY_VERIFY_WITH_TIMEOUT(platform.viewers().isEmpty(), 10000);
    }

    // Only a click on the default action of Brivel's own notification
    // brings the timer up: not one on another program's notification.
    void notificationOfAnother()
    {
        NotificationService service;
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "service");
        const auto end = qScopeGuard([] { QDBusConnection::disconnectFromBus("service"); });
        const QString path = "/org/freedesktop/Notifications",
                      name = "org.freedesktop.Notifications";
        QVERIFY(bus.registerVirtualObject(path, &service));
        QVERIFY(bus.registerService(name));
        const auto click = [&](uint id, const QString &action) {
            bus.send(QDBusMessage::createSignal(path, name, "ActionInvoked") << id << action);
        };
        int activations = 0;
        const auto activate = [&activations] { ++activations; };
        DesktopNotifier notifier;
        notifier.connectToBus();
        notifier.show("Tea", activate);
        QTRY_COMPARE(service.shown, 1u);
        click(9, "default");
        click(1, "other");
        // Shown again: the service's answers reach Brivel after those clicks.
        notifier.show("Tea", activate);
        QTRY_COMPARE(service.shown, 2u);
        QCOMPARE(activations, 0);
        click(2, "default");
        QTRY_COMPARE(activations, 1);
    }
};

BRIVEL_TEST_MAIN(TestRealDesktop)
#include "tst_real_desktop.moc"

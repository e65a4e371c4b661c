// SPDX-License-Identifier: MIT
// Help, F1, Always On Top and About on a real X desktop with a window manager:
// the viewer opens without taking the focus, the stacking hint comes and goes
// without moving the window, and About stands alone off the task bar.
#include "about/frmAbout.h"
#include "platform/LinuxPlatform.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QWindow>
#include <QtTest>

#include <csignal>

using namespace brivel;

namespace {
// Brivel as it runs from its program folder.
class ProgramFolderPlatform : public LinuxPlatform {
public:
    QString programFolder() override { return QStringLiteral(BRIVEL_PROGRAM_DIR); }
};

QString output(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The window with the input focus, as the window manager reports it.
QString activeWindow()
{
    const QString text = output("xprop", {"-root", "_NET_ACTIVE_WINDOW"});
    return QString::number(text.section('#', 1).trimmed().toULongLong(nullptr, 16));
}

// Notes when the window leaves the screen, as a window manager minimizes it.
class LeaveWatch : public QObject {
public:
    bool left = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        left |= event->type() == QEvent::Expose && !static_cast<QWindow *>(watched)->isExposed();
        return false;
    }
};
} // namespace

class TestRealHelp : public QObject {
    Q_OBJECT
    ProgramFolderPlatform m_platform;
    QStringList m_before;

    // Viewers of this build started since the test began.
    QStringList newViewers()
    {
        QStringList pids;
        for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
            if (QFile::symLinkTarget("/proc/" + pid + "/exe") == BRIVEL_PROGRAM_DIR "/Winhlp32.exe"
                && !m_before.contains(pid))
                pids << pid;
        }
        return pids;
    }

    // Shows the main window; waits until it is active and its place holds still.
    QString mainWindow()
    {
        Forms::Timer().show();
        Forms::Timer().activateWindow();
        const QString id = QString::number(Forms::Timer().winId());
        QString place;
        int unchanged = 0;
        [&] {
            QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), id, 10000);
            QTRY_VERIFY([&] {
                const QString now = output("xdotool", {"getwindowgeometry", id});
                unchanged = now == place ? unchanged + 1 : 0;
                place = now;
                return unchanged >= 3;
            }());
        }();
        return id;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X desktop");
        Forms::setPlatform(&m_platform);
    }
    void init()
    {
        m_before.clear();
        m_before = newViewers();
    }
    void cleanup()
    {
        for (const QString &pid : newViewers())
            ::kill(pid.toInt(), SIGTERM);
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The viewer opens at the topic without taking the focus; the Help
    // command's line is checked over the fake platform.
    void f1OpensViewerBesideActiveTimer()
    {
        const QString main = mainWindow();
        QTest::keyClick(Forms::Timer().txtNumMin, Qt::Key_F1);
        // The new viewer, once its window is up and managed.
        QTRY_COMPARE(newViewers().size(), 1);
        const QString pid = newViewers().value(0);
        const QStringList search{"search", "--all",  "--onlyvisible", "--pid",
                                 pid,      "--name", "^Brivel Help$"};
        QTRY_VERIFY_WITH_TIMEOUT(!output("xdotool", search).isEmpty(), 15000);
        QTRY_VERIFY(output("xprop", {"-id", output("xdotool", search), "_NET_FRAME_EXTENTS"})
                        .contains('='));
        QFile cmdline("/proc/" + pid + "/cmdline");
        QVERIFY(cmdline.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(cmdline.readAll()).section(QChar(0), 1, 1),
                 "-topic 1 " + m_platform.helpFilePath());
        QCOMPARE(activeWindow(), main);
    }

    void alwaysOnTopSetsAndClearsAbove()
    {
        const QString main = mainWindow();
        const QString place = output("xdotool", {"getwindowgeometry", main});
        const auto above = [&] {
            return output("xprop", {"-id", main, "_NET_WM_STATE"}).contains("_ABOVE");
        };
        QVERIFY(!above());
        for (const bool on : {true, false}) {
            Forms::Timer().mnuAlwaysOnTop->trigger();
            QTRY_COMPARE(above(), on);
            QCOMPARE(output("xdotool", {"getwindowgeometry", main}), place);
        }
    }

    // Owned by no window, never above, and never left minimized.
    void aboutStandsAlone()
    {
        mainWindow();
        Forms::Timer().mnuHelpAboutBrivel->trigger();
        frmAbout *about = Forms::AboutIfLoaded();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        const QString id = QString::number(about->winId());
        const QString props = output("xprop", {"-id", id, "_NET_WM_STATE", "WM_TRANSIENT_FOR"});
        QVERIFY2(props.contains("_NET_WM_STATE_SKIP_TASKBAR") && !props.contains("_ABOVE")
                     && props.contains("WM_TRANSIENT_FOR:  not found"),
                 qPrintable(props));
        LeaveWatch watch;
        about->windowHandle()->installEventFilter(&watch);
        about->showMinimized();
        QTRY_VERIFY(watch.left);
        QTRY_VERIFY(!about->isMinimized() && about->windowHandle()->isExposed()
                    && output("xprop", {"-id", id, "WM_STATE"}).contains("window state: Normal"));
    }
};

QTEST_MAIN(TestRealHelp)
#include "tst_real_help.moc"

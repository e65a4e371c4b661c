// SPDX-License-Identifier: MIT
// Help, F1 and Always On Top on a real X desktop with a window manager: the
// viewer opens without taking the focus, and the stacking hint comes and
// goes without moving the window.
#include "platform/LinuxPlatform.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
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

QString xProperty(const QString &window, const QString &name)
{
    return output(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name});
}

// The window that has the input focus, as the window manager reports it.
QString activeWindow()
{
    const QString text = output(QStringLiteral("xprop"),
                                {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
    return QString::number(text.section(QLatin1Char('#'), 1).trimmed().toULongLong(nullptr, 16));
}

// Viewers of this build that are running now.
QList<qint64> viewerProcesses()
{
    QList<qint64> pids;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry))
            == QLatin1String(BRIVEL_PROGRAM_DIR "/Winhlp32.exe"))
            pids << entry.toLongLong();
    }
    return pids;
}

QStringList commandLineOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\0'), Qt::SkipEmptyParts);
}

} // namespace

class TestRealHelp : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramFolderPlatform> m_platform;
    QList<qint64> m_viewersBefore;

    // Shows the main window and waits until it is active and placed.
    QString mainWindow()
    {
        frmTimer &w = Forms::Timer();
        w.show();
        w.activateWindow();
        const QString id = QString::number(w.winId());
        [&] {
            QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), id, 10000);
            QString place; // its position holds still once the manager placed it
            int unchanged = 0;
            QTRY_VERIFY([&] {
                const QString now =
                    output(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), id});
                unchanged = now == place ? unchanged + 1 : 0;
                place = now;
                return unchanged >= 3;
            }());
        }();
        return id;
    }

    // The command line of the one viewer started since the test began, once
    // its window is up and managed.
    QStringList newViewer()
    {
        qint64 pid = 0;
        [&] {
            QTRY_VERIFY([&] {
                for (qint64 p : viewerProcesses())
                    pid = m_viewersBefore.contains(p) ? pid : p;
                return pid != 0;
            }());
            const QStringList search{QStringLiteral("search"),
                                     QStringLiteral("--all"),
                                     QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--pid"),
                                     QString::number(pid),
                                     QStringLiteral("--name"),
                                     QStringLiteral("^Brivel Help$")};
            QTRY_VERIFY_WITH_TIMEOUT(!output(QStringLiteral("xdotool"), search).isEmpty(), 15000);
            const QString window = output(QStringLiteral("xdotool"), search);
            QTRY_VERIFY(xProperty(window, QStringLiteral("_NET_FRAME_EXTENTS")).contains('='));
        }();
        return commandLineOf(pid);
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X desktop");
        m_platform = std::make_unique<ProgramFolderPlatform>();
        Forms::setPlatform(m_platform.get());
    }

    void init() { m_viewersBefore = viewerProcesses(); }

    void cleanup()
    {
        for (qint64 pid : viewerProcesses()) {
            if (!m_viewersBefore.contains(pid))
                ::kill(pid_t(pid), SIGTERM);
        }
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void helpAndF1OpenViewerBesideActiveTimer_data()
    {
        QTest::addColumn<bool>("byF1");
        QTest::newRow("Help command") << false;
        QTest::newRow("F1 in the main window") << true;
    }

    void helpAndF1OpenViewerBesideActiveTimer()
    {
        QFETCH(bool, byF1);
        const QString main = mainWindow();
        if (byF1)
            QTest::keyClick(Forms::Timer().txtNumMin, Qt::Key_F1);
        else
            Forms::Timer().mnuHelpBrivelHelp->trigger();

        const QStringList viewer = newViewer();
        QCOMPARE(viewer.mid(1), QStringList{(byF1 ? QStringLiteral("-topic 1 ") : QString())
                                            + m_platform->helpFilePath()});
        QCOMPARE(activeWindow(), main);
    }

    void alwaysOnTopSetsAndClearsAbove()
    {
        const QString main = mainWindow();
        const QString place =
            output(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), main});
        const QString above = QStringLiteral("_NET_WM_STATE_ABOVE");
        QVERIFY(!xProperty(main, QStringLiteral("_NET_WM_STATE")).contains(above));

        Forms::Timer().mnuAlwaysOnTop->trigger();
        QTRY_VERIFY(xProperty(main, QStringLiteral("_NET_WM_STATE")).contains(above));
        QCOMPARE(output(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), main}),
                 place);

        Forms::Timer().mnuAlwaysOnTop->trigger();
        QTRY_VERIFY(!xProperty(main, QStringLiteral("_NET_WM_STATE")).contains(above));
        QCOMPARE(output(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), main}),
                 place);
    }
};

QTEST_MAIN(TestRealHelp)
#include "tst_real_help.moc"

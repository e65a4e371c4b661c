// SPDX-License-Identifier: MIT
// Every window Brivel opens is where the user sees it: with Always On Top on,
// each comes up above the main window and follows the switch; F1 pressed in a
// row leaves one help viewer beside the main window, closed with its window.
#include "../platform/RealDesktop.h"
#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace brivel;

namespace {
QString run(const QString &tool, const QStringList &arguments)
{
    QProcess p;
    p.start(tool, arguments);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}
QString state(QWidget *w)
{
    return run("xprop", {"-id", QString::number(w->winId()), "_NET_WM_STATE"});
}
// Bottom to top, as the window manager stacks its clients.
bool stackedAbove(QWidget *upper, QWidget *lower)
{
    QList<WId> order;
    for (const QString &id : run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}).section('#', 1).split(','))
        order << id.trimmed().toULongLong(nullptr, 16);
    return order.indexOf(upper->winId()) > order.indexOf(lower->winId()) && order.contains(lower->winId());
}
} // namespace

class TestRealInView : public QObject {
    Q_OBJECT
    test::RealPlatform platform;

private slots:
    void init()
    {
        BRIVEL_REQUIRE_DISPLAY();
        Forms::setPlatform(&platform);
        Forms::Timer().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Forms::Timer()));
    }
    void cleanup() { Forms::unloadAll(); }

    void aboveTheMainWindowOnTop()
    {
        frmTimer &main = Forms::Timer();
        main.mnuAlwaysOnTop->trigger();
        bool boxAbove = false; // the refused entry's box, while it waits for OK
        QTimer::singleShot(0, [&] {
            boxAbove = QTest::qWaitFor([&] {
                QWidget *box = QApplication::activeModalWidget();
                return box && box->isVisible() && stackedAbove(box, &main);
            });
            QApplication::activeModalWidget()->close();
        });
        main.cmdGo->click();
        QVERIFY(boxAbove);
        main.mnuHelpAboutBrivel->trigger();
        main.mnuOptionsSoundPicker->trigger();
        for (QWidget *w : QList<QWidget *>{Forms::AboutIfLoaded(), Forms::SoundPkrIfLoaded()}) {
            QTRY_VERIFY(stackedAbove(w, &main));
            QVERIFY(!w->parentWidget() && !w->isModal());
        }
        for (const bool on : {false, true}) {
            main.mnuAlwaysOnTop->trigger();
            for (QWidget *w : QList<QWidget *>{&main, Forms::AboutIfLoaded(), Forms::SoundPkrIfLoaded()})
                QTRY_COMPARE(state(w).contains("_ABOVE"), on);
        }
        QVERIFY(state(Forms::AboutIfLoaded()).contains("SKIP_TASKBAR"));
    }

    void oneViewerBesideTheMainWindow()
    {
        const QString viewer = QStringLiteral("^" BRIVEL_PROGRAM_DIR "/Winhlp32.exe");
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(Forms::Timer().txtNumMin, Qt::Key_F1);
        QTRY_VERIFY_WITH_TIMEOUT(!run("xdotool", {"search", "--onlyvisible", "--name", "^Brivel Help$"}).isEmpty(), 15000);
        QTest::qWait(2000); // the later starts hand over and end
        QCOMPARE(run("pgrep", {"-f", viewer}).split('\n').size(), 1);
        const QString id = run("xdotool", {"search", "--onlyvisible", "--name", "^Brivel Help$"});
        QCOMPARE(id.split('\n').size(), 1);
        const QStringList place = run("xwininfo", {"-id", id}).split('\n').filter("Absolute upper-left X");
        QVERIFY(place.value(0).section(':', 1).toInt() > Forms::Timer().frameGeometry().right());
        run("xdotool", {"windowactivate", "--sync", id, "key", "alt+F4"});
        QTRY_VERIFY_WITH_TIMEOUT(run("pgrep", {"-f", viewer}).isEmpty(), 10000);
    }
};

BRIVEL_REAL_MAIN(TestRealInView)
#include "tst_real_in_view.moc"

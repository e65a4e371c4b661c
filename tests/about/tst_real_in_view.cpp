// SPDX-License-Identifier: MIT
// Every window Brivel opens is where the user sees it and can be read out:
// with Always On Top on, each comes up above the main window and follows the
// switch; F1 pressed in a row leaves one help viewer, beside the main window,
// turned to the last topic, with the keyboard on its text; every control has
// a name a screen reader speaks.
#include "../platform/RealDesktop.h"
#include "HelpViewer.h"
#include "SingleViewer.h"
#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAccessible>
#include <QAction>
#include <QPushButton>
#include <QTextBrowser>
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
// Bottom to top, as the window manager stacks its clients.
bool stackedAbove(QWidget *upper, QWidget *lower)
{
    const QString list = run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}) + ',';
    const auto at = [&](QWidget *w) {
        return list.indexOf(QString(" 0x%1,").arg(w->winId(), 0, 16));
    };
    return at(lower) >= 0 && at(upper) > at(lower);
}
} // namespace

class TestRealInView : public QObject {
    Q_OBJECT
    test::RealPlatform platform;
    const QString kHelp = QStringLiteral(BRIVEL_PROGRAM_DIR "/Brivel Help.hlp");

private slots:
    // A viewer left by a failed case would hold the test's output open.
    void cleanup() { run("pkill", {"-f", "^" BRIVEL_PROGRAM_DIR "/Winhlp32"}); }

    void aboveTheMainWindowOnTop()
    {
        BRIVEL_REQUIRE_DISPLAY();
        Forms::setPlatform(&platform);
        frmTimer &main = Forms::Timer();
        main.show();
        main.mnuAlwaysOnTop->trigger();
        bool boxAbove = false; // the refused entry's box, while it waits for OK
        QTimer::singleShot(0, [&] {
            boxAbove = QTest::qWaitFor(
                [&] { return stackedAbove(QApplication::activeModalWidget(), &main); });
            QApplication::activeModalWidget()->close();
        });
        main.cmdGo->click();
        QVERIFY(boxAbove);
        main.mnuHelpAboutBrivel->trigger();
        main.mnuOptionsSoundPicker->trigger();
        const QList<QWidget *> others{Forms::AboutIfLoaded(), Forms::SoundPkrIfLoaded()};
        for (QWidget *w : others)
            QTRY_VERIFY(stackedAbove(w, &main) && !w->parentWidget() && !w->isModal());
        main.mnuAlwaysOnTop->trigger(); // off again: both are released with it
        for (QWidget *w : others)
            QTRY_VERIFY(!run("xprop", {"-id", QString::number(w->winId()), "_NET_WM_STATE"})
                             .contains("_ABOVE"));
        // Every control the user can reach has a name a screen reader speaks.
        help::HelpViewer viewer;
        for (QWidget *window : others + QList<QWidget *>{&main, &viewer})
            for (QWidget *w : window->findChildren<QWidget *>())
                QVERIFY2(!(w->focusPolicy() & Qt::TabFocus)
                             || !QAccessible::queryAccessibleInterface(w)
                                     ->text(QAccessible::Name)
                                     .isEmpty(),
                         qPrintable(w->objectName()));
    }

    void oneViewerBesideTheMainWindow()
    {
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&Forms::Timer(), Qt::Key_F1);
        const QStringList search{"search", "--onlyvisible", "--name", "^Brivel Help$"};
        QTRY_VERIFY_WITH_TIMEOUT(!run("xdotool", search).isEmpty(), 15000);
        // The later starts hand over and end: one viewer is left.
        QTRY_COMPARE(run("pgrep", {"-fc", "^" BRIVEL_PROGRAM_DIR "/Winhlp32"}), "1");
        const QString id = run("xdotool", search);
        const QString place = run("xdotool", {"getwindowgeometry", "--shell", id});
        QVERIFY(place.section("X=", 1).section('\n', 0, 0).toInt()
                > Forms::Timer().frameGeometry().right());
        run("xdotool", {"windowactivate", "--sync", id, "key", "alt+F4"});
        QTRY_VERIFY_WITH_TIMEOUT(run("pgrep", {"-f", "^" BRIVEL_PROGRAM_DIR "/Winhlp32"}).isEmpty(),
                                 10000);

        // A later start turns the open viewer; activated, its text has the keyboard.
        help::SingleViewer first(kHelp + ".copy"); // a name of its own: no viewer of F1 answers
        QVERIFY(!first.handOver(1, 4));
        help::HelpViewer viewer;
        viewer.open({1, kHelp});
        first.serve(viewer);
        for (const auto &[asked, shown] : QList<QPair<int, int>>{{3, 3}, {2, 2}, {0, 1}}) {
            QVERIFY(help::SingleViewer(kHelp + ".copy").handOver(asked, 4));
            QTRY_COMPARE(viewer.currentTopic(), shown);
        }
        viewer.show();
        viewer.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), viewer.browser());
    }
};

BRIVEL_REAL_MAIN(TestRealInView)
#include "tst_real_in_view.moc"

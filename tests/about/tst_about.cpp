// SPDX-License-Identifier: MIT
// The Help menu over the fake platform: Brivel Help and F1, what reaches the
// program starter, and the About dialog with its system information lookup.
#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace brivel;

namespace {
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");
const QString kTool = QStringLiteral("/opt/sysinfo/MSINFO32.EXE");
} // namespace

class TestAbout : public QObject {
    Q_OBJECT
    std::unique_ptr<test::FakePlatform> fake;

    frmTimer &mainWindow()
    {
        frmTimer &w = Forms::Timer();
        w.show();
        w.activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&w)); }();
        return w;
    }
    frmAbout &openAbout()
    {
        Forms::Timer().mnuHelpAboutBrivel->trigger();
        return *Forms::AboutIfLoaded();
    }

private slots:
    void init()
    {
        fake = std::make_unique<test::FakePlatform>();
        fake->helpFile = QStringLiteral("/home/a b/my  help/Brivel Help.hlp");
        Forms::setPlatform(fake.get());
    }

    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The tool's path comes from the first location, else its folder from the
    // second; anything amiss is one message and the dialog stays.
    void systemInfo_data()
    {
        QTest::addColumn<QString>("hive"); // in the test data
        QTest::addColumn<QString>("existing");
        QTest::addColumn<qint64>("startResult");
        QTest::addColumn<QString>("started"); // empty: nothing started
        const auto row = [](const char *name, const QString &hive, const QString &existing,
                            qint64 startResult, const QString &started) {
            QTest::newRow(name) << hive << existing << startResult << started;
        };
        row("shipped hive", BRIVEL_PROGRAM_DIR "/machine.reg", "", 4242, "/usr/bin/hardinfo");
        row("location 1, cannot start", "loc1_missing_tool.reg", kTool, 0, "/opt/gone/hardinfo");
        row("location 1 of REG_EXPAND_SZ", "loc1_expand_sz.reg", kTool, 4242, "");
        row("location 2 with the tool", "loc2_folder.reg", kTool, 4242, kTool);
        row("location 2 without the tool", "loc2_folder.reg", "", 4242, "");
        row("location 2 ending in a separator", "loc2_trailing_sep.reg",
            "/opt/sysinfo//MSINFO32.EXE", 4242, "/opt/sysinfo//MSINFO32.EXE");
        row("data size 0", "size0.reg", kTool, 4242, "");
        row("malformed hive", "malformed.reg", kTool, 4242, "");
    }

    void systemInfo()
    {
        QFETCH(QString, hive);
        QFETCH(QString, existing);
        QFETCH(QString, started);
        fake->hivePath = QDir(BRIVEL_TEST_DATA).filePath(hive);
        fake->existingFiles = QStringList{existing};
        QFETCH(qint64, startResult);
        fake->startResult = startResult;
        frmAbout &about = openAbout();
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(fake->starts.size(), started.isEmpty() ? 0 : 1);
        if (!started.isEmpty())
            QVERIFY(fake->starts[0].commandLine == started
                    && fake->starts[0].showWindow == SW_SHOWNORMAL);
        const bool failed = started.isEmpty() || startResult == 0;
        QCOMPARE(fake->messages, failed ? QStringList{kUnavailable} : QStringList());
        QCOMPARE(fake->machineHive().openKeyCount(), 0);
        QVERIFY(Forms::AboutIfLoaded() == &about && about.isVisible());
    }

    void dialogLoads()
    {
        frmAbout &about = openAbout();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.windowTitle() + " " + about.lblVersion->text(),
                 "About Brivel Version 1.1.0");
        QVERIFY(!about.isModal() && !about.parentWidget());
        QVERIFY(about.size() == QSize(382, 237) && about.minimumSize() == about.maximumSize());
        QVERIFY(!(about.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowStaysOnTopHint)));
        QVERIFY(fake->offTaskbar.contains(about.windowHandle()));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((about.geometry().center() - screen.center()).manhattanLength() <= 2);
        for (const QLabel *label : about.findChildren<QLabel *>()) { // every text fits
            const QRect need = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 1000),
                                                                 Qt::TextWordWrap, label->text());
            QVERIFY2(need.height() <= label->height() && need.width() <= label->width(),
                     qPrintable(label->text()));
        }
        // OK has the focus; Enter on System Info looks the tool up.
        QVERIFY(QApplication::focusWidget() == about.cmdOK && about.cmdOK->isDefault());
        QTest::keyClick(about.cmdSysInfo, Qt::Key_Return);
        QVERIFY(fake->messages == QStringList{kUnavailable} && about.isVisible());
        Forms::Timer().mnuAlwaysOnTop->trigger(); // leaves the dialog as it is
        QVERIFY(!(about.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    // One dialog at a time; Enter, Escape and the close box unload it,
    // exiting the main window does not.
    void opensAndCloses()
    {
        for (int how = 0; how < 3; ++how) { // OK has the focus, so Enter is OK
            frmAbout &about = openAbout();
            QCOMPARE(&openAbout(), &about);
            QVERIFY(QTest::qWaitForWindowActive(&about));
            const QPointer<frmAbout> alive(&about);
            if (how < 2)
                QTest::keyClick(QApplication::focusWidget(), how ? Qt::Key_Escape : Qt::Key_Return);
            else
                about.close();
            QVERIFY(!Forms::AboutIfLoaded() && !alive->isVisible());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!alive);
        }
        Forms::Timer().show();
        frmAbout &about = openAbout();
        Forms::Timer().cmdExit->click();
        QVERIFY(!Forms::TimerIfLoaded() && Forms::AboutIfLoaded() == &about && about.isVisible());
    }

    // Alt+H, B starts the viewer with the path as it is; a viewer that cannot
    // start is one message, and the countdown carries on.
    void helpCommand()
    {
        frmTimer &w = mainWindow();
        QTest::keyClick(&w, Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(w.mnuHelp->isVisible());
        QTest::keyClick(w.mnuHelp, Qt::Key_B);
        QCOMPARE(fake->starts.size(), 1);
        QCOMPARE(fake->starts[0].commandLine, "Winhlp32.exe " + fake->helpFile);
        QCOMPARE(fake->starts[0].showWindow, 4);
        fake->startResult = 0;
        w.txtNumMin->setText(QStringLiteral("1"));
        w.cmdGo->click();
        fake->advance(TickIntervalMs);
        w.Timer2->catchUp();
        w.mnuHelpBrivelHelp->trigger();
        QTest::keyClick(w.cmdPause, Qt::Key_F1);
        fake->startResult = 4242;
        QCOMPARE(fake->messages, QStringList(2, "The help file could not be opened."));
        fake->advance(2 * TickIntervalMs);
        w.Timer2->catchUp();
        QCOMPARE(w.windowTitle(), QStringLiteral("Brivel - 00:00:59"));
        QVERIFY(w.cmdPause->isEnabled());
    }

    // F1 opens the topic of the menu item or window in front; About has none.
    void f1Topic_data()
    {
        QTest::addColumn<QString>("where"); // a menu, or a window's focus widget
        QTest::addColumn<QString>("highlighted");
        QTest::addColumn<int>("topic"); // 0: no help at all
        QTest::newRow("main window") << "txtNumMin" << QString() << 1;
        QTest::newRow("Options title") << "mnuOptions" << QString() << 2;
        QTest::newRow("Sound Picker item") << "mnuOptions"
                                           << "mnuOptionsSoundPicker" << 3;
        QTest::newRow("sound picker") << "frmSoundPkr" << QString() << 3;
        QTest::newRow("About dialog") << "frmAbout" << QString() << 0;
    }

    void f1Topic()
    {
        QFETCH(QString, where);
        QFETCH(QString, highlighted);
        frmTimer &w = mainWindow();
        QWidget *target = w.findChild<QWidget *>(where);
        if (auto *menu = qobject_cast<QMenu *>(target)) {
            w.menuBar()->setActiveAction(menu->menuAction()); // a click on the title
            QTRY_VERIFY(menu->isVisible());
            menu->setActiveAction(w.findChild<QAction *>(highlighted));
        } else if (!target) {
            target =
                where == "frmAbout" ? static_cast<QWidget *>(&Forms::About()) : &Forms::SoundPkr();
            target->show();
            target->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(target));
            target = target->focusWidget() ? target->focusWidget() : target;
        }
        QTest::keyClick(target, Qt::Key_F1);
        QFETCH(int, topic);
        QStringList lines;
        for (const auto &start : std::as_const(fake->starts))
            lines << start.commandLine;
        QCOMPARE(lines,
                 topic ? QStringList{QString("Winhlp32.exe -topic %1 ").arg(topic) + fake->helpFile}
                       : QStringList());
        QVERIFY(!Forms::SoundPkrIfLoaded() || topic == 3); // F1 chooses nothing
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"

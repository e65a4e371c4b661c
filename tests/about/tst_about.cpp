// SPDX-License-Identifier: MIT
// The About dialog and its system information lookup, driven from the menu.
#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QLabel>
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

    frmAbout &openAbout()
    {
        Forms::Timer().mnuHelpAboutBrivel->trigger();
        return *Forms::AboutIfLoaded();
    }

private slots:
    void init()
    {
        fake = std::make_unique<test::FakePlatform>();
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
        row("location 2 of another type", "loc2_other_type.reg", "/MSINFO32.EXE", 4242,
            "/MSINFO32.EXE");
        row("data size 0", "size0.reg", kTool, 4242, "");
        row("missing hive", "absent.reg", kTool, 4242, "");
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
        // Tab order OK, icon, System Info; Enter there looks the tool up.
        QCOMPARE(QApplication::focusWidget(), about.cmdOK);
        QVERIFY(about.cmdOK->isDefault());
        QTest::keyClick(about.cmdOK, Qt::Key_Tab);
        QTest::keyClick(about.picIcon, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.cmdSysInfo);
        QTest::keyClick(about.cmdSysInfo, Qt::Key_Return);
        QVERIFY(fake->messages == QStringList{kUnavailable} && about.isVisible());
        Forms::Timer().mnuAlwaysOnTop->trigger(); // leaves the dialog as it is
        QVERIFY(!(about.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    // One dialog at a time; OK, Enter, Escape and the close box unload it,
    // exiting the main window does not.
    void opensAndCloses()
    {
        for (int how = 0; how < 4; ++how) {
            frmAbout &about = openAbout();
            QCOMPARE(&openAbout(), &about);
            QVERIFY(QTest::qWaitForWindowActive(&about));
            const QPointer<frmAbout> alive(&about);
            if (how == 0)
                QTest::mouseClick(about.cmdOK, Qt::LeftButton);
            else if (how < 3)
                QTest::keyClick(QApplication::focusWidget(),
                                how == 1 ? Qt::Key_Return : Qt::Key_Escape);
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
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"

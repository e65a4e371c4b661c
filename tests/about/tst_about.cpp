// SPDX-License-Identifier: MIT
// Help and About over the fake platform: the Help command and F1 with their
// topics, what the help viewer shows, and the About dialog with its system
// information lookup.
#include "HelpFile.h"
#include "HelpViewer.h"
#include "TestRig.h"

using namespace brivel;

const QString Unavailable = "System Information Is Unavailable At This Time";
const QString Tool = "/opt/sysinfo/MSINFO32.EXE", Shipped = BRIVEL_PROGRAM_DIR "/Brivel Help.hlp";

class TestAbout : public QObject {
    Q_OBJECT
    std::optional<test::TimerRig> rig; // made anew: the old one ends first

    frmAbout &openAbout()
    {
        rig->w->mnuHelpAboutBrivel->trigger();
        return *Forms::AboutIfLoaded();
    }

private slots:
    void init()
    {
        rig.emplace(
            [](test::FakePlatform &f) { f.helpFile = "/home/a b/my  help/Brivel Help.hlp"; });
    }

    // The tool's path comes from the first location, else its folder from the
    // second; anything amiss is one message and the dialog stays. Enter on
    // System Info looks it up (OK is the default). A FIFO for a hive: tst_platform.
    void systemInfo()
    {
        for (const auto &[hive, existing, result, started] :
             QList<std::tuple<QString, QString, int, QString>>{
                 {BRIVEL_PROGRAM_DIR "/machine.reg", "", 4242, "/usr/bin/hardinfo"}, // shipped
                 {"loc1_missing_tool.reg", Tool, 0, "/opt/gone/hardinfo"},
                 {"loc1_expand_sz.reg", Tool, 4242, ""},
                 {"loc2_folder.reg", Tool, 4242, Tool},
                 {"loc2_folder.reg", "", 4242, ""},
                 {"size0.reg", Tool, 4242, ""},
                 {"loc2_trailing_sep.reg", "/opt/sysinfo//MSINFO32.EXE", 4242,
                  "/opt/sysinfo//MSINFO32.EXE"}}) {
            init();
            rig->fake.hivePath = QDir(BRIVEL_TEST_DATA).filePath(hive);
            rig->fake.existingFiles = QStringList{existing};
            rig->fake.startResult = result;
            frmAbout &about = openAbout();
            QTest::keyClick(about.cmdSysInfo, Qt::Key_Return);
            // Shown normally (1).
            QCOMPARE(rig->fake.starts.join(", "), started.isEmpty() ? "" : started + "|1");
            QCOMPARE(rig->fake.messages.join(", "),
                     started.isEmpty() || !result ? Unavailable : "");
            QCOMPARE(rig->fake.machineHive().openKeyCount(), 0);
            QCOMPARE(test::windows(), "frmTimer, frmAbout");
        }
    }

    // One modeless dialog of its own at a time, centred, off the task bar,
    // every text fitting; OK has the focus. Enter and Escape unload it,
    // exiting the main window does not.
    void dialog()
    {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            frmAbout &about = openAbout();
            QCOMPARE(&openAbout(), &about);
            QTRY_COMPARE(QApplication::focusWidget(), about.cmdOK);
            QCOMPARE(about.windowTitle() + " " + about.lblVersion->text(),
                     "About Brivel Version 1.1.0");
            QVERIFY(rig->fake.offTaskbar.contains(about.windowHandle()));
            QCOMPARE(about.size(), QSize(382, 237));
            QCOMPARE(about.minimumSize(), about.maximumSize());
            QVERIFY(
                !(about.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowStaysOnTopHint)));
            const QRect screen = about.screen()->availableGeometry();
            QVERIFY((about.geometry().center() - screen.center()).manhattanLength() <= 2);
            for (const QLabel *l : about.findChildren<QLabel *>())
                QVERIFY2(l->rect().contains(
                             l->fontMetrics().boundingRect(l->rect(), Qt::TextWordWrap, l->text())),
                         qPrintable(l->text()));
            QVERIFY(about.cmdOK->isDefault());
            about.setWindowState(Qt::WindowMinimized); // by the window manager: it comes back
            QTRY_COMPARE(about.windowState(), Qt::WindowNoState);
            const QPointer<frmAbout> alive(&about);
            QTest::keyClick(QApplication::focusWidget(), key);
            QCOMPARE(test::windows(), "frmTimer");
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!alive);
        }
        openAbout();
        rig->w->cmdExit->click();
        QCOMPARE(test::windows(), "frmAbout");
    }

    // Alt+H, B starts the viewer with the path as it is; F1 opens the topic
    // of the menu item or window in front and chooses nothing; About has no
    // topic. A viewer that cannot start is one message; the countdown goes on.
    void helpAndF1()
    {
        for (const auto &[where, highlighted, key, args] :
             {std::tuple{"mnuHelp", "", Qt::Key_B, ""},
              {"txtNumMin", "", Qt::Key_F1, "-topic 1 "},
              {"mnuOptions", "", Qt::Key_F1, "-topic 2 "},
              {"mnuOptions", "mnuOptionsSoundPicker", Qt::Key_F1, "-topic 3 "},
              {"mnuOptionsSoundPicker", "", Qt::Key_F1, "-topic 3 "},
              {"mnuHelpAboutBrivel", "", Qt::Key_F1, nullptr}}) {
            init();
            frmTimer *w = rig->w;
            QWidget *target = w->findChild<QWidget *>(where);
            if (auto *menu = qobject_cast<QMenu *>(target)) {
                QTest::keyClick(w, menu->title().at(1).toLatin1(), Qt::AltModifier);
                QTRY_VERIFY(menu->isVisible());
                menu->setActiveAction(w->findChild<QAction *>(highlighted));
            } else if (!target) { // a window of its own, opened from its menu item
                w->findChild<QAction *>(where)->trigger();
                QTRY_VERIFY(QApplication::activeWindow() != w);
                target = QApplication::focusWidget();
                QVERIFY(target);
            }
            QTest::keyClick(target, key);
            // Shown beside the timer without taking the focus.
            QCOMPARE(rig->fake.starts,
                     args ? QStringList{"Winhlp32.exe " + QLatin1String(args) + rig->fake.helpFile
                                        + "|4|" + viewer::frameText(w->frameGeometry())}
                          : QStringList());
            QCOMPARE(Forms::SoundPkrIfLoaded() != nullptr,
                     QLatin1String(where) == "mnuOptionsSoundPicker");
        }
        rig->fake.startResult = 0;
        rig->start("1");
        rig->w->mnuHelpBrivelHelp->trigger();
        QTest::keyClick(rig->w->cmdPause, Qt::Key_F1);
        QCOMPARE(rig->fake.messages, QStringList(2, "The help viewer could not be started."));
        QVERIFY(rig->w->Timer2->Enabled());
    }

    // The viewer: "-topic N path" from F1, the bare path from the Help
    // command (the topics it turns to: the desktop scenario). Every link
    // leads to a topic. A file that cannot be shown says why.
    void helpViewer()
    {
        using namespace brivel::help;
        QCOMPARE(parseRequest("/a b/Brivel Help.hlp").path, "/a b/Brivel Help.hlp");
        QCOMPARE(parseRequest("-topic 9 " + Shipped).topic, 9);
        const HelpFile file = HelpFile::load(Shipped);
        static const QRegularExpression link("href=\"#topic(\\d+)\"");
        for (const QRegularExpressionMatch &m :
             link.globalMatch(QString::fromUtf8(test::fileBytes(Shipped))))
            QVERIFY2(file.hasTopic(m.captured(1).toInt()), qPrintable(m.captured(0)));
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath("old.hlp"), QByteArray("?_\3\0\x6f\0", 6)));
        for (const auto &[name, says] : {std::pair{"gone.hlp", "could not be found"},
                                         {".", "could not be read"},
                                         {"old.hlp", "not a help file"}}) {
            HelpViewer bad;
            bad.open({2, dir.filePath(name)});
            QCOMPARE(bad.currentTopic(), 0);
            QVERIFY2(bad.browser()->toPlainText().contains(says), name);
            QVERIFY(!bad.contentsButton()->isEnabled());
        }
        // Beside the timer on the side with the most room, on the screen, shrunk to fit.
        for (const auto &[timer, place] :
             {std::pair{QRect(100, 100, 240, 200), QRect(340, 100, 548, 514)},
              {QRect(700, 600, 240, 150), QRect(152, 254, 548, 514)},
              {QRect(0, 0, 1024, 200), QRect(0, 200, 548, 514)},
              {QRect(100, 500, 924, 268), QRect(100, 0, 548, 500)}})
            QCOMPARE(besideRect(timer, QRect(0, 0, 1024, 768), {548, 514}), place);
    }
};

BRIVEL_TEST_MAIN(TestAbout)
#include "tst_about.moc"

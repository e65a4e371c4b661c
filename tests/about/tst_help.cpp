// SPDX-License-Identifier: MIT
// Help > Brivel Help and F1: what reaches the program starter, and what the
// user sees when the viewer cannot be started.
#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

using namespace brivel;

class TestHelp : public QObject {
    Q_OBJECT
    std::unique_ptr<test::FakePlatform> m_fake;

    frmTimer &mainWindow()
    {
        frmTimer &w = Forms::Timer();
        w.show();
        w.activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&w)); }();
        return w;
    }

private slots:
    void init()
    {
        m_fake = std::make_unique<test::FakePlatform>();
        m_fake->helpFile = QStringLiteral("/home/a b/my  help/Brivel Help.hlp");
        Forms::setPlatform(m_fake.get());
    }

    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void helpCommandLine()
    {
        frmTimer &w = mainWindow();
        QTest::keyClick(&w, Qt::Key_H, Qt::AltModifier); // Alt+H, B
        QTRY_VERIFY(w.mnuHelp->isVisible());
        QTest::keyClick(w.mnuHelp, Qt::Key_B);
        w.mnuHelpBrivelHelp->trigger(); // a second start, as a second click gives

        QCOMPARE(m_fake->starts.size(), 2);
        for (const auto &start : std::as_const(m_fake->starts)) {
            QCOMPARE(start.commandLine,
                     QStringLiteral("Winhlp32.exe /home/a b/my  help/Brivel Help.hlp"));
            QCOMPARE(start.showWindow, 4);
        }
        QVERIFY(m_fake->messages.isEmpty());
    }

    void viewerThatCannotStart_data()
    {
        QTest::addColumn<bool>("byF1");
        QTest::newRow("Help command") << false;
        QTest::newRow("F1") << true;
    }

    void viewerThatCannotStart()
    {
        QFETCH(bool, byF1);
        m_fake->startResult = 0;
        frmTimer &w = mainWindow();
        w.txtNumMin->setText(QStringLiteral("1"));
        w.cmdGo->click();
        m_fake->advance(TickIntervalMs);
        w.Timer2->catchUp();

        if (byF1)
            QTest::keyClick(w.cmdPause, Qt::Key_F1);
        else
            w.mnuHelpBrivelHelp->trigger();

        QCOMPARE(m_fake->messages,
                 QStringList{QStringLiteral("The help file could not be opened.")});
        // The countdown carries on as if nothing had happened.
        m_fake->advance(2 * TickIntervalMs);
        w.Timer2->catchUp();
        QCOMPARE(w.windowTitle(), QStringLiteral("Brivel - 00:00:59"));
        QVERIFY(w.cmdPause->isEnabled());
    }

    void f1Topic_data()
    {
        QTest::addColumn<QString>("where"); // a menu, or a window's focus widget
        QTest::addColumn<QString>("highlighted");
        QTest::addColumn<int>("topic"); // 0: no help at all
        QTest::newRow("main window") << "txtNumMin" << QString() << 1;
        QTest::newRow("Options title") << "mnuOptions" << QString() << 2;
        QTest::newRow("Options, Old Phone") << "mnuOptions"
                                            << "mnuOldPhone" << 2;
        QTest::newRow("Options, Sound Picker") << "mnuOptions"
                                               << "mnuOptionsSoundPicker" << 3;
        QTest::newRow("Help menu") << "mnuHelp"
                                   << "mnuHelpAboutBrivel" << 1;
        QTest::newRow("sound picker") << "frmSoundPkr" << QString() << 3;
        QTest::newRow("About dialog") << "frmAbout" << QString() << 0;
    }

    void f1Topic()
    {
        QFETCH(QString, where);
        QFETCH(QString, highlighted);
        QFETCH(int, topic);
        frmTimer &w = mainWindow();
        QWidget *target = w.findChild<QWidget *>(where);
        if (auto *menu = qobject_cast<QMenu *>(target)) {
            w.menuBar()->setActiveAction(menu->menuAction()); // a click on the title
            QTRY_VERIFY(menu->isVisible());
            menu->setActiveAction(highlighted.isEmpty() ? nullptr
                                                        : w.findChild<QAction *>(highlighted));
        } else if (!target) {
            target = where == QLatin1String("frmAbout") ? static_cast<QWidget *>(&Forms::About())
                                                        : &Forms::SoundPkr();
            target->show();
            target->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(target));
            if (target->focusWidget())
                target = target->focusWidget();
        }

        QTest::keyClick(target, Qt::Key_F1);

        if (topic == 0) {
            QVERIFY(m_fake->starts.isEmpty());
            return;
        }
        QCOMPARE(m_fake->starts.size(), 1);
        QCOMPARE(m_fake->starts.at(0).commandLine,
                 QStringLiteral("Winhlp32.exe -topic %1 ").arg(topic) + m_fake->helpFile);
        QCOMPARE(m_fake->starts.at(0).showWindow, 4);
        QVERIFY(!Forms::SoundPkrIfLoaded() || topic == 3); // F1 chooses nothing
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"

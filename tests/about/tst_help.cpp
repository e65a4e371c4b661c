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
    test::FakePlatform m_fake;

    frmTimer &mainWindow()
    {
        m_fake.helpFile = QStringLiteral("/home/a b/my  help/Brivel Help.hlp");
        Forms::setPlatform(&m_fake);
        frmTimer &w = Forms::Timer();
        w.show();
        w.activateWindow();
        [&] { QVERIFY(QTest::qWaitForWindowActive(&w)); }();
        return w;
    }

private slots:
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_fake.starts.clear();
        m_fake.messages.clear();
    }

    // Alt+H, B starts the viewer with the path as it is; a viewer that cannot
    // start is one message, and the countdown carries on.
    void helpCommand()
    {
        frmTimer &w = mainWindow();
        QTest::keyClick(&w, Qt::Key_H, Qt::AltModifier);
        QTRY_VERIFY(w.mnuHelp->isVisible());
        QTest::keyClick(w.mnuHelp, Qt::Key_B);
        QCOMPARE(m_fake.starts.size(), 1);
        QCOMPARE(m_fake.starts[0].commandLine, "Winhlp32.exe " + m_fake.helpFile);
        QCOMPARE(m_fake.starts[0].showWindow, 4);
        m_fake.startResult = 0;
        w.txtNumMin->setText(QStringLiteral("1"));
        w.cmdGo->click();
        m_fake.advance(TickIntervalMs);
        w.Timer2->catchUp();
        w.mnuHelpBrivelHelp->trigger();
        QTest::keyClick(w.cmdPause, Qt::Key_F1);
        m_fake.startResult = 4242;
        QCOMPARE(m_fake.messages, QStringList(2, "The help file could not be opened."));
        m_fake.advance(2 * TickIntervalMs);
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
        for (const auto &start : std::as_const(m_fake.starts))
            lines << start.commandLine;
        QCOMPARE(lines, topic ? QStringList{QString("Winhlp32.exe -topic %1 ").arg(topic)
                                            + m_fake.helpFile}
                              : QStringList());
        QVERIFY(!Forms::SoundPkrIfLoaded() || topic == 3); // F1 chooses nothing
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"

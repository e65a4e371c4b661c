// SPDX-License-Identifier: MIT
// The tick handler's own cost, over the fake platform and offscreen: a
// counting second (a counting tick and the tick between), and the alarm tick.
#include "TestRig.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace brivel;

class TickCost : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        Forms::setPlatform(&m_fake);
        m_timer = &Forms::Timer();
        m_timer->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_timer));
    }
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Two ticks per iteration; the longest countdown outlasts any run.
    void countingSecond()
    {
        start(QStringLiteral("5999"));
        QBENCHMARK
        {
            m_timer->Timer2_Timer();
            m_timer->Timer2_Timer();
        }
        QVERIFY(m_timer->Timer2->Enabled());
    }

    // The tick that sounds the ring, highlights the memo and swaps the buttons.
    void alarmTick()
    {
        start(QStringLiteral("1"));
        QBENCHMARK
        {
            m_timer->lngHours = 0;
            m_timer->lngMins = 0;
            m_timer->lngSecs = 1;
            m_timer->blHook = false;
            m_timer->Timer2_Timer();
        }
        QVERIFY(!m_fake.plays.isEmpty());
    }

private:
    void start(const QString &minutes)
    {
        m_timer->txtNumMin->setText(minutes);
        m_timer->cmdGo->click();
        QVERIFY(m_timer->Timer2->Enabled());
    }

    test::FakePlatform m_fake;
    frmTimer *m_timer = nullptr;
};

QTEST_MAIN(TickCost)
#include "tickcost.moc"

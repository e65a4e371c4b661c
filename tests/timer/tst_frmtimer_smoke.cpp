// SPDX-License-Identifier: MIT
#include "FakePlatform.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace brivel;

class TestSmoke : public QObject {
    Q_OBJECT
private slots:
    void countdownOfThreeSeconds()
    {
        test::FakePlatform fake;
        Forms::setPlatform(&fake);
        frmTimer &w = Forms::Timer();
        w.show();
        w.txtNumMin->setText(QStringLiteral("0.05"));
        w.cmdGo->click();
        QStringList titles;
        for (int i = 0; i < 8; ++i) {
            fake.advance(TickIntervalMs);
            w.Timer2->catchUp();
            titles << w.windowTitle();
        }
        QCOMPARE(titles.at(0), QStringLiteral("Brivel - 00:00:03"));
        QCOMPARE(titles.at(4), QStringLiteral("Brivel - 00:00:01"));
        QCOMPARE(fake.plays.size(), 1);
        QCOMPARE(fake.beeps, 1);
        QCOMPARE(titles.at(7), QStringLiteral("Brivel"));
        QVERIFY(!w.Timer2->Enabled());
        Forms::unloadAll();
    }
};

QTEST_MAIN(TestSmoke)
#include "tst_frmtimer_smoke.moc"

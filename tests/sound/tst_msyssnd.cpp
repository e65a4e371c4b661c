// SPDX-License-Identifier: MIT
// PlayWav and SetTopMost over the fake platform.
#include "FakePlatform.h"
#include "sound/MSysSnd.h"
#include "timer/Forms.h"

#include <QWidget>
#include <QWindow>
#include <QtTest>

using namespace brivel;

class TestMSysSnd : public QObject {
    Q_OBJECT
private slots:
    // Any nonzero Wait plays to the end before returning; a failing sound
    // service turns the play into one beep and never reaches the caller.
    void playWav_data()
    {
        QTest::addColumn<qint16>("wait");
        QTest::addColumn<bool>("fails");
        QTest::newRow("async") << False << false;
        QTest::newRow("sync") << True << false;
        QTest::newRow("sync, wait 1") << qint16(1) << false;
        QTest::newRow("service fails") << False << true;
    }
    void playWav()
    {
        QFETCH(qint16, wait);
        QFETCH(bool, fails);
        test::FakePlatform fake;
        fake.playThrows = fails;
        Forms::setPlatform(&fake);
        const QString path = QStringLiteral("/opt/brivel/Phonenew.wav");
        MSysSnd::PlayWav(path, wait);
        QCOMPARE(fake.beeps, fails ? 1 : 0);
        QCOMPARE(fake.plays.size(), fails ? 0 : 1);
        if (!fails) {
            QCOMPARE(fake.plays[0].path, path);
            QCOMPARE(fake.plays[0].wait, wait != 0);
        }
    }

    // Only exactly True asks for topmost and passes on the stacking result;
    // every other value releases the window and answers 0.
    void setTopMost_data()
    {
        QTest::addColumn<qint16>("topMost");
        QTest::addColumn<bool>("stacked");
        QTest::addColumn<bool>("askedTop");
        QTest::addColumn<qint32>("result");
        QTest::newRow("True") << True << true << true << 1;
        QTest::newRow("True, refused") << True << false << true << 0;
        QTest::newRow("False") << False << true << false << 0;
        QTest::newRow("1") << qint16(1) << true << false << 0;
        QTest::newRow("-2") << qint16(-2) << true << false << 0;
        QTest::newRow("32767") << qint16(32767) << true << false << 0;
    }
    void setTopMost()
    {
        QFETCH(qint16, topMost);
        QFETCH(bool, stacked);
        QFETCH(bool, askedTop);
        QFETCH(qint32, result);
        test::FakePlatform fake;
        fake.topMostResult = stacked;
        Forms::setPlatform(&fake);
        QWidget window;
        window.winId();
        const MSysSnd::WindowHandle handle = window.windowHandle();
        QCOMPARE(MSysSnd::SetTopMost(handle, topMost), result);
        QCOMPARE(fake.stackings.size(), 1);
        QCOMPARE(fake.stackings[0].window, handle);
        QCOMPARE(fake.stackings[0].topMost, askedTop);
    }
};

QTEST_MAIN(TestMSysSnd)
#include "tst_msyssnd.moc"

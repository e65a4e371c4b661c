// SPDX-License-Identifier: MIT
// PlayWav, SetTopMost and Options > Always On Top over the fake platform.
#include "FakePlatform.h"
#include "sound/MSysSnd.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QtTest>

using namespace brivel;

class TestMSysSnd : public QObject {
    Q_OBJECT
    test::FakePlatform fake;

private slots:
    void initTestCase() { Forms::setPlatform(&fake); }

    // Any nonzero Wait plays to the end; a failing sound service is one beep.
    void playWav()
    {
        MSysSnd::PlayWav(QStringLiteral("/a b/Phonenew.wav"), qint16(1));
        MSysSnd::PlayWav(QStringLiteral("/a b/Phonenew.wav"), False);
        fake.playThrows = true;
        MSysSnd::PlayWav(QStringLiteral("/a b/Phonenew.wav"), True);
        QCOMPARE(fake.plays.size(), 2);
        QCOMPARE(fake.plays[0].path, QStringLiteral("/a b/Phonenew.wav"));
        QVERIFY(fake.plays[0].wait && !fake.plays[1].wait && fake.beeps == 1);
    }

    // Only exactly True asks for topmost and passes the result on; the menu
    // item toggles it in place, and a failed call goes unnoticed.
    void topMost()
    {
        frmTimer &w = Forms::Timer();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(MSysSnd::SetTopMost(w.windowHandle(), True), 1);
        QCOMPARE(MSysSnd::SetTopMost(w.windowHandle(), qint16(1)), 0);
        fake.topMostResult = false;
        QCOMPARE(MSysSnd::SetTopMost(w.windowHandle(), True), 0);
        QVERIFY(!w.mnuAlwaysOnTop->isChecked()); // every run starts unmarked
        const QRect before = w.geometry();
        for (int click = 0; click < 3; ++click)
            w.mnuAlwaysOnTop->trigger();
        QList<bool> asked;
        for (const auto &stacking : std::as_const(fake.stackings))
            asked << (stacking.topMost && stacking.window == w.windowHandle());
        QCOMPARE(asked, (QList<bool>{true, false, true, true, false, true}));
        QVERIFY(w.mnuAlwaysOnTop->isChecked() && w.geometry() == before);
        QVERIFY(fake.messages.isEmpty() && fake.saves == 0);
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestMSysSnd)
#include "tst_msyssnd.moc"

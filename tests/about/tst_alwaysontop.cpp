// SPDX-License-Identifier: MIT
// Options > Always On Top: the mark, the stacking call, and nothing else.
#include "FakePlatform.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QtTest>

using namespace brivel;

// Notes whether the item was already marked when the stacking call came.
class OrderPlatform : public test::FakePlatform {
public:
    QList<bool> markAtCall;
    bool setTopMost(QWindow *window, bool topMost) override
    {
        markAtCall << Forms::Timer().mnuAlwaysOnTop->isChecked();
        return FakePlatform::setTopMost(window, topMost);
    }
};

class TestAlwaysOnTop : public QObject {
    Q_OBJECT
    OrderPlatform m_fake;

private slots:
    void clicksToggleMarkThenStacking()
    {
        m_fake.topMostResult = false; // a failed call goes unnoticed
        Forms::setPlatform(&m_fake);
        frmTimer &w = Forms::Timer();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.mnuAlwaysOnTop->isChecked()); // every run starts unmarked
        const QRect before = w.geometry();

        for (int click = 0; click < 3; ++click)
            w.mnuAlwaysOnTop->trigger();

        const QList<bool> wanted{true, false, true};
        QCOMPARE(w.mnuAlwaysOnTop->isChecked(), true);
        QCOMPARE(m_fake.markAtCall, wanted);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(m_fake.stackings.at(i).window, w.windowHandle());
            QCOMPARE(m_fake.stackings.at(i).topMost, wanted.at(i));
        }
        QCOMPARE(w.geometry(), before);
        QVERIFY(m_fake.messages.isEmpty());
        QCOMPARE(m_fake.saves, 0);

        // The next run: a fresh window, unmarked and never stacked.
        w.cmdExit_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_fake.stackings.clear();
        frmTimer &next = Forms::Timer();
        next.show();
        QVERIFY(!next.mnuAlwaysOnTop->isChecked());
        QVERIFY(m_fake.stackings.isEmpty());
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestAlwaysOnTop)
#include "tst_alwaysontop.moc"

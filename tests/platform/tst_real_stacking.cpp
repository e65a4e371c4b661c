// SPDX-License-Identifier: MIT
// Always on top under a real X server and window manager: the state the
// window manager keeps for the main window, and its place and size.
#include "RealDesktop.h"

#include "sound/MSysSnd.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QApplication>
#include <QRegularExpression>
#include <QWindow>

using namespace brivel;

namespace {

// What an X tool says about the window.
QString x(const char *tool, QWindow *window, const QStringList &what = {})
{
    QProcess process;
    process.start(QLatin1String(tool),
                  QStringList{QStringLiteral("-id"), QString::number(window->winId())} + what);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool isAbove(QWindow *window)
{
    return x("xprop", window, {QStringLiteral("_NET_WM_STATE")}).contains("_NET_WM_STATE_ABOVE");
}

// Place and size as the X server has them.
QStringList placement(QWindow *window)
{
    return x("xwininfo", window).split('\n').filter(QRegularExpression("Absolute|Width:|Height:"));
}

} // namespace

class TestRealStacking : public QObject {
    Q_OBJECT
    test::RealPlatform platform;

private slots:
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // On top and released again, without moving; hidden and shown as the
    // sound picker does, it stays on top. Only exactly True keeps it on top.
    void alwaysOnTop()
    {
        BRIVEL_REQUIRE_DISPLAY();
        Forms::setPlatform(&platform);
        frmTimer &w = Forms::Timer();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWindow *window = w.windowHandle();
        QTRY_VERIFY(x("xprop", window, {QStringLiteral("_NET_FRAME_EXTENTS")}).contains('='));
        const QStringList place = placement(window);
        QCOMPARE(place.size(), 4);
        QVERIFY(!isAbove(window));
        QVERIFY(MSysSnd::SetTopMost(window, True) != 0);
        QTRY_VERIFY(isAbove(window));
        QCOMPARE(placement(window), place);

        w.hide();
        QTRY_VERIFY(!window->isExposed());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(isAbove(window));
        const QStringList shown = placement(window);
        QCOMPARE(MSysSnd::SetTopMost(window, 1), 0);
        QTRY_VERIFY(!isAbove(window));
        QCOMPARE(placement(window), shown);
        QVERIFY(MSysSnd::SetTopMost(window, True) != 0);
        QTRY_VERIFY(isAbove(window));
        QCOMPARE(MSysSnd::SetTopMost(window, False), 0);
        QTRY_VERIFY(!isAbove(window));

        // Where there is no window to stack, the call reports failure.
        QVERIFY(!platform.setTopMost(nullptr, true));
    }
};

BRIVEL_REAL_MAIN(TestRealStacking)

#include "tst_real_stacking.moc"

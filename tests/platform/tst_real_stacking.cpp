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

#include <memory>

using namespace brivel;

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The window manager's state hints of the window, as xprop reads them.
bool isAbove(QWindow *window)
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                         QStringLiteral("_NET_WM_STATE")})
        .contains(QLatin1String("_NET_WM_STATE_ABOVE"));
}

// Place and size on the screen, as the X server has them.
QRect placement(QWindow *window)
{
    const QString info =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window->winId())});
    const auto field = [&info](const char *name) {
        const QRegularExpression re(QLatin1String(name) + QLatin1String(":\\s*(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
            field("Height")};
}

} // namespace

class TestRealStacking : public QObject {
    Q_OBJECT
private slots:
    void init() { m_platform = std::make_unique<test::RealPlatform>(); }
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_platform.reset();
    }

    void alwaysOnTop()
    {
        BRIVEL_REQUIRE_DISPLAY();
        Forms::setPlatform(m_platform.get());
        frmTimer &w = Forms::Timer();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        MSysSnd::WindowHandle window = w.windowHandle();
        // Placed and framed by the window manager before anything is measured.
        QTRY_VERIFY(
            run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("_NET_FRAME_EXTENTS")})
                .contains(QLatin1Char('=')));
        QRect place = placement(window);
        QVERIFY(!isAbove(window));

        QVERIFY(MSysSnd::SetTopMost(window, True) != 0);
        QTRY_VERIFY(isAbove(window));
        QCOMPARE(placement(window), place);
        // Again on a window already on top: still nonzero, still in place.
        QVERIFY(MSysSnd::SetTopMost(window, True) != 0);
        QCOMPARE(placement(window), place);

        // Hidden and shown again, as the sound picker does: still on top.
        // (Where a window shows again is the window's own matter.)
        w.hide();
        QTRY_VERIFY(!window->isExposed());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(isAbove(window));
        place = placement(window);

        // Only exactly True keeps it on top: 1 releases it and reports 0.
        QCOMPARE(MSysSnd::SetTopMost(window, 1), 0);
        QTRY_VERIFY(!isAbove(window));
        QCOMPARE(placement(window), place);
        QVERIFY(MSysSnd::SetTopMost(window, True) != 0);
        QTRY_VERIFY(isAbove(window));
        QCOMPARE(MSysSnd::SetTopMost(window, False), 0);
        QTRY_VERIFY(!isAbove(window));
        QCOMPARE(placement(window), place);
    }

    // Where there is no window to stack, the call reports failure.
    void noWindow()
    {
        QVERIFY(!m_platform->setTopMost(nullptr, true));
        QVERIFY(!m_platform->setTopMost(nullptr, false));
    }

private:
    std::unique_ptr<test::RealPlatform> m_platform;
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    test::prepareRealTest(home);
    QApplication app(argc, argv);
    TestRealStacking test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_real_stacking.moc"

// SPDX-License-Identifier: MIT
// The main window under a real X server and window manager: the frame it
// asks for, its size and place, a maximize that does not stick, and a hide
// and show that bring it back where it was.
#include "TimerRig.h"
#include "platform/LinuxPlatform.h"
#include "platform/RealDesktop.h"

#include <xcb/xcb.h>

using namespace brivel;

namespace {

// An X property or xwininfo's report of the window of now (Qt makes a new
// X window when the stacking changes).
QString x11(QWindow *window, const QString &program, const QString &property = {})
{
    QStringList arguments{"-id", QString::number(window->winId()), property};
    QProcess process;
    process.start(program, property.isEmpty() ? arguments.mid(0, 2) : arguments);
    process.waitForFinished(10'000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The frame on the X server: the client area grown by the extents the
// window manager reports.
QRect serverFrame(QWindow *window)
{
    const QRegularExpressionMatch m =
        QRegularExpression(
            R"(Absolute upper-left X:\s*(-?\d+).*?Absolute upper-left Y:\s*(-?\d+).*?Width:\s*(\d+).*?Height:\s*(\d+))",
            QRegularExpression::DotMatchesEverythingOption)
            .match(x11(window, "xwininfo"));
    const QRect frame(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                      m.captured(4).toInt());
    const QStringList e = x11(window, "xprop", "_NET_FRAME_EXTENTS").section('=', 1).split(',');
    const auto n = [&e](int i) { return e.value(i).trimmed().toInt(); };
    return frame.adjusted(-n(0), -n(2), n(1), n(3));
}

// The window system's last report of the window's place.
class ReportedPlace : public QObject {
public:
    QPoint at{-1, -1};

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Move && event->spontaneous())
            at = static_cast<QMoveEvent *>(event)->pos();
        return false;
    }
};

// Stacking as the desktop does it; everything else faked.
class StackingPlatform : public test::FakePlatform {
public:
    bool setTopMost(QWindow *w, bool topMost) override { return real.setTopMost(w, topMost); }
    LinuxPlatform real;
};

} // namespace

class TestRealTimer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { BRIVEL_REQUIRE_DISPLAY(); }
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The window manager is told: resize, minimize and close, no maximize;
    // a maximize it carries out all the same is taken back.
    void frameAndSize()
    {
        test::TimerRig rig;
        frmTimer *w = rig.w;
        const QStringList hints =
            x11(w->windowHandle(), "xprop", "_MOTIF_WM_HINTS").section('=', 1).split(',');
        QVERIFY2(hints.size() >= 3, qPrintable(hints.join(',')));
        QCOMPARE(hints[1].trimmed().toUInt(nullptr, 16) & 0x3b, 0x2au); // functions
        QCOMPARE(hints[2].trimmed().toUInt(nullptr, 16) & 0x60, 0x20u); // decorations
        const QSize before = w->size();
        w->showMaximized();
        QTRY_VERIFY(!(w->windowState() & Qt::WindowMaximized));
        QTRY_COMPARE(w->size(), before);
        QCOMPARE(w->centralWidget()->size(), QSize(224, 149));
    }

    void comesBackInPlace_data()
    {
        QTest::addColumn<bool>("onTop");
        QTest::newRow("normal") << false;
        QTest::newRow("always on top") << true;
    }
    // The sound picker hides the main window and shows it at once: it comes
    // back where it was first seen, centred, on top if it was, also when the
    // window manager withdraws it only after the show.
    void comesBackInPlace()
    {
        QFETCH(bool, onTop);
        Forms::setPlatform(&m_platform);
        frmTimer &w = Forms::Timer();
        ReportedPlace reported;
        w.show();
        QWindow *window = w.windowHandle();
        window->installEventFilter(&reported);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(w.frameGeometry().size() != w.size());
        QTRY_COMPARE(reported.at, w.geometry().topLeft());
        QTRY_COMPARE(serverFrame(window), w.frameGeometry());
        const QRect shown = w.frameGeometry();
        QVERIFY((shown.center() - w.screen()->availableGeometry().center()).manhattanLength() <= 1);
        const auto above = [&] {
            return x11(window, "xprop", "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE");
        };
        if (onTop) {
            w.mnuAlwaysOnTop->trigger();
            QTRY_VERIFY(above());
        }
        auto *c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        for (int round = 0; round < 6; ++round) {
            if (round % 2) // the window manager held back until both are done
                xcb_grab_server(c);
            w.hide();
            w.show();
            if (round % 2) {
                xcb_ungrab_server(c);
                xcb_flush(c);
            }
            QTRY_COMPARE(serverFrame(window), shown);
            QTRY_COMPARE(window->frameGeometry(), shown);
            QCOMPARE(w.frameGeometry(), shown);
            if (onTop)
                QTRY_VERIFY(above());
        }
    }

private:
    StackingPlatform m_platform;
};

QTEST_MAIN(TestRealTimer)
#include "tst_real_frmtimer.moc"

// SPDX-License-Identifier: MIT
// The main window under a real X server and window manager: the frame it
// asks for, its size and place, a maximize that does not stick, and a hide
// and show that bring it back where it was.
#include "TimerRig.h"
#include "platform/LinuxPlatform.h"

#include <QAction>
#include <QMenuBar>
#include <QMoveEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>

#include <xcb/xcb.h>

#include <memory>

using namespace brivel;
using test::TimerRig;

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10'000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The X window of now: Qt makes a new one when the stacking changes.
QString xid(QWindow *window)
{
    return QString::number(window->winId());
}

// The frame on the X server: the client area as xwininfo has it, grown by
// the extents the window manager reports; the client area alone while the
// window is not framed.
QRect serverFrame(QWindow *window)
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), xid(window)});
    const auto field = [&info](const char *name) {
        const QRegularExpression re(QLatin1String(name) + QLatin1String(":\\s*(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    QRect frame(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                field("Height"));
    const QString extents = run(QStringLiteral("xprop"), {QStringLiteral("-id"), xid(window),
                                                          QStringLiteral("_NET_FRAME_EXTENTS")});
    const QStringList lrtb = extents.section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (lrtb.size() == 4)
        frame.adjust(-lrtb[0].trimmed().toInt(), -lrtb[2].trimmed().toInt(),
                     lrtb[1].trimmed().toInt(), lrtb[3].trimmed().toInt());
    return frame;
}

bool isAbove(QWindow *window)
{
    return run(QStringLiteral("xprop"),
               {QStringLiteral("-id"), xid(window), QStringLiteral("_NET_WM_STATE")})
        .contains(QLatin1String("_NET_WM_STATE_ABOVE"));
}

// Hides and shows the window as the sound picker does, with the window
// manager held back until both are done: a busy window manager withdraws
// the window only after it has been shown again.
void hideAndShowAhead(QWidget &w)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (c)
        xcb_grab_server(c);
    w.hide();
    w.show();
    if (c) {
        xcb_ungrab_server(c);
        xcb_flush(c);
    }
}

// Where the window system last reported the window: once that is where Qt
// asked for it, no move is under way.
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
    bool setTopMost(QWindow *window, bool topMost) override
    {
        FakePlatform::setTopMost(window, topMost);
        return real.setTopMost(window, topMost);
    }
    LinuxPlatform real;
};

} // namespace

class TestRealTimer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
    }

    // The Motif hints tell the window manager: minimize and close, no maximize.
    void frameHints()
    {
        TimerRig rig;
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), QString::number(rig.w->winId()),
                     QStringLiteral("_MOTIF_WM_HINTS")});
        if (!xprop.waitForFinished(10'000) || xprop.exitCode() != 0)
            QSKIP("xprop is not available");
        // "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = flags, functions, decorations, ..."
        const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
        const QStringList words = out.section(QLatin1Char('='), 1).split(QLatin1Char(','));
        QVERIFY2(words.size() >= 3, qPrintable(out));
        bool ok1 = false, ok2 = false;
        const uint functions = words[1].trimmed().toUInt(&ok1, 16);
        const uint decorations = words[2].trimmed().toUInt(&ok2, 16);
        QVERIFY(ok1 && ok2);
        QVERIFY(!(functions & 0x01));   // not "all"
        QVERIFY(functions & 0x02);      // resize
        QVERIFY(functions & 0x08);      // minimize
        QVERIFY(!(functions & 0x10));   // maximize
        QVERIFY(functions & 0x20);      // close
        QVERIFY(decorations & 0x20);    // minimize button
        QVERIFY(!(decorations & 0x40)); // maximize button
    }

    void sizeAndPlace()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        QCOMPARE(w->centralWidget()->size(), QSize(224, 149));
        const QRect screen = w->screen()->availableGeometry();
        QTRY_VERIFY((w->frameGeometry().center() - screen.center()).manhattanLength() <= 4);
        // A maximize, even one the window manager carries out, is taken back.
        const QSize before = w->size();
        w->showMaximized();
        QTRY_VERIFY(!(w->windowState() & Qt::WindowMaximized));
        QTRY_COMPARE(w->size(), before);
        QCOMPARE(w->centralWidget()->size(), QSize(224, 149));
    }

    // The sound picker hides the main window and shows it at once: it comes
    // back where it was first seen, centred, on top if it was.
    void comesBackInPlace_data()
    {
        QTest::addColumn<bool>("onTop");
        QTest::newRow("normal") << false;
        QTest::newRow("always on top") << true;
    }
    void comesBackInPlace()
    {
        QFETCH(bool, onTop);
        m_platform = std::make_unique<StackingPlatform>();
        Forms::setPlatform(m_platform.get());
        frmTimer &w = Forms::Timer();
        ReportedPlace reported;
        w.show();
        QWindow *window = w.windowHandle();
        window->installEventFilter(&reported);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        // Framed, and settled where Qt put it: that is where it is first seen.
        QTRY_VERIFY(w.frameGeometry().size() != w.size());
        QTRY_COMPARE(reported.at, w.geometry().topLeft());
        QTRY_COMPARE(serverFrame(window), w.frameGeometry());
        const QRect shown = w.frameGeometry();
        const QPoint offCentre = shown.center() - w.screen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 1,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        if (onTop) {
            w.mnuAlwaysOnTop->trigger();
            QTRY_VERIFY(isAbove(window));
        }

        // The window manager withdraws and takes back the window each time,
        // at its own pace or after the show.
        for (int round = 0; round < 10; ++round) {
            if (round % 2 == 0) {
                w.hide();
                w.show();
            } else {
                hideAndShowAhead(w);
            }
            QTRY_COMPARE(serverFrame(window), shown);
            QTRY_COMPARE(window->frameGeometry(), shown);
            QCOMPARE(w.frameGeometry(), shown);
            if (onTop)
                QTRY_VERIFY(isAbove(window));
        }
    }

    // Also after a failed case: no window left for the next one.
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_platform.reset();
    }

private:
    std::unique_ptr<StackingPlatform> m_platform;
};

QTEST_MAIN(TestRealTimer)
#include "tst_real_frmtimer.moc"

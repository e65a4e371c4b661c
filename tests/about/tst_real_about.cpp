// SPDX-License-Identifier: MIT
// The About dialog under a real window manager: off the task bar, owned by
// no window, never left minimized.
#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "platform/LinuxPlatform.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QProcess>
#include <QWindow>
#include <QtTest>

using namespace brivel;

namespace {

class DesktopPlatform : public test::FakePlatform {
public:
    void hideFromTaskbar(QWindow *window) override { real.hideFromTaskbar(window); }
    LinuxPlatform real;
};

QString windowProperties(const QWidget &w)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(w.winId()), QStringLiteral("_NET_WM_STATE"),
                 QStringLiteral("WM_TRANSIENT_FOR"), QStringLiteral("WM_STATE")});
    xprop.waitForFinished(5000);
    return QString::fromLocal8Bit(xprop.readAllStandardOutput());
}

// Notes when the window leaves the screen: a window manager minimizes a
// window by unmapping it, however soon the window comes back.
class LeaveWatch : public QObject {
public:
    bool left = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !static_cast<QWindow *>(watched)->isExposed())
            left = true;
        return false;
    }
};

} // namespace

class TestRealAbout : public QObject {
    Q_OBJECT
private slots:
    void standsAlone()
    {
        DesktopPlatform platform;
        Forms::setPlatform(&platform);
        Forms::Timer().show();
        Forms::Timer().mnuHelpAboutBrivel->trigger();
        frmAbout *about = Forms::AboutIfLoaded();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));

        QString props = windowProperties(*about);
        QVERIFY2(props.contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR")), qPrintable(props));
        QVERIFY2(!props.contains(QLatin1String("_NET_WM_STATE_ABOVE")), qPrintable(props));
        QVERIFY2(props.contains(QLatin1String("WM_TRANSIENT_FOR:  not found")), qPrintable(props));

        // The window manager minimizes the dialog, and the dialog comes back:
        // on the screen, normal for the window manager and for Qt.
        LeaveWatch watch;
        about->windowHandle()->installEventFilter(&watch);
        about->showMinimized();
        QTRY_VERIFY(watch.left);
        QTRY_VERIFY(!about->isMinimized() && about->windowHandle()->isExposed()
                    && windowProperties(*about).contains(QLatin1String("window state: Normal")));
        about->windowHandle()->removeEventFilter(&watch);

        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestRealAbout)
#include "tst_real_about.moc"

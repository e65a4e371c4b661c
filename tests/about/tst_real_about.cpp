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

        about->showMinimized();
        QTRY_VERIFY(windowProperties(*about).contains(QLatin1String("window state: Normal")));
        QVERIFY(!about->isMinimized());

        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestRealAbout)
#include "tst_real_about.moc"

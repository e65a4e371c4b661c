// SPDX-License-Identifier: MIT
// With Always On Top on, every window Brivel opens comes up above the main
// window in the window manager's stacking order, and follows the switch.
#include "RealDesktop.h"

#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QPushButton>
#include <QTimer>

using namespace brivel;

namespace {
QString xprop(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral("xprop"), arguments);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// Bottom to top, as the window manager stacks its clients.
bool stackedAbove(QWidget *upper, QWidget *lower)
{
    QList<WId> order;
    const QString list = xprop({"-root", "_NET_CLIENT_LIST_STACKING"}).section('#', 1);
    for (const QString &id : list.split(',', Qt::SkipEmptyParts))
        order << id.trimmed().toULongLong(nullptr, 16);
    const qsizetype u = order.indexOf(upper->winId()), l = order.indexOf(lower->winId());
    return u >= 0 && l >= 0 && u > l;
}

bool keptAbove(QWidget *w)
{
    return xprop({"-id", QString::number(w->winId()), "_NET_WM_STATE"}).contains("_ABOVE");
}
} // namespace

class TestRealOwnedStacking : public QObject {
    Q_OBJECT
    test::RealPlatform platform;

private slots:
    void eachWindowAboveTheMainWindow()
    {
        BRIVEL_REQUIRE_DISPLAY();
        Forms::setPlatform(&platform);
        frmTimer &main = Forms::Timer();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.mnuAlwaysOnTop->trigger();
        QTRY_VERIFY(keptAbove(&main));

        // The refused entry's box, looked at while it waits for OK.
        bool boxAbove = false;
        QTimer::singleShot(0, [&] {
            boxAbove = QTest::qWaitFor([&] {
                QWidget *box = QApplication::activeModalWidget();
                return box && box->isVisible() && stackedAbove(box, &main);
            });
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        main.cmdGo->click();
        QVERIFY(boxAbove);

        main.mnuHelpAboutBrivel->trigger();
        main.mnuOptionsSoundPicker->trigger();
        frmAbout *about = Forms::AboutIfLoaded();
        frmSoundPkr *picker = Forms::SoundPkrIfLoaded();
        for (QWidget *w : {static_cast<QWidget *>(about), static_cast<QWidget *>(picker)}) {
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QTRY_VERIFY(stackedAbove(w, &main));
            QVERIFY(w->windowFlags() & Qt::Window && !w->parentWidget() && !w->isModal());
        }
        // Both follow the switch while they are open.
        for (const bool on : {false, true}) {
            main.mnuAlwaysOnTop->trigger();
            QTRY_VERIFY(keptAbove(about) == on && keptAbove(picker) == on && keptAbove(&main) == on);
        }
        QVERIFY(xprop({"-id", QString::number(about->winId())}).contains("SKIP_TASKBAR"));
        Forms::unloadAll();
    }
};

BRIVEL_REAL_MAIN(TestRealOwnedStacking)

#include "tst_real_owned_stacking.moc"

// SPDX-License-Identifier: MIT
// The main window under a real X server and window manager: the frame it
// asks for, its size and place, and a maximize that does not stick.
#include "TimerRig.h"

#include <QMenuBar>
#include <QProcess>
#include <QScreen>

using namespace brivel;
using test::TimerRig;

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
};

QTEST_MAIN(TestRealTimer)
#include "tst_real_frmtimer.moc"

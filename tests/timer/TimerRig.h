// SPDX-License-Identifier: MIT
// The main window over the fake platform, loaded, shown and active, with
// helpers that act as the user and the clock would.
#pragma once

#include "FakePlatform.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>

namespace brivel::test {

struct TimerRig {
    FakePlatform fake;
    frmTimer *w = nullptr;

    // Loads the window; set up `fake` first through the callback.
    explicit TimerRig(const std::function<void(FakePlatform &)> &setup = {})
    {
        if (setup)
            setup(fake);
        Forms::setPlatform(&fake);
        w = &Forms::Timer();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("main window not active");
    }
    ~TimerRig()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void start(const QString &minutes)
    {
        w->txtNumMin->setText(minutes);
        w->cmdGo->click();
    }
    // The clock moves on by one interval and the due tick is delivered.
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            fake.advance(TickIntervalMs);
            w->Timer2->catchUp();
        }
    }
    QString focused() const
    {
        QWidget *f = QApplication::focusWidget();
        return f ? f->objectName() : QString();
    }
    bool memoHighlighted() const
    {
        return w->txtMemo->font().bold()
               && w->txtMemo->palette().color(QPalette::Text) == QColor(255, 0, 0);
    }
    bool memoPlain() const
    {
        return !w->txtMemo->font().bold()
               && w->txtMemo->palette().color(QPalette::Text) == QColor(0, 0, 0);
    }
    // Idle as the state table has it.
    bool idle() const
    {
        return !w->Timer2->Enabled() && w->cmdGo->isEnabled() && !w->cmdPause->isEnabled()
               && !w->cmdReset->isEnabled()
               && w->lblLabel1->text() == QLatin1String("Please type desired number of minutes:")
               && w->windowTitle() == QLatin1String("Brivel");
    }
};

// "hh:mm:ss" of a number of seconds.
inline QString hms(int secs)
{
    return QStringLiteral("%1:%2:%3")
        .arg(secs / 3600, 2, 10, QLatin1Char('0'))
        .arg(secs / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(secs % 60, 2, 10, QLatin1Char('0'));
}

} // namespace brivel::test

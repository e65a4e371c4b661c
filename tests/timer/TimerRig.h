// SPDX-License-Identifier: MIT
// The main window over the fake platform, loaded and shown, with helpers
// that act as the user and the clock would.
#pragma once

#include "FakePlatform.h"
#include "timer/Forms.h"
#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QtTest>
#include <QtWidgets>

namespace brivel::test {

struct TimerRig {
    FakePlatform fake;
    frmTimer *w = nullptr;

    explicit TimerRig(const std::function<void(FakePlatform &)> &setup = {})
    {
        if (setup)
            setup(fake);
        Forms::setPlatform(&fake);
        w = &Forms::Timer();
        w->show();
        w->activateWindow();
        (void)QTest::qWaitForWindowActive(w);
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
    // The clock moves on by one interval per tick and the due tick comes.
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            fake.advance(TickIntervalMs);
            w->Timer2->catchUp();
        }
    }
    QString focused() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "-";
    }
    // After an alarm the memo is bold red; a click makes it plain black.
    bool memoIs(bool red) const
    {
        return w->txtMemo->font().bold() == red
               && w->txtMemo->palette().color(QPalette::Text) == QColor(red ? 255 : 0, 0, 0);
    }
    bool idle() const
    {
        return !w->Timer2->Enabled() && w->cmdGo->isEnabled() && !w->cmdPause->isEnabled()
               && !w->cmdReset->isEnabled() && w->windowTitle() == QLatin1String("Brivel")
               && w->lblLabel1->text() == QLatin1String("Please type desired number of minutes:");
    }
    static QString hms(int secs) { return QTime(0, 0).addSecs(secs).toString("hh:mm:ss"); }
};

} // namespace brivel::test

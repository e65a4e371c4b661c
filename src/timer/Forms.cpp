// SPDX-License-Identifier: MIT
#include "Forms.h"

#include "about/frmAbout.h"
#include "sound/frmSoundPkr.h"
#include "timer/frmTimer.h"

#include <QCoreApplication>
#include <QPointer>

namespace brivel {

namespace {
Platform *g_platform = nullptr;
QPointer<frmTimer> g_timer;
QPointer<frmSoundPkr> g_soundPkr;
QPointer<frmAbout> g_about;

// Windows drop out of the registry as soon as they are unloaded, before
// their deferred deletion, so that the next reference loads a new one.
template <typename W> W *live(QPointer<W> &p)
{
    if (p && p->isUnloaded())
        p.clear();
    return p.data();
}

template <typename W> W &load(QPointer<W> &p)
{
    if (!live(p)) {
        p = new W(Forms::platform()); // owned by itself: deletes itself when unloaded
        p->Form_Load();
    }
    return *p;
}
} // namespace

void Forms::setPlatform(Platform *platform)
{
    g_platform = platform;
}

Platform &Forms::platform()
{
    Q_ASSERT(g_platform);
    return *g_platform;
}

frmTimer &Forms::Timer()
{
    return load(g_timer);
}
frmTimer *Forms::TimerIfLoaded()
{
    return live(g_timer);
}
frmSoundPkr &Forms::SoundPkr()
{
    return load(g_soundPkr);
}
frmSoundPkr *Forms::SoundPkrIfLoaded()
{
    return live(g_soundPkr);
}
frmAbout &Forms::About()
{
    return load(g_about);
}
frmAbout *Forms::AboutIfLoaded()
{
    return live(g_about);
}

void Forms::unloadAll()
{
    if (auto *w = live(g_soundPkr))
        w->Unload();
    if (auto *w = live(g_about))
        w->Unload();
    if (auto *w = live(g_timer))
        w->Unload();
    delete g_soundPkr.data();
    delete g_about.data();
    delete g_timer.data();
}

} // namespace brivel

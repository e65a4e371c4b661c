// SPDX-License-Identifier: MIT
// Always on top, help and About commands of the main window.
#include "frmAbout.h"
#include "platform/Platform.h"
#include "sound/MSysSnd.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>

namespace brivel {

void frmTimer::mnuAlwaysOnTop_Click()
{
    // The mark changes first; the window call follows and its result is not used.
    MSysSnd::WindowHandle hWnd = windowHandle();
    if (mnuAlwaysOnTop->isChecked()) {
        mnuAlwaysOnTop->setChecked(false);
        MSysSnd::SetTopMost(hWnd, False);
    } else {
        mnuAlwaysOnTop->setChecked(true);
        MSysSnd::SetTopMost(hWnd, True);
    }
}

void frmTimer::mnuHelpBrivelHelp_Click() {}

void frmTimer::showContextHelp(int topic) { Q_UNUSED(topic); }

void frmTimer::installContextHelp() {}

void frmTimer::mnuHelpAboutBrivel_Click()
{
    frmAbout &about = Forms::About();
    about.show();
    about.raise();
    about.activateWindow();
}

} // namespace brivel

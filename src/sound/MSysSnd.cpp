// SPDX-License-Identifier: MIT
#include "MSysSnd.h"

#include "platform/Platform.h"
#include "timer/Forms.h"

#include <exception>

namespace brivel::MSysSnd {

void PlayWav(QString WaveFile, qint16 Wait)
{
    Platform &platform = Forms::platform();
    try {
        const QString copy = WaveFile;
        platform.playWave(copy, Wait != 0);
    } catch (...) {
        platform.beep();
    }
}

qint32 SetTopMost(const WindowHandle &hWnd, const qint16 &TopMost)
{
    Platform &platform = Forms::platform();
    if (TopMost == True)
        return platform.setTopMost(hWnd, true) ? 1 : 0;
    platform.setTopMost(hWnd, false);
    return 0;
}

} // namespace brivel::MSysSnd

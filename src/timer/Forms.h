// SPDX-License-Identifier: MIT
#pragma once

namespace brivel {

class Platform;
class frmTimer;
class frmSoundPkr;
class frmAbout;

// The program's single-instance windows. Each is created and loaded on its
// first reference and forgotten when it is unloaded; the next reference
// loads a fresh one.
class Forms {
public:
    // The platform every window works over; set once before any window.
    static void setPlatform(Platform *platform);
    static Platform &platform();

    static frmTimer &Timer();
    static frmTimer *TimerIfLoaded();
    static frmSoundPkr &SoundPkr();
    static frmSoundPkr *SoundPkrIfLoaded();
    static frmAbout &About();
    static frmAbout *AboutIfLoaded();

    // Close and destroy every loaded window (used between tests).
    static void unloadAll();
};

} // namespace brivel

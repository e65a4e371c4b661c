// SPDX-License-Identifier: MIT
// The Options menu's alarm commands of the main window.
#include "AlarmSettings.h"
#include "frmSoundPkr.h"
#include "platform/Platform.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>

namespace brivel {

namespace {
void storeCurrent(Platform &platform, const QString &path)
{
    platform.SaveSetting(settings::Application, settings::Section, settings::Current, path);
}
} // namespace

void frmTimer::mnuNewPhone_Click()
{
    mnuNewPhone->setChecked(true);
    mnuOldPhone->setChecked(false);
    m_WaveFile = m_platform.programFolder() + QStringLiteral("/Phonenew.wav");
    storeCurrent(m_platform, m_WaveFile);
}

void frmTimer::mnuOldPhone_Click()
{
    mnuNewPhone->setChecked(false);
    mnuOldPhone->setChecked(true);
    m_WaveFile = m_platform.programFolder() + QStringLiteral("/Phonerng.wav");
    storeCurrent(m_platform, m_WaveFile);
}

void frmTimer::mnuOptionsMute_Click()
{
    mnuOptionsMute->setChecked(!mnuOptionsMute->isChecked());
}

void frmTimer::mnuOptionsSoundPicker_Click()
{
    frmSoundPkr &picker = Forms::SoundPkr();
    keepAboveWhileOnTop(picker); // from this show on
    picker.show();
    picker.raise();
    picker.activateWindow();
}

} // namespace brivel

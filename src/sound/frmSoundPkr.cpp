// SPDX-License-Identifier: MIT
#include "frmSoundPkr.h"

namespace brivel {

frmSoundPkr::frmSoundPkr(Platform &platform) : m_platform(platform)
{
    setObjectName(QStringLiteral("frmSoundPkr"));
}

frmSoundPkr::~frmSoundPkr() = default;

void frmSoundPkr::Form_Load() {}

void frmSoundPkr::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    close();
    deleteLater();
}

} // namespace brivel

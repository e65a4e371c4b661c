// SPDX-License-Identifier: MIT
#include "frmAbout.h"

namespace brivel {

frmAbout::frmAbout(Platform &platform) : m_platform(platform)
{
    setObjectName(QStringLiteral("frmAbout"));
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {}

void frmAbout::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    close();
    deleteLater();
}

} // namespace brivel

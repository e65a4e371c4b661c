// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace brivel {

class Platform;

// The sound picker: any wave file on any volume as the alarm.
class frmSoundPkr : public QWidget {
    Q_OBJECT
public:
    explicit frmSoundPkr(Platform &platform);
    ~frmSoundPkr() override;

    void Form_Load();
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

private:
    Platform &m_platform;
    bool m_unloaded = false;
};

} // namespace brivel

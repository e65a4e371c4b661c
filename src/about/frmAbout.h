// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace brivel {

class Platform;

// The About dialog.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(Platform &platform);
    ~frmAbout() override;

    void Form_Load();
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

private:
    Platform &m_platform;
    bool m_unloaded = false;
};

} // namespace brivel

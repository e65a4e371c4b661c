// SPDX-License-Identifier: MIT
#pragma once

#include "platform/MachineHive.h"

#include <QDialog>
#include <QString>

#include <array>
#include <stdexcept>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace brivel {

class Platform;

// A registry value that cannot be read as the lookup expects (a data size
// of 0). It ends the system information lookup at once.
class RegistryValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The About dialog: title, version, description and the project's texts,
// and the System Info button that starts the system information tool.
// Modeless, without owner, off the task bar.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Platform &platform);
    ~frmAbout() override;

    void Form_Load();
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

    // Controls.
    QPushButton *cmdOK = nullptr;
    QLabel *picIcon = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label1 = nullptr;
    QFrame *frmFrame1 = nullptr;
    QLabel *lblAddress = nullptr;
    QLabel *Label2 = nullptr;
    // Line1[1] grey above Line1[0] white: the etched separator.
    std::array<QWidget *, 2> Line1{};

    // Handlers.
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Finds the system information tool through the machine hive and starts
    // it; shows "System Information Is Unavailable At This Time" otherwise.
    void StartSysInfo();
    // Reads one value into KeyVal: True (-1) when the key and the value were
    // read, whatever their type; False (0) with KeyVal empty otherwise.
    // Throws RegistryValueError for a value with a data size of 0.
    qint16 GetKeyValue(HKEY &KeyRoot, QString &KeyName, QString &SubKeyRef, QString &KeyVal);

public slots:
    // Escape and Enter on OK both unload the dialog.
    void accept() override;
    void reject() override;

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();

    Platform &m_platform;
    bool m_unloaded = false;
};

} // namespace brivel

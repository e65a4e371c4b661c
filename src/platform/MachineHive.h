// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace brivel {

// Stand-ins for the registry calls over a read-only hive file in the
// registry export format. Codes and types are the registry's own.
using HKEY = quint32;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr quint32 REG_NONE = 0;
inline constexpr quint32 REG_SZ = 1;
inline constexpr quint32 REG_EXPAND_SZ = 2;
inline constexpr quint32 REG_BINARY = 3;
inline constexpr quint32 REG_DWORD = 4;
inline constexpr quint32 REG_MULTI_SZ = 7;

class MachineHive {
public:
    explicit MachineHive(QString path);
    ~MachineHive();
    MachineHive(const MachineHive &) = delete;
    MachineHive &operator=(const MachineHive &) = delete;

    long RegOpenKeyExA(HKEY hKey, const QByteArray &lpSubKey, quint32 ulOptions, quint32 samDesired,
                       HKEY *phkResult);
    long RegQueryValueExA(HKEY hKey, const QByteArray &lpValueName, quint32 *lpReserved,
                          quint32 *lpType, unsigned char *lpData, quint32 *lpcbData);
    long RegCloseKey(HKEY hKey);

    QString path() const { return m_path; }

private:
    QString m_path;
};

} // namespace brivel

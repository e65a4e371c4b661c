// SPDX-License-Identifier: MIT
#include "MachineHive.h"

#include <utility>

namespace brivel {

MachineHive::MachineHive(QString path) : m_path(std::move(path)) {}
MachineHive::~MachineHive() = default;

long MachineHive::RegOpenKeyExA(HKEY, const QByteArray &, quint32, quint32, HKEY *phkResult)
{
    if (phkResult)
        *phkResult = 0;
    return ERROR_FILE_NOT_FOUND;
}

long MachineHive::RegQueryValueExA(HKEY, const QByteArray &, quint32 *, quint32 *, unsigned char *,
                                   quint32 *)
{
    return ERROR_FILE_NOT_FOUND;
}

long MachineHive::RegCloseKey(HKEY) { return ERROR_SUCCESS; }

} // namespace brivel

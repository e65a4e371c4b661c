// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtGlobal>

#include <map>
#include <optional>

namespace brivel {

// Stand-ins for the registry calls over a read-only hive file in the
// registry export format. Codes and types are the registry's own.
using HKEY = quint32;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr quint32 REG_NONE = 0;
inline constexpr quint32 REG_SZ = 1;
inline constexpr quint32 REG_EXPAND_SZ = 2;
inline constexpr quint32 REG_BINARY = 3;
inline constexpr quint32 REG_DWORD = 4;
inline constexpr quint32 REG_MULTI_SZ = 7;

// HKEY_LOCAL_MACHINE read from a text file:
//
//   Windows Registry Editor Version 5.00      (or REGEDIT4)
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Some Key]
//   "Name"="text with \\ and \" escapes"      REG_SZ, stored with its NUL
//   @="default value"                         the key's unnamed value
//   "Count"=dword:0000002a                    REG_DWORD, little-endian
//   "Raw"=hex:01,02,\                         REG_BINARY, continued lines
//     03
//   "Other"=hex(2):25,00                      any type, bytes exactly as written
//
// Key and value names are case-insensitive. A missing, unreadable or
// malformed file is an empty machine: every key open fails with "not found".
// The file is read again on every open, so a key handle sees the values as
// they were when it was opened.
class MachineHive {
public:
    struct Value {
        quint32 type = REG_NONE;
        QByteArray data;
    };
    struct Key {
        QHash<QString, Value> values; // by folded name; "" is the default value
    };
    // Keys by folded path below HKEY_LOCAL_MACHINE ("" is the root itself).
    using Keys = QHash<QString, Key>;

    // The keys of a hive file's text, or nothing when the text is not a
    // well-formed hive. Never throws.
    static std::optional<Keys> parse(const QByteArray &text);
    // The form a key or value name is looked up by.
    static QString fold(const QString &name);

    explicit MachineHive(QString path);
    ~MachineHive();
    MachineHive(const MachineHive &) = delete;
    MachineHive &operator=(const MachineHive &) = delete;

    // Options and access mask are accepted as given: the hive grants what is
    // asked and never changes.
    long RegOpenKeyExA(HKEY hKey, const QByteArray &lpSubKey, quint32 ulOptions, quint32 samDesired,
                       HKEY *phkResult);
    // lpData may be null to ask for the size only. When the data does not fit
    // in *lpcbData bytes, nothing is copied, *lpcbData receives the size
    // needed and the result is ERROR_MORE_DATA.
    long RegQueryValueExA(HKEY hKey, const QByteArray &lpValueName, quint32 *lpReserved,
                          quint32 *lpType, unsigned char *lpData, quint32 *lpcbData);
    long RegCloseKey(HKEY hKey);

    QString path() const { return m_path; }
    // Keys opened and not yet closed.
    int openKeyCount() const { return int(m_open.size()); }

private:
    struct OpenKey {
        QString path; // folded
        Key key;
    };
    std::optional<Keys> load() const;
    HKEY nextHandle();

    QString m_path;
    std::map<HKEY, OpenKey> m_open;
    HKEY m_lastHandle = 0;
};

} // namespace brivel

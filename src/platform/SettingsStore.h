// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace brivel {

// The per-user settings store: one INI file per application, written whole
// and atomically, at $XDG_CONFIG_HOME/<application>/<application>.ini. A
// section such as "Settings\WaveFile" nests groups, so Old Phone's path is
// the line WaveFile\Current=... under [Settings].

// The stored string, or defaultValue when the key is absent or the file
// cannot be read. Lines that make no sense are passed over.
QString readSetting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultValue);

// Stores the value with every other value that could be read, in a clean
// file; a file too large to be the store, or no file at all, is first set
// aside as "<application>.ini.bad". False when the value could not be
// stored: the store is then left as it was. Waits a moment at most for a
// lock held elsewhere.
bool writeSetting(const QString &application, const QString &section, const QString &key,
                  const QString &value);

} // namespace brivel

// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace brivel {

// The per-user settings store: one INI file per application, written whole
// and atomically, at $XDG_CONFIG_HOME/<application>/<application>.ini. A
// section such as "Settings\WaveFile" nests groups, so Old Phone's path is
// the line WaveFile\Current=... under [Settings].

// "Settings\WaveFile" + "Current" -> "Settings/WaveFile/Current".
QString settingsKey(const QString &section, const QString &key);

// The stored string, or defaultValue when the key is absent or the file
// cannot be read or makes no sense.
QString readSetting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultValue);

// Stores the value. False when it could not; the file is then left exactly
// as it was. Never waits long for a lock held elsewhere.
bool writeSetting(const QString &application, const QString &section, const QString &key,
                  const QString &value);

} // namespace brivel

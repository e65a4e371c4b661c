// SPDX-License-Identifier: MIT
// Where the alarm's choice and the sound picker's positions are stored.
#pragma once

#include <QString>

namespace brivel::settings {

inline const QString Application = QStringLiteral("Brivel");
inline const QString Section = QStringLiteral("Settings\\WaveFile");
// The alarm's path, and the picker's drive, folder, file-list folder and path.
inline const QString Current = QStringLiteral("Current");
inline const QString Drive = QStringLiteral("Drive");
inline const QString Directory = QStringLiteral("Directory");
inline const QString Files = QStringLiteral("Files");
inline const QString Path = QStringLiteral("Path");

} // namespace brivel::settings

// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

namespace brivel {

// Starts a command line without a shell and without waiting; returns the
// task identifier (the process id), 0 when nothing could be started.
qint64 startCommandLine(const QString &commandLine, int showWindow, const QString &programFolder);

} // namespace brivel

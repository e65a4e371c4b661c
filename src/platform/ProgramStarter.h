// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

namespace brivel {

// Environment variable through which a started program learns the
// show-window value it was started with.
inline constexpr char ShowWindowVariable[] = "BRIVEL_SHOW_WINDOW";

// Starts a command line without a shell and without waiting; returns the
// task identifier (the process id), 0 when nothing could be started.
//
// When the whole command line names an executable file, that file runs with
// no arguments. Otherwise the text up to the first blank is the program and
// the rest, exactly as it stands, is its one argument. A program named
// without a folder is looked for in programFolder first, then on PATH.
qint64 startCommandLine(const QString &commandLine, int showWindow, const QString &programFolder);

} // namespace brivel

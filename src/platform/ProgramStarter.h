// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>

namespace brivel {

// Environment variable through which a started program learns the
// show-window value it was started with.
inline constexpr char ShowWindowVariable[] = "BRIVEL_SHOW_WINDOW";
// And the one through which it learns the frame of the window that started
// it, "x,y,width,height", to open beside it.
inline constexpr char BesideVariable[] = "BRIVEL_BESIDE";

// Starts a command line without a shell and without waiting; returns the
// task identifier (the process id), 0 when nothing could be started.
//
// When the whole command line names an executable file, that file runs with
// no arguments. Otherwise the text up to the first blank is the program and
// the rest, exactly as it stands, is its one argument. A program named
// without a folder is looked for in programFolder first, then on PATH.
qint64 startCommandLine(const QString &commandLine, int showWindow, const QString &programFolder,
                        const QRect &beside = {});

} // namespace brivel

// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>

namespace brivel {

// Starts a command line without a shell and without waiting; returns the
// task identifier (the process id), 0 when nothing could be started.
//
// When the whole command line names an executable file, that file runs with
// no arguments. Otherwise the text up to the first blank is the program and
// the rest, exactly as it stands, is its one argument. A program named
// without a folder is looked for in programFolder first, then in the
// absolute folders of PATH; one named with a folder must be an absolute
// path. Nothing is ever taken relative to the working directory. A frame
// that is not null is handed to the program to open beside.
qint64 startCommandLine(const QString &commandLine, int showWindow, const QString &programFolder,
                        const QRect &beside);

} // namespace brivel

// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace brivel {

// Files Brivel reads (the machine hive, the help file, wave files, the
// settings store) are opened so that the open never waits: a FIFO, a device
// or a socket in their place is refused instead of hanging the reader, and
// so is a file too large to be what it claims.
enum class FileFault { None, Missing, NotRegular, Unreadable, TooLarge };

// A few words for a log line: "not a regular file".
const char *describe(FileFault fault);

// A descriptor for reading a regular file of at most maxBytes, or -1 with
// the fault. The caller closes it.
int openRegularFile(const QString &path, qint64 maxBytes, FileFault *fault);

// The whole of such a file; empty, with the fault, when it cannot be read
// (also when it outgrew maxBytes after the open).
QByteArray readRegularFile(const QString &path, qint64 maxBytes, FileFault *fault);

// The same test on the file as it stands, without opening it.
FileFault checkRegularFile(const QString &path, qint64 maxBytes);

} // namespace brivel

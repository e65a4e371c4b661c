// SPDX-License-Identifier: MIT
#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivel {

namespace {

FileFault faultOf(int error)
{
    return error == ENOENT || error == ENOTDIR ? FileFault::Missing : FileFault::Unreadable;
}

FileFault faultOf(const struct stat &info, qint64 maxBytes)
{
    if (!S_ISREG(info.st_mode))
        return FileFault::NotRegular;
    return info.st_size > maxBytes ? FileFault::TooLarge : FileFault::None;
}

} // namespace

const char *describe(FileFault fault)
{
    switch (fault) {
    case FileFault::None:
        break;
    case FileFault::Missing:
        return "missing";
    case FileFault::NotRegular:
        return "not a regular file";
    case FileFault::Unreadable:
        return "unreadable";
    case FileFault::TooLarge:
        return "too large";
    }
    return "readable";
}

int openRegularFile(const QString &path, qint64 maxBytes, FileFault *fault)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer, for ever.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *fault = faultOf(errno);
        return -1;
    }
    struct stat info {};
    *fault = fstat(fd, &info) == 0 ? faultOf(info, maxBytes) : FileFault::Unreadable;
    if (*fault == FileFault::None)
        return fd;
    ::close(fd);
    return -1;
}

QByteArray readRegularFile(const QString &path, qint64 maxBytes, FileFault *fault)
{
    const int fd = openRegularFile(path, maxBytes, fault);
    if (fd < 0)
        return {};
    QByteArray bytes;
    char buffer[16384];
    while (*fault == FileFault::None) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR)
            *fault = FileFault::Unreadable;
        else if (got > 0 && bytes.size() + got > maxBytes)
            *fault = FileFault::TooLarge;
        else if (got > 0)
            bytes.append(buffer, got);
    }
    ::close(fd);
    return *fault == FileFault::None ? bytes : QByteArray();
}

FileFault checkRegularFile(const QString &path, qint64 maxBytes)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return faultOf(errno);
    return faultOf(info, maxBytes);
}

} // namespace brivel

// SPDX-License-Identifier: MIT
#include "SettingsStore.h"

#include "Logging.h"
#include "RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>

namespace brivel {

namespace {

// Brivel's file holds five short values; anything far bigger is not ours.
constexpr qint64 MaxFileBytes = 1024 * 1024;
// A save runs on the window's thread, which the alarm rides on.
constexpr int LockWaitMs = 200;

// "Settings\WaveFile" + "Current" -> "Settings/WaveFile/Current".
QString settingsKey(const QString &section, const QString &key)
{
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + key;
}

// Where QSettings keeps the application's own INI file for the user.
QString storePath(const QString &application)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QLatin1Char('/') + application + QLatin1Char('/') + application
           + QStringLiteral(".ini");
}

// QSettings opens the file with a plain open: only a regular file of
// bounded size is given to it.
bool readable(const QString &path)
{
    const FileFault fault = checkRegularFile(path, MaxFileBytes);
    if (fault != FileFault::None && fault != FileFault::Missing)
        qCDebug(lcSettings) << "The store" << path << "is not read -" << describe(fault);
    return fault == FileFault::None;
}

} // namespace

QString readSetting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultValue)
{
    const QString path = storePath(application);
    if (!readable(path))
        return defaultValue;
    // A file QSettings found lines in that make no sense still gives the
    // values it could read.
    const QSettings store(path, QSettings::IniFormat);
    const QVariant value = store.value(settingsKey(section, key));
    if (store.status() == QSettings::AccessError || !value.isValid())
        return defaultValue;
    // An unquoted comma in a hand-edited line splits the value into a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    if (!value.canConvert<QString>())
        return defaultValue;
    return value.toString();
}

bool writeSetting(const QString &application, const QString &section, const QString &key,
                  const QString &value)
{
    const QString path = storePath(application);
    const auto refused = [&path](const char *why) {
        qCDebug(lcSettings) << "A setting is not written to" << path << "-" << why;
        return false;
    };
    if (!QDir().mkpath(QFileInfo(path).path()))
        return refused("its folder cannot be made");
    // The name QSettings locks the store with, so that older Brivels wait
    // for this save and this one for theirs, a moment at most. A lock that
    // is not a file at all would make QLockFile wait for ever.
    const QString lockPath = path + QStringLiteral(".lock");
    const FileFault lockFault = checkRegularFile(lockPath, MaxFileBytes);
    if (lockFault != FileFault::None && lockFault != FileFault::Missing)
        return refused("its lock is not a regular file");
    QLockFile lock(lockPath);
    if (!lock.tryLock(LockWaitMs))
        return refused(lock.error() == QLockFile::LockFailedError ? "its lock is held"
                                                                  : "its folder is not writable");

    // Read, changed and written under the one lock: no other save comes
    // between. QSettings works on a private copy (a name it has never seen,
    // so nothing it remembers of the store stands in for the file), and
    // writes it whole, with every value it could read and nothing else.
    FileFault fault = FileFault::None;
    const QByteArray old = readRegularFile(path, MaxFileBytes, &fault);
    if (fault == FileFault::Unreadable)
        return refused("it cannot be read");
    if (fault == FileFault::NotRegular || fault == FileFault::TooLarge) {
        if (std::rename(QFile::encodeName(path).constData(),
                        QFile::encodeName(path + QStringLiteral(".bad")).constData())
            != 0)
            return refused("it cannot be set aside");
        qCDebug(lcSettings) << "The store" << path << "is set aside as .bad -" << describe(fault);
    }
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open() || temp.write(old) != old.size() || !temp.flush())
        return refused("its folder is not writable");
    {
        QSettings next(temp.fileName(), QSettings::IniFormat);
        if (next.status() == QSettings::FormatError)
            qCDebug(lcSettings) << "The store" << path
                                << "is repaired: what made no sense is left out";
        next.setValue(settingsKey(section, key), value);
        next.sync();
        if (next.status() == QSettings::AccessError)
            return refused("the new file cannot be written");
    }
    FileFault tempFault = FileFault::None;
    const QByteArray bytes = readRegularFile(temp.fileName(), MaxFileBytes, &tempFault);
    QSaveFile store(path);
    if (tempFault != FileFault::None || !store.open(QIODevice::WriteOnly)
        || store.write(bytes) != bytes.size() || !store.commit())
        return refused("the new file cannot be put in place");
    return true;
}

} // namespace brivel

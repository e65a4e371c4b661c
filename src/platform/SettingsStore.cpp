// SPDX-License-Identifier: MIT
#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringList>

namespace brivel {

namespace {

// Brivel's file holds five short values; anything far bigger is not ours.
constexpr qint64 MaxFileBytes = 1024 * 1024;
constexpr int LockTimeoutMs = 2000;

class Store {
public:
    explicit Store(const QString &application)
        : m_settings(QSettings::IniFormat, QSettings::UserScope, application, application)
    {
        // Written to a temporary file and renamed over the old one, or not at all.
        m_settings.setAtomicSyncRequired(true);
    }
    QSettings &settings() { return m_settings; }
    bool oversized() const
    {
        const QFileInfo info(m_settings.fileName());
        return info.isFile() && info.size() > MaxFileBytes;
    }

private:
    QSettings m_settings;
};

} // namespace

QString settingsKey(const QString &section, const QString &key)
{
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + key;
}

QString readSetting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultValue)
{
    Store store(application);
    if (store.oversized())
        return defaultValue;
    const QVariant value = store.settings().value(settingsKey(section, key));
    if (store.settings().status() != QSettings::NoError || !value.isValid())
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
    Store store(application);
    QSettings &settings = store.settings();
    if (store.oversized())
        return false;
    // A file that exists but cannot be read would be replaced by this one
    // value alone.
    (void)settings.contains(settingsKey(section, key));
    if (settings.status() == QSettings::AccessError)
        return false;
    // The very first value: the lock below needs the store's folder.
    QDir().mkpath(QFileInfo(settings.fileName()).absolutePath());
    // QSettings waits for its lock file without end; a lock that stays taken
    // (or is not a file at all) must not hang the program.
    {
        QLockFile probe(settings.fileName() + QStringLiteral(".lock"));
        if (!probe.tryLock(LockTimeoutMs))
            return false;
    }
    settings.setValue(settingsKey(section, key), value);
    settings.sync();
    return settings.status() != QSettings::AccessError;
}

} // namespace brivel

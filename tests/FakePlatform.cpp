// SPDX-License-Identifier: MIT
#include "FakePlatform.h"

#include <stdexcept>

namespace brivel::test {

FakePlatform::FakePlatform() = default;
FakePlatform::~FakePlatform() = default;

QString FakePlatform::storeKey(const QString &application, const QString &section,
                               const QString &key)
{
    return application + QLatin1Char('|') + section + QLatin1Char('|') + key;
}

QString FakePlatform::stored(const QString &key) const
{
    return settings.value(storeKey(QStringLiteral("Brivel"), QStringLiteral("Settings\\WaveFile"), key));
}

QString FakePlatform::GetSetting(const QString &application, const QString &section,
                                 const QString &key, const QString &defaultValue)
{
    return settings.value(storeKey(application, section, key), defaultValue);
}

void FakePlatform::SaveSetting(const QString &application, const QString &section,
                               const QString &key, const QString &value)
{
    ++saves;
    settings.insert(storeKey(application, section, key), value);
}

void FakePlatform::playWave(const QString &path, bool wait)
{
    if (playThrows)
        throw std::runtime_error("no sound service");
    plays.append({path, wait, now});
}

bool FakePlatform::setTopMost(QWindow *window, bool topMost)
{
    stackings.append({window, topMost});
    return topMostResult;
}

qint64 FakePlatform::startProgram(const QString &commandLine, int showWindow)
{
    starts.append({commandLine, showWindow});
    return startResult;
}

void FakePlatform::messageBox(const QString &text)
{
    messages.append(text);
    if (onMessageBox)
        onMessageBox(text);
}

MachineHive &FakePlatform::machineHive()
{
    if (!m_hive || m_hive->path() != hivePath)
        m_hive = std::make_unique<MachineHive>(hivePath);
    return *m_hive;
}

} // namespace brivel::test

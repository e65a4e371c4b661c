// SPDX-License-Identifier: MIT
#include "MachineHive.h"

#include "RegularFile.h"

#include <QStringDecoder>
#include <QStringList>

#include <cstring>
#include <utility>

namespace brivel {

namespace {

// Far above any real machine's export of the keys Brivel reads.
constexpr qint64 kMaxHiveFileBytes = 16 * 1024 * 1024;
constexpr HKEY kFirstPredefinedKey = 0x80000000u;

std::optional<QString> decodeHiveText(const QByteArray &text)
{
    // Version 5 exports are UTF-16 with a byte order mark; REGEDIT4 and
    // hand-written files are 8-bit, read here as UTF-8.
    QStringDecoder::Encoding encoding = QStringDecoder::Utf8;
    qsizetype skip = 0;
    if (text.startsWith("\xFF\xFE")) {
        encoding = QStringDecoder::Utf16LE;
        skip = 2;
    } else if (text.startsWith("\xEF\xBB\xBF")) {
        skip = 3;
    }
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString decoded = decoder(QByteArrayView(text).sliced(skip));
    if (decoder.hasError())
        return std::nullopt;
    return decoded;
}

// A quoted name or text starting at s[pos] == '"', with the two escapes the
// export format has. Returns the position after the closing quote.
std::optional<qsizetype> readQuoted(QStringView s, qsizetype pos, QString &out)
{
    for (++pos; pos < s.size(); ++pos) {
        const QChar c = s[pos];
        if (c == QLatin1Char('"'))
            return pos + 1;
        if (c == QLatin1Char('\\')) {
            if (pos + 1 >= s.size())
                return std::nullopt;
            const QChar escaped = s[pos + 1];
            if (escaped != QLatin1Char('\\') && escaped != QLatin1Char('"'))
                return std::nullopt;
            out += escaped;
            ++pos;
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

std::optional<quint32> readHexNumber(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 n = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        quint32 d = 0;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return std::nullopt;
        n = n * 16 + d;
    }
    return n;
}

// "01,ab,ff" (possibly empty) into bytes.
std::optional<QByteArray> readHexBytes(QStringView list)
{
    QByteArray bytes;
    list = list.trimmed();
    if (list.isEmpty())
        return bytes;
    for (QStringView item : list.split(QLatin1Char(','))) {
        item = item.trimmed();
        if (item.size() > 2)
            return std::nullopt;
        const std::optional<quint32> b = readHexNumber(item);
        if (!b)
            return std::nullopt;
        bytes.append(char(*b));
    }
    return bytes;
}

// Splits a key or sub-key path; nothing when a component is empty.
std::optional<QStringList> splitPath(const QString &path)
{
    if (path.isEmpty())
        return QStringList();
    QStringList parts = path.split(QLatin1Char('\\'));
    for (QString &part : parts) {
        if (part.isEmpty())
            return std::nullopt;
        part = MachineHive::fold(part);
    }
    return parts;
}

// A registry call takes its names as C strings: they end at the first NUL.
QString nameOf(const QByteArray &name)
{
    const qsizetype nul = name.indexOf('\0');
    return QString::fromLocal8Bit(nul < 0 ? name : name.left(nul));
}

class HiveParser {
public:
    explicit HiveParser(const QString &text) : m_lines(text.split(QLatin1Char('\n'))) {}

    std::optional<MachineHive::Keys> run()
    {
        for (QString &line : m_lines) {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
        }
        const QString header = m_lines.value(0).trimmed();
        if (header != QLatin1String("Windows Registry Editor Version 5.00")
            && header != QLatin1String("REGEDIT4"))
            return std::nullopt;
        m_keys.insert(QString(), {});
        for (m_line = 1; m_line < m_lines.size(); ++m_line) {
            const QString line = m_lines.at(m_line).trimmed();
            bool ok = true;
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            if (line.startsWith(QLatin1Char('[')))
                ok = keyLine(line);
            else if (line.startsWith(QLatin1Char('"')) || line.startsWith(QLatin1Char('@')))
                ok = valueLine(line);
            else
                ok = false;
            if (!ok)
                return std::nullopt;
        }
        return std::move(m_keys);
    }

private:
    bool keyLine(const QString &line)
    {
        if (!line.endsWith(QLatin1Char(']')) || line.size() < 2)
            return false;
        const QString full = line.mid(1, line.size() - 2);
        const qsizetype slash = full.indexOf(QLatin1Char('\\'));
        const QString root = slash < 0 ? full : full.left(slash);
        if (root.compare(QLatin1String("HKEY_LOCAL_MACHINE"), Qt::CaseInsensitive) != 0)
            return false;
        const std::optional<QStringList> parts =
            splitPath(slash < 0 ? QString() : full.mid(slash + 1));
        if (!parts || (slash >= 0 && parts->isEmpty()))
            return false;
        // A key implies its parents, as in the registry.
        QString path;
        for (const QString &part : *parts) {
            path = path.isEmpty() ? part : path + QLatin1Char('\\') + part;
            if (!m_keys.contains(path))
                m_keys.insert(path, {});
        }
        m_current = path;
        m_inKey = true;
        return true;
    }

    bool valueLine(const QString &line)
    {
        if (!m_inKey)
            return false;
        QString name;
        qsizetype pos = 1;
        if (line.startsWith(QLatin1Char('"'))) {
            const std::optional<qsizetype> end = readQuoted(line, 0, name);
            if (!end)
                return false;
            pos = *end;
        }
        const QStringView rest = QStringView(line).sliced(pos).trimmed();
        if (!rest.startsWith(QLatin1Char('=')))
            return false;
        const std::optional<MachineHive::Value> value = readData(rest.sliced(1).trimmed());
        if (!value)
            return false;
        m_keys[m_current].values.insert(MachineHive::fold(name), *value);
        return true;
    }

    std::optional<MachineHive::Value> readData(QStringView data)
    {
        if (data.startsWith(QLatin1Char('"'))) {
            QString text;
            const std::optional<qsizetype> end = readQuoted(data, 0, text);
            if (!end || !data.sliced(*end).trimmed().isEmpty())
                return std::nullopt;
            return MachineHive::Value{REG_SZ, text.toLocal8Bit() + '\0'};
        }
        if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const std::optional<quint32> n = readHexNumber(data.sliced(6).trimmed());
            if (!n)
                return std::nullopt;
            QByteArray bytes(4, '\0');
            for (int i = 0; i < 4; ++i)
                bytes[i] = char((*n >> (8 * i)) & 0xFF);
            return MachineHive::Value{REG_DWORD, bytes};
        }
        if (!data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
            return std::nullopt;
        data = data.sliced(3);
        quint32 type = REG_BINARY;
        if (data.startsWith(QLatin1Char('('))) {
            const qsizetype close = data.indexOf(QLatin1Char(')'));
            if (close < 0)
                return std::nullopt;
            const std::optional<quint32> n = readHexNumber(data.sliced(1, close - 1));
            if (!n)
                return std::nullopt;
            type = *n;
            data = data.sliced(close + 1);
        }
        if (!data.startsWith(QLatin1Char(':')))
            return std::nullopt;
        // Long byte lists go on over lines that end in a backslash.
        QString list = data.sliced(1).trimmed().toString();
        while (list.endsWith(QLatin1Char('\\'))) {
            list.chop(1);
            if (++m_line >= m_lines.size())
                return std::nullopt;
            list += m_lines.at(m_line).trimmed();
        }
        const std::optional<QByteArray> bytes = readHexBytes(list);
        if (!bytes)
            return std::nullopt;
        return MachineHive::Value{type, *bytes};
    }

    QStringList m_lines;
    qsizetype m_line = 0;
    MachineHive::Keys m_keys;
    QString m_current;
    bool m_inKey = false;
};

} // namespace

QString MachineHive::fold(const QString &name)
{
    return name.toCaseFolded();
}

std::optional<MachineHive::Keys> MachineHive::parse(const QByteArray &text)
{
    const std::optional<QString> decoded = decodeHiveText(text);
    if (!decoded)
        return std::nullopt;
    return HiveParser(*decoded).run();
}

MachineHive::MachineHive(QString path) : m_path(std::move(path)) {}
MachineHive::~MachineHive() = default;

std::optional<MachineHive::Keys> MachineHive::load() const
{
    // Read on the window's thread at every key open: a FIFO in its place
    // must not hold the window (nor the alarm).
    FileFault fault = FileFault::None;
    const QByteArray text = readRegularFile(m_path, kMaxHiveFileBytes, &fault);
    if (fault != FileFault::None)
        return std::nullopt;
    return parse(text);
}

HKEY MachineHive::nextHandle()
{
    do {
        ++m_lastHandle;
        if (m_lastHandle == 0 || m_lastHandle >= kFirstPredefinedKey)
            m_lastHandle = 1;
    } while (m_open.count(m_lastHandle));
    return m_lastHandle;
}

long MachineHive::RegOpenKeyExA(HKEY hKey, const QByteArray &lpSubKey, quint32, quint32,
                                HKEY *phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;

    QString base;
    if (const auto it = m_open.find(hKey); it != m_open.end())
        base = it->second.path;
    else if (hKey >= kFirstPredefinedKey && hKey != HKEY_LOCAL_MACHINE)
        return ERROR_FILE_NOT_FOUND; // other roots hold nothing here
    else if (hKey != HKEY_LOCAL_MACHINE)
        return ERROR_INVALID_HANDLE;

    const std::optional<QStringList> parts = splitPath(nameOf(lpSubKey));
    if (!parts)
        return ERROR_FILE_NOT_FOUND;
    QString path = base;
    for (const QString &part : *parts)
        path = path.isEmpty() ? part : path + QLatin1Char('\\') + part;

    const std::optional<Keys> keys = load();
    if (!keys)
        return ERROR_FILE_NOT_FOUND;
    const auto found = keys->constFind(path);
    if (found == keys->constEnd())
        return ERROR_FILE_NOT_FOUND;
    const HKEY handle = nextHandle();
    m_open.emplace(handle, OpenKey{path, found.value()});
    *phkResult = handle;
    return ERROR_SUCCESS;
}

long MachineHive::RegQueryValueExA(HKEY hKey, const QByteArray &lpValueName, quint32 *lpReserved,
                                   quint32 *lpType, unsigned char *lpData, quint32 *lpcbData)
{
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;

    Key rootKey;
    const Key *key = nullptr;
    if (const auto it = m_open.find(hKey); it != m_open.end()) {
        key = &it->second.key;
    } else if (hKey == HKEY_LOCAL_MACHINE) {
        const std::optional<Keys> keys = load();
        if (!keys)
            return ERROR_FILE_NOT_FOUND;
        rootKey = keys->value(QString());
        key = &rootKey;
    } else {
        return ERROR_INVALID_HANDLE;
    }

    const auto found = key->values.constFind(fold(nameOf(lpValueName)));
    if (found == key->values.constEnd())
        return ERROR_FILE_NOT_FOUND;
    const Value &value = found.value();
    const auto size = quint32(value.data.size());
    if (lpType)
        *lpType = value.type;
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData && size > 0)
        std::memcpy(lpData, value.data.constData(), size);
    if (lpcbData)
        *lpcbData = size;
    return ERROR_SUCCESS;
}

long MachineHive::RegCloseKey(HKEY hKey)
{
    if (m_open.erase(hKey) > 0 || hKey >= kFirstPredefinedKey)
        return ERROR_SUCCESS;
    return ERROR_INVALID_HANDLE;
}

} // namespace brivel

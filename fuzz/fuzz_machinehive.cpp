// SPDX-License-Identifier: MIT
// The machine-hive reader on any text: it never crashes, what it reads is a
// well-formed tree, written out again it reads back the same, and the
// registry calls over the file answer exactly what the text holds.
#include "platform/MachineHive.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using brivel::MachineHive;

namespace {

[[noreturn]] void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "machine hive: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

QString quoted(const QString &name)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : name) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

// The keys in the export format, every value as hex(type) bytes.
QString exportText(const MachineHive::Keys &keys)
{
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\n");
    for (auto key = keys.constBegin(); key != keys.constEnd(); ++key) {
        text += QStringLiteral("\n[HKEY_LOCAL_MACHINE");
        if (!key.key().isEmpty())
            text += QLatin1Char('\\') + key.key();
        text += QStringLiteral("]\n");
        const auto &values = key.value().values;
        for (auto v = values.constBegin(); v != values.constEnd(); ++v) {
            text += v.key().isEmpty() ? QStringLiteral("@") : quoted(v.key());
            text += QStringLiteral("=hex(%1):").arg(v.value().type, 0, 16);
            QStringList bytes;
            for (const char b : v.value().data)
                bytes += QStringLiteral("%1").arg(quint8(b), 2, 16, QLatin1Char('0'));
            text += bytes.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
    }
    return text;
}

// As a file: UTF-16 carries any name exactly, unpaired surrogates included.
QByteArray serialise(const MachineHive::Keys &keys)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : exportText(keys))
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

bool sameKeys(const MachineHive::Keys &a, const MachineHive::Keys &b)
{
    if (a.size() != b.size())
        return false;
    for (auto key = a.constBegin(); key != a.constEnd(); ++key) {
        const auto other = b.constFind(key.key());
        if (other == b.constEnd() || other->values.size() != key->values.size())
            return false;
        for (auto v = key->values.constBegin(); v != key->values.constEnd(); ++v) {
            const auto w = other->values.constFind(v.key());
            if (w == other->values.constEnd() || w->type != v->type || w->data != v->data)
                return false;
        }
    }
    return true;
}

// A name the registry calls can carry: no NUL, and unchanged by the 8-bit
// encoding they take.
bool callable(const QString &name)
{
    return !name.contains(QChar(0)) && QString::fromLocal8Bit(name.toLocal8Bit()) == name;
}

void checkTree(const MachineHive::Keys &keys)
{
    if (!keys.contains(QString()))
        fail("no root key");
    for (auto key = keys.constBegin(); key != keys.constEnd(); ++key) {
        if (key.key().isEmpty())
            continue;
        const QStringList parts = key.key().split(QLatin1Char('\\'));
        QString path;
        for (const QString &part : parts) {
            if (part.isEmpty())
                fail("empty key name in", key.key());
            path = path.isEmpty() ? part : path + QLatin1Char('\\') + part;
            if (!keys.contains(path))
                fail("key without its parent", key.key());
        }
    }
}

// Opens one key through the calls over the file (every open reads the whole
// file again) and reads each of its values as the calls promise.
void checkCalls(MachineHive &hive, const QString &key, const MachineHive::Key &content)
{
    using namespace brivel;
    HKEY h = 0;
    if (hive.RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.toLocal8Bit(), 0, 0x2003F, &h) != ERROR_SUCCESS
        || h == 0)
        fail("key not opened", key);
    for (auto v = content.values.constBegin(); v != content.values.constEnd(); ++v) {
        if (!callable(v.key()))
            continue;
        const QByteArray name = v.key().toLocal8Bit();
        const auto size = quint32(v->data.size());
        quint32 type = 0xFFFF, needed = 0;
        if (hive.RegQueryValueExA(h, name, nullptr, &type, nullptr, &needed) != ERROR_SUCCESS
            || type != v->type || needed != size)
            fail("size query", v.key());
        std::vector<unsigned char> buffer(size + 1, 0xEE);
        quint32 got = size;
        if (hive.RegQueryValueExA(h, name, nullptr, &type, buffer.data(), &got) != ERROR_SUCCESS
            || got != size || QByteArray(reinterpret_cast<char *>(buffer.data()), size) != v->data
            || buffer[size] != 0xEE)
            fail("value read", v.key());
        if (size > 0) {
            got = size - 1;
            if (hive.RegQueryValueExA(h, name, nullptr, &type, buffer.data(), &got)
                    != ERROR_MORE_DATA
                || got != size)
                fail("short buffer", v.key());
        }
    }
    const QByteArray missing = "brivel missing value";
    quint32 got = 0;
    if (!content.values.contains(MachineHive::fold(QString::fromLatin1(missing)))
        && hive.RegQueryValueExA(h, missing, nullptr, nullptr, nullptr, &got)
               != ERROR_FILE_NOT_FOUND)
        fail("missing value found", key);
    if (hive.RegCloseKey(h) != ERROR_SUCCESS || hive.openKeyCount() != 0)
        fail("key left open", key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // In memory where the system has it: the file is written for every input.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/brivel-fuzz-XXXXXX")
                                    : QString());
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<MachineHive::Keys> keys = MachineHive::parse(text);

    if (keys) {
        checkTree(*keys);
        const std::optional<MachineHive::Keys> again = MachineHive::parse(serialise(*keys));
        if (!again || !sameKeys(*keys, *again))
            fail("written out, the keys read back differently:", exportText(*keys));
    }

    // The same text as the hive file that the registry calls read. Of the
    // keys, the last by name (usually the deepest) is opened: it does not
    // depend on the hash order of one run.
    const QString path = folder.filePath(QStringLiteral("machine.reg"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(text) != text.size())
            fail("cannot write the hive file");
    }
    MachineHive hive(path);
    if (!keys) {
        brivel::HKEY h = 0;
        if (hive.RegOpenKeyExA(brivel::HKEY_LOCAL_MACHINE, QByteArray(), 0, 0x2003F, &h)
                != brivel::ERROR_FILE_NOT_FOUND
            || h != 0)
            fail("a malformed hive opened a key");
        return 0;
    }
    QString last;
    for (auto key = keys->constBegin(); key != keys->constEnd(); ++key) {
        if (callable(key.key()) && key.key() > last)
            last = key.key();
    }
    checkCalls(hive, last, keys->value(last));
    return 0;
}

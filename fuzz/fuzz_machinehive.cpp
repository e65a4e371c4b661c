// SPDX-License-Identifier: MIT
// The machine-hive reader on any text: it never crashes, what it reads is a
// tree of keys, and the registry calls over the same file answer exactly
// what the text holds.
#include "FuzzCheck.h"
#include "platform/MachineHive.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

using namespace brivel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto keys = MachineHive::parse(text);
    QFile file(folder.filePath("machine.reg"));
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered), "open");
    check(file.write(text) == text.size(), "write");
    MachineHive hive(file.fileName());
    HKEY h = 0;
    if (!keys) {
        check(hive.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, 0x2003F, &h) == ERROR_FILE_NOT_FOUND,
              "a malformed hive opened a key");
        return 0;
    }
    check(keys->contains(QString()), "no root key");
    for (auto key = keys->constBegin(); key != keys->constEnd(); ++key) {
        const qsizetype cut = key.key().lastIndexOf('\\');
        check(!key.key().endsWith('\\'), "key name ending in a separator", key.key());
        check(key.key().isEmpty() || keys->contains(key.key().left(qMax(cut, 0))),
              "key without its parent", key.key());
        // Only names the 8-bit calls can carry are opened.
        const QByteArray name = key.key().toLocal8Bit();
        if (name.contains('\0') || QString::fromLocal8Bit(name) != key.key())
            continue;
        check(hive.RegOpenKeyExA(HKEY_LOCAL_MACHINE, name, 0, 0x2003F, &h) == ERROR_SUCCESS, "open",
              key.key());
        for (auto v = key->values.constBegin(); v != key->values.constEnd(); ++v) {
            const QByteArray value = v.key().toLocal8Bit();
            if (value.contains('\0') || QString::fromLocal8Bit(value) != v.key())
                continue;
            const auto bytes = quint32(v->data.size());
            std::vector<unsigned char> buffer(bytes + 1, 0xEE);
            quint32 type = 0xFFFF, got = bytes;
            const long read = hive.RegQueryValueExA(h, value, nullptr, &type, buffer.data(), &got);
            check(read == ERROR_SUCCESS, "value not read", v.key());
            check(type == v->type, "value type", v.key());
            check(got == bytes, "value size", v.key());
            check(buffer[bytes] == 0xEE, "value written past its size", v.key());
            check(QByteArray(reinterpret_cast<char *>(buffer.data()), bytes) == v->data,
                  "value data", v.key());
        }
        check(hive.RegCloseKey(h) == ERROR_SUCCESS, "close", key.key());
        check(hive.openKeyCount() == 0, "key left open", key.key());
    }
    return 0;
}

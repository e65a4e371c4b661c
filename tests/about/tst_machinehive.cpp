// SPDX-License-Identifier: MIT
// The machine hive: the registry export format and the three registry calls.
#include "platform/MachineHive.h"

#include <QtTest>

#include <array>

using namespace brivel;

namespace {
const QByteArray kV5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brivel]\r\n";
} // namespace

class TestMachineHive : public QObject {
    Q_OBJECT
private slots:
    void parsesValues_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("bytes over continued lines")
            << kV5 + kKey + "\"B\"=hex:01,02,\\\r\n  03,ff\r\n"
            << "b" << REG_BINARY << QByteArray("\x01\x02\x03\xff");
        QTest::newRow("any type") << kV5 + kKey + "\"Q\"=hex(b):01,00\r\n"
                                  << "q" << quint32(11) << QByteArray("\x01\0", 2);
        QTest::newRow("names in any case")
            << kV5 + "[hkey_local_machine\\Software\\BRIVEL]\r\n\"MiXed\"=\"v\"\r\n"
            << "MIXED" << REG_SZ << QByteArray("v\0", 2);
        QTest::newRow("last definition wins")
            << kV5 + kKey + "\"A\"=\"1\"\r\n" + kKey + "\"a\"=\"2\"\r\n"
            << "a" << REG_SZ << QByteArray("2\0", 2);
        QByteArray utf16("\xFF\xFE");
        for (const QChar c : QString::fromUtf8(kV5 + kKey + "\"U\"=\"\xC3\xA9\"\r\n"))
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        QTest::newRow("UTF-16 export") << utf16 << "u" << REG_SZ << QByteArray("\xC3\xA9\0", 3);
    }

    void parsesValues()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, name);
        const std::optional<MachineHive::Keys> keys = MachineHive::parse(text);
        QVERIFY(keys);
        QVERIFY(keys->contains(QStringLiteral("software"))); // parents exist too
        const MachineHive::Value v =
            keys->value(QStringLiteral("software\\brivel")).values.value(MachineHive::fold(name));
        QTEST(v.type, "type");
        QTEST(v.data, "data");
    }

    void refusesMalformed_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no header") << kKey + "\"A\"=\"1\"\n";
        QTest::newRow("value before any key") << kV5 + "\"A\"=\"1\"\n";
        QTest::newRow("other root") << kV5 + "[HKEY_CURRENT_USER\\Software]\n";
        QTest::newRow("empty key part") << kV5 + "[HKEY_LOCAL_MACHINE\\A\\\\B]\n";
        QTest::newRow("key deletion") << kV5 + "[-HKEY_LOCAL_MACHINE\\A]\n";
        QTest::newRow("unterminated text") << kV5 + kKey + "\"A\"=\"abc\n";
        QTest::newRow("unknown escape") << kV5 + kKey + "\"A\"=\"a\\nb\"\n";
        QTest::newRow("text then junk") << kV5 + kKey + "\"A\"=\"a\" b\n";
        QTest::newRow("dword too long") << kV5 + kKey + "\"A\"=dword:000000001\n";
        QTest::newRow("byte of three digits") << kV5 + kKey + "\"A\"=hex:123\n";
        QTest::newRow("bad type") << kV5 + kKey + "\"A\"=hex(x):01\n";
        QTest::newRow("continuation at the end") << kV5 + kKey + "\"A\"=hex:01,\\\n";
        QTest::newRow("not UTF-8") << kV5 + kKey + "\"A\"=\"\xFF\"\n";
    }

    void refusesMalformed()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!MachineHive::parse(text));
    }

    void answersLikeTheRegistry()
    {
        MachineHive hive(QStringLiteral(BRIVEL_TEST_DATA "/values.reg"));
        HKEY parent = 0, key = 0, none = 99;
        QCOMPARE(hive.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\brivel", 0, 0x2003F, &parent),
                 ERROR_SUCCESS);
        QCOMPARE(hive.RegOpenKeyExA(parent, "VALUES", 0, 0x2003F, &key), ERROR_SUCCESS);
        QCOMPARE(hive.RegOpenKeyExA(parent, "Nothing", 0, 0x2003F, &none), ERROR_FILE_NOT_FOUND);
        QCOMPARE(none, HKEY(0));
        QCOMPARE(hive.RegOpenKeyExA(0x80000001u, "", 0, 0x2003F, &none), ERROR_FILE_NOT_FOUND);
        QCOMPARE(hive.RegOpenKeyExA(12345, "", 0, 0x2003F, &none), ERROR_INVALID_HANDLE);

        // "C:\Tools "quoted"" is 17 characters; the size counts its NUL.
        quint32 type = 0, size = 0;
        QCOMPARE(hive.RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(type, REG_SZ);
        QCOMPARE(size, quint32(18));
        std::array<unsigned char, 17> small{};
        size = small.size();
        QCOMPARE(hive.RegQueryValueExA(key, "Text", nullptr, &type, small.data(), &size),
                 ERROR_MORE_DATA);
        QCOMPARE(size, quint32(18));
        QCOMPARE(small[0], 0); // nothing copied
        // A name ends at its first NUL, as a C string does.
        QCOMPARE(
            hive.RegQueryValueExA(key, QByteArray("Text\0x", 6), nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
        QCOMPARE(hive.RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size),
                 ERROR_FILE_NOT_FOUND);

        QCOMPARE(hive.openKeyCount(), 2);
        QCOMPARE(hive.RegCloseKey(key), ERROR_SUCCESS);
        QCOMPARE(hive.RegCloseKey(key), ERROR_INVALID_HANDLE);
        QCOMPARE(hive.RegCloseKey(parent), ERROR_SUCCESS);
        QCOMPARE(hive.openKeyCount(), 0);
    }

    void unreadableHiveIsEmpty_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("no path") << QString();
        QTest::newRow("missing file") << QStringLiteral(BRIVEL_TEST_DATA "/absent.reg");
        QTest::newRow("a folder") << QStringLiteral(BRIVEL_TEST_DATA);
        QTest::newRow("malformed") << QStringLiteral(BRIVEL_TEST_DATA "/malformed.reg");
    }

    void unreadableHiveIsEmpty()
    {
        QFETCH(QString, path);
        MachineHive hive(path);
        HKEY h = 0;
        QCOMPARE(hive.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, 0x2003F, &h), ERROR_FILE_NOT_FOUND);
        QCOMPARE(hive.openKeyCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMachineHive)
#include "tst_machinehive.moc"

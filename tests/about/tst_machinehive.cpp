// SPDX-License-Identifier: MIT
// The machine hive: the registry export format and the three registry calls.
#include "platform/MachineHive.h"

#include <QtTest>

using namespace brivel;

namespace {
const QByteArray kV5 = "Windows Registry Editor Version 5.00\r\n\r\n";
const QByteArray kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brivel]\r\n";
} // namespace

class TestMachineHive : public QObject {
    Q_OBJECT
private slots:
    void parses_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("data"); // empty: the file is refused
        QByteArray utf16("\xFF\xFE");
        for (const QChar c : QString::fromUtf8(kV5 + kKey + "\"U\"=\"\xC3\xA9\"\r\n"))
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        QTest::newRow("UTF-16 export") << utf16 << "u" << QByteArray("\xC3\xA9\0", 3);
        QTest::newRow("continued lines") << kV5 + kKey + "\"B\"=hex:01,02,\\\r\n  03,ff\r\n"
                                         << "b" << QByteArray("\x01\x02\x03\xff");
        QTest::newRow("any case, last wins")
            << kV5 + kKey
                   + "\"A\"=\"1\"\r\n[hkey_local_machine\\Software\\BRIVEL]\r\n\"a\"=\"2\"\r\n"
            << "A" << QByteArray("2\0", 2);
        // Refused: two without the header, four key lines, then values under a key.
        const QList<QByteArray> bad =
            QByteArray(
                "#[HKEY_LOCAL_MACHINE\\A]#\"A\"=\"1\"#[HKEY_CURRENT_USER\\A]#[HKEY_LOCAL_"
                "MACHINE\\A\\\\B]#[-HKEY_LOCAL_MACHINE\\A]#\"A\"=\"abc#\"A\"=\"a\\nb\"#\"A\"=\"a\" "
                "b#\"A\"=dword:000000001#\"A\"=hex:123#\"A\"=hex(x):01#\"A\"=hex:01,\\#\"A\"="
                "\"\xFF\"")
                .split('#');
        for (qsizetype i = 0; i < bad.size(); ++i) {
            const QByteArray before = i < 2 ? QByteArray() : i < 6 ? kV5 : kV5 + kKey;
            QTest::addRow("refused: %s", bad[i].constData()) << before + bad[i] + '\n'
                                                             << "a" << QByteArray();
        }
    }

    void parses()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, name);
        QFETCH(QByteArray, data);
        const std::optional<MachineHive::Keys> keys = MachineHive::parse(text);
        QCOMPARE(bool(keys), !data.isEmpty());
        if (keys) // parents exist too
            QVERIFY(keys->contains("software")
                    && keys->value("software\\brivel").values.value(MachineHive::fold(name)).data
                           == data);
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
        // 17 characters and the NUL; a buffer too small gets nothing, and a name
        // ends at its first NUL.
        quint32 type = 0, size = 17;
        unsigned char small[17] = {};
        QCOMPARE(hive.RegQueryValueExA(key, QByteArray("Text\0x", 6), nullptr, &type, small, &size),
                 ERROR_MORE_DATA);
        QVERIFY(type == REG_SZ && size == 18 && small[0] == 0);
        QCOMPARE(hive.openKeyCount(), 2);
        QVERIFY(hive.RegCloseKey(key) == ERROR_SUCCESS
                && hive.RegCloseKey(parent) == ERROR_SUCCESS);
        QVERIFY(hive.RegCloseKey(key) == ERROR_INVALID_HANDLE && hive.openKeyCount() == 0);
        // A hive that cannot be read has no keys at all.
        for (const char *path : {"", BRIVEL_TEST_DATA, BRIVEL_TEST_DATA "/malformed.reg"})
            QCOMPARE(MachineHive(path).RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, 0x2003F, &none),
                     ERROR_FILE_NOT_FOUND);
    }
};

QTEST_GUILESS_MAIN(TestMachineHive)
#include "tst_machinehive.moc"

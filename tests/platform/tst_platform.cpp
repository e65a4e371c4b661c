// SPDX-License-Identifier: MIT
// The real platform: the settings store, also damaged, unwritable or locked,
// under the main window; the machine hive; starting programs without a
// shell; and sounds without the sound module.
#include "TestRig.h"
#include "platform/ProgramStarter.h"
#include "platform/SoundPlayer.h"

using namespace brivel;

const QString NewPhone = BRIVEL_PROGRAM_DIR "/Phonenew.wav",
              OldPhone = BRIVEL_PROGRAM_DIR "/Phonerng.wav";

class TestPlatform : public QObject {
    Q_OBJECT
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Brivel";
    const QString file = folder + "/Brivel.ini";

private slots:
    // One INI file per user in $XDG_CONFIG_HOME/Brivel, the section nested as
    // groups; whatever a path holds comes back exactly.
    void storeFormat()
    {
        LinuxPlatform platform;
        QDir(folder).removeRecursively();
        platform.SaveSetting(test::App, test::Section, "Current", "/opt/brivel/Phonerng.wav");
        QCOMPARE(test::fileBytes(file), "[Settings]\nWaveFile\\Current=/opt/brivel/Phonerng.wav\n");
        for (const char *value : {"/home/ann/Rings, old/bell.wav", "/a=b/;c/#d/[e]/\"f\"\\g.wav",
                                  "/home/jürgen/Klänge/звонок ♪.wav", "/tmp/two\nlines.wav"}) {
            platform.SaveSetting(test::App, test::Section, "Current", value);
            QCOMPARE(platform.GetSetting(test::App, test::Section, "Current", "d"), value);
        }
    }

    // A store Brivel cannot use: it starts with what can be read, a choice
    // applies for the run, and the next start has it if it could be stored;
    // a store that cannot be written keeps its old file.
    void storeAtFault_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("startsWith");
        const QByteArray old = "[Settings]\nWaveFile\\Current=" + OldPhone.toUtf8() + "\n";
        QTest::newRow("unclosed section")
            << "file" << QByteArray("[Settings\nWaveFile\\Current=/x.wav\n") << NewPhone;
        // An ini file has no end mark: a value cut short is a path like any other.
        QTest::newRow("cut in the value") << "file" << old.chopped(9) << OldPhone.chopped(8);
        QTest::newRow("huge") << "left" << QByteArray(2 << 20, 'x').prepend(old) << NewPhone;
        QTest::newRow("folder is a file") << "folder-file" << QByteArray("mine") << NewPhone;
        QTest::newRow("folder read-only") << "read-only" << old << OldPhone;
        QTest::newRow("lock held") << "lock-held" << old << OldPhone;
    }
    void storeAtFault()
    {
        QFETCH(QString, obstacle);
        QFETCH(QByteArray, content);
        QFETCH(QString, startsWith);
        if (obstacle == "read-only" && geteuid() == 0)
            QSKIP("permissions do not hold for root: ctest runs this as nobody");
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        QVERIFY(QDir().mkpath(obstacle == "folder-file" ? QFileInfo(folder).path() : folder));
        QVERIFY(test::writeFile(obstacle == "folder-file" ? folder : file, content));
        QLockFile lock(file + ".lock");
        if (obstacle == "lock-held")
            QVERIFY(lock.tryLock(0));
        if (obstacle == "read-only")
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray before = test::fileBytes(folder) + test::fileBytes(file);
        test::RecordingPlatform platform;
        test::TimerRig rig({}, &platform);
        QCOMPARE(rig.w->m_WaveFile, startsWith);
        const QString chosen = startsWith == OldPhone ? NewPhone : OldPhone;
        (startsWith == OldPhone ? rig.w->mnuNewPhone : rig.w->mnuOldPhone)->trigger();
        QCOMPARE(rig.w->m_WaveFile, chosen);
        QVERIFY(platform.messages.isEmpty());
        if (obstacle != "file")
            QCOMPARE(test::fileBytes(folder) + test::fileBytes(file), before);
        test::unloadWindows();
        QCOMPARE(Forms::Timer().m_WaveFile, obstacle == "file" ? chosen : startsWith);
        test::unloadWindows();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The registry calls over a hive file (what is read and refused: the About
    // dialog's hives, and the fuzz target).
    void machineHive()
    {
        // The registry calls: a buffer too small gets nothing, a name ends at its NUL.
        MachineHive hive(BRIVEL_TEST_DATA "/values.reg");
        HKEY parent = 0, key = 0, none = 99;
        QCOMPARE(hive.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\brivel", 0, 0x2003F, &parent),
                 ERROR_SUCCESS);
        QCOMPARE(hive.RegOpenKeyExA(parent, "VALUES", 0, 0x2003F, &key), ERROR_SUCCESS);
        QCOMPARE(hive.RegOpenKeyExA(parent, "Nothing", 0, 0x2003F, &none), ERROR_FILE_NOT_FOUND);
        quint32 type = 0, size = 17;
        unsigned char small[17] = {};
        QCOMPARE(hive.RegQueryValueExA(key, QByteArray("Text\0x", 6), nullptr, &type, small, &size),
                 ERROR_MORE_DATA);
        QCOMPARE(none, 0u);
        QCOMPARE(type, REG_SZ);
        QCOMPARE(size, 18u);
        QCOMPARE(small[0], uchar(0));
        QCOMPARE(hive.openKeyCount(), 2);
        quint32 dword = 0, four = 4;
        QCOMPARE(hive.RegQueryValueExA(key, "Dword", nullptr, &type,
                                       reinterpret_cast<uchar *>(&dword), &four),
                 ERROR_SUCCESS);
        QCOMPARE(type, REG_DWORD);
        QCOMPARE(dword, 42u);
        QCOMPARE(hive.RegCloseKey(key), ERROR_SUCCESS);
        QCOMPARE(hive.RegCloseKey(parent), ERROR_SUCCESS);
        QCOMPARE(hive.RegCloseKey(key), ERROR_INVALID_HANDLE);
        QCOMPARE(hive.openKeyCount(), 0);
        for (const char *path : {"", BRIVEL_TEST_DATA, BRIVEL_TEST_DATA "/malformed.reg"})
            QCOMPARE(MachineHive(path).RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, 0x2003F, &none),
                     ERROR_FILE_NOT_FOUND);
    }

    // Which program runs, with which one argument; nothing in the text can
    // start anything else.
    void startProgram()
    {
        QTemporaryDir root;
        QDir::setCurrent(root.path()); // where a report, or an escaped "touch x", lands
        QVERIFY(QDir().mkpath("program folder"));
        QVERIFY(QDir().mkpath("bin"));
        for (const char *name :
             {"program folder/tool", "program folder/my viewer", "bin/tool", "notes.txt"}) {
            QVERIFY(test::writeFile(name, "#!/bin/sh\nprintf '%s|' \"$0\" \"$BRIVEL_SHOW_WINDOW\" "
                                          "\"$@\" > out.part && mv out.part out\n"));
            QFile::setPermissions(name,
                                  QFile::ReadOwner | QFile::WriteOwner
                                      | (name[0] == 'n' ? QFile::Permissions() : QFile::ExeOwner));
        }
        qputenv("PATH", root.filePath("bin").toLocal8Bit() + ':' + qgetenv("PATH"));
        const QString x = root.filePath("x"), folder = root.filePath("program folder"),
                      hostile =
                          "a; touch " + x + " $(touch " + x + ") \"a\" '`touch x`' | touch x\nx";
        for (const auto &[line, ran, args] : QList<std::tuple<QString, QString, QString>>{
                 {folder + "/my viewer", "program folder/my viewer", ""},
                 {"tool /a  b.hlp ", "program folder/tool", "/a  b.hlp |"}, // folder before PATH
                 {"tool " + hostile, "program folder/tool", hostile + "|"},
                 {"", "", ""},
                 {"no-such-program x", "", ""},
                 {root.filePath("notes.txt"), "", ""},
                 {folder + "/my viewer x", "", ""}}) {
            const qint64 pid = startCommandLine(line, SW_SHOWNOACTIVATE, folder);
            QCOMPARE(pid > 0, !ran.isEmpty());
            if (pid > 0) {
                QTRY_VERIFY(QFile::exists("out"));
                QCOMPARE(QString::fromUtf8(test::fileBytes("out")),
                         root.filePath(ran) + "|4|" + args);
                QVERIFY(QFile::remove("out"));
            }
            QVERIFY(!QFile::exists(x));
        }
    }
};

BRIVEL_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"

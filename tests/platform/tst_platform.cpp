// SPDX-License-Identifier: MIT
// The real platform: the settings store, also damaged, unwritable or locked,
// under the main window; the machine hive; starting programs without a
// shell, never from the working directory; help viewers that meet only in
// the user's own folder; and sounds without the sound module.
#include "HelpViewer.h"
#include "SingleViewer.h"
#include "TestRig.h"
#include "platform/ProgramStarter.h"
#include "platform/SoundPlayer.h"

#include <sys/stat.h>

#include <future>
#include <thread>

using namespace brivel;

const QString NewPhone = BRIVEL_PROGRAM_DIR "/Phonenew.wav",
              OldPhone = BRIVEL_PROGRAM_DIR "/Phonerng.wav";

class TestPlatform : public QObject {
    Q_OBJECT
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Brivel";
    const QString file = folder + "/Brivel.ini";

private slots:
    // A store Brivel cannot use: it starts with what can be read, a choice
    // applies for the run, and the next start has it if it could be stored,
    // in a clean file (a huge one set aside first); a store that cannot be
    // written (also while another Brivel holds its lock) keeps its old file;
    // the lock of a Brivel that ended while saving is no obstacle.
    void storeAtFault()
    {
        const QByteArray old = "[Settings]\nWaveFile\\Current=" + OldPhone.toUtf8() + "\n";
        using Row = std::tuple<QString, QByteArray, QString>; // obstacle, content, starts with
        for (const auto &[obstacle, content, startsWith] : QList<Row>{
                 {"file", old + QByteArray("[\1\xff\n\0x\n", 7), OldPhone}, // garbage after a value
                 // An ini file has no end mark: a value cut short is a path like any other.
                 {"file", old.chopped(9), OldPhone.chopped(8)},
                 {"file", QByteArray(2 << 20, 'x').prepend(old), NewPhone}, // huge
                 {"folder-file", "mine", NewPhone},
                 {"read-only", old, OldPhone}, // skipped for root: ctest runs this as nobody
                 {"lock-held", old, OldPhone},
                 {"lock-stale", old, OldPhone}}) {
            if (obstacle == "read-only" && geteuid() == 0)
                continue;
            QDir(folder).removeRecursively();
            QFile::remove(folder);
            const QString store = obstacle == "folder-file" ? folder : file;
            QVERIFY(QDir().mkpath(QFileInfo(store).path()));
            QVERIFY(test::writeFile(store, content));
            QLockFile lock(file + ".lock");
            if (obstacle == "lock-held")
                QVERIFY(lock.tryLock(0));
            if (obstacle == "lock-stale") // its process is gone
                QVERIFY(test::writeFile(file + ".lock", "999999999\n"));
            if (obstacle == "read-only")
                QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            test::RecordingPlatform platform;
            test::TimerRig rig({}, &platform);
            QCOMPARE(rig.w->m_WaveFile, startsWith);
            const QString chosen = startsWith == OldPhone ? NewPhone : OldPhone;
            (startsWith == OldPhone ? rig.w->mnuNewPhone : rig.w->mnuOldPhone)->trigger();
            QCOMPARE(rig.w->m_WaveFile, chosen);
            QVERIFY(platform.messages.isEmpty());
            // Written afresh, without what made no sense; else untouched.
            const bool written = obstacle == "file" || obstacle == "lock-stale";
            const QByteArray fresh = "[Settings]\nWaveFile\\Current=" + chosen.toUtf8() + "\n";
            QCOMPARE(test::fileBytes(store), written ? fresh : content);
            // A huge one is set aside.
            QCOMPARE(QFile::exists(file + ".bad"), content.size() > 1 << 20);
            test::unloadWindows();
            QCOMPARE(Forms::Timer().m_WaveFile, written ? chosen : startsWith);
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    // The registry calls over a hive file (what is read and refused: the About
    // dialog's hives, and the fuzz target).
    void machineHive()
    {
        // A buffer too small gets nothing, a name ends at its NUL.
        MachineHive hive(BRIVEL_TEST_DATA "/values.reg");
        HKEY parent = 0, key = 0, none = 99;
        QCOMPARE(hive.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\brivel", 0, 0x2003F, &parent),
                 ERROR_SUCCESS);
        QCOMPARE(hive.RegOpenKeyExA(parent, "VALUES", 0, 0x2003F, &key), ERROR_SUCCESS);
        QCOMPARE(hive.RegOpenKeyExA(parent, "Nothing", 0, 0x2003F, &none), ERROR_FILE_NOT_FOUND);
        QCOMPARE(none, 0u);
        quint32 type = 0, size = 17;
        unsigned char bytes[17] = {};
        QCOMPARE(hive.RegQueryValueExA(key, QByteArray("Text\0x", 6), nullptr, &type, bytes, &size),
                 ERROR_MORE_DATA);
        // The type, the size needed, and the buffer untouched.
        QCOMPARE(QList<quint32>({type, size, bytes[0]}), QList<quint32>({REG_SZ, 18, 0}));
        size = 4; // decoded: the fuzz target only compares with the parser
        QCOMPARE(hive.RegQueryValueExA(key, "Dword", nullptr, &type, bytes, &size), ERROR_SUCCESS);
        QCOMPARE(QList<quint32>({type, qFromUnaligned<quint32>(bytes)}),
                 QList<quint32>({REG_DWORD, 42}));
        QCOMPARE(hive.RegCloseKey(key), ERROR_SUCCESS);
        QCOMPARE(hive.RegCloseKey(parent), ERROR_SUCCESS);
        QCOMPARE(hive.RegCloseKey(key), ERROR_INVALID_HANDLE);
        QCOMPARE(hive.openKeyCount(), 0);
        for (const char *path : {"", BRIVEL_TEST_DATA, BRIVEL_TEST_DATA "/malformed.reg"})
            QCOMPARE(MachineHive(path).RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, 0x2003F, &none),
                     ERROR_FILE_NOT_FOUND);
    }

    // A FIFO in place of a wave or of the machine hive (which the About
    // dialog reads on the window's thread) is refused at once, the wave with
    // the beep: nothing waits for a writer. Should the hive's read wait, the
    // test fails instead of hanging.
    void fifoRefused()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("alarm.wav");
        QVERIFY(mkfifo(QFile::encodeName(fifo), 0600) == 0);
        std::packaged_task<long()> read([fifo] {
            HKEY key = 99;
            return MachineHive(fifo).RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, 0x2003F, &key);
        });
        std::future<long> opened = read.get_future();
        std::thread(std::move(read)).detach(); // left waiting should the read wait
        QVERIFY2(opened.wait_for(std::chrono::seconds(5)) == std::future_status::ready,
                 "the machine hive waited for a writer to a FIFO");
        QCOMPARE(opened.get(), ERROR_FILE_NOT_FOUND);
        int beeps = 0;
        SoundPlayer player(BRIVEL_PROGRAM_DIR "/brivel-sound.so", [&beeps] { ++beeps; });
        player.play(fifo, false);
        QTRY_COMPARE(beeps, 1);
    }

    // Which program runs, with which one argument and frame; nothing in the
    // text can start anything else, and nothing in the working directory
    // runs: not the whole line as a relative path, nor a program on an empty
    // or relative entry of PATH.
    void startProgram()
    {
        QTemporaryDir root;
        QDir::setCurrent(root.path()); // where a report, or an escaped "touch x", lands
        for (const char *name :
             {"program folder/tool", "program folder/my viewer", "bin/tool", "bin/other", "other",
              "rel/other", "tool /a  b.hlp ", "notes.txt"}) {
            QVERIFY(QDir().mkpath(QFileInfo(name).path()));
            QVERIFY(test::writeFile(name,
                                    "#!/bin/sh\nprintf '%s|' \"$0\" \"$BRIVEL_SHOW_WINDOW\" "
                                    "\"$BRIVEL_BESIDE\" \"$@\" > out.part && mv out.part out\n"));
            // Read and write for the owner; and run, but for the notes.
            QFile::setPermissions(name, QFile::Permissions(name[0] == 'n' ? 0x6000 : 0x7000));
        }
        qputenv("PATH", ":rel:" + QFile::encodeName(root.filePath("bin")) + ':' + qgetenv("PATH"));
        const QString x = root.filePath("x"), folder = root.filePath("program folder"),
                      hostile =
                          "a; touch " + x + " $(touch " + x + ") \"a\" '`touch x`' | touch x\nx";
        using Row = std::tuple<QString, QRect, QString, QString>;
        for (const auto &[line, beside, ran, args] : QList<Row>{
                 {folder + "/my viewer", {1, -2, 3, 4}, "program folder/my viewer", "1,-2,3,4|"},
                 {"tool /a  b.hlp ", {}, "program folder/tool", "|/a  b.hlp |"}, // folder first
                 {"tool " + hostile, {}, "program folder/tool", "|" + hostile + "|"},
                 {"other x", {}, "bin/other", "|x|"}}) {
            QVERIFY(startCommandLine(line, SW_SHOWNOACTIVATE, folder, beside) > 0);
            QTRY_VERIFY(QFile::exists("out"));
            QCOMPARE(QString::fromUtf8(test::fileBytes("out")), root.filePath(ran) + "|4|" + args);
            QVERIFY(QFile::remove("out"));
        }
        for (const QString &line : {QString(), QString("rel/other"), QString("no-such-program x"),
                                    root.filePath("notes.txt"), folder + "/my viewer x"})
            QCOMPARE(startCommandLine(line, SW_SHOWNOACTIVATE, folder, {}), 0);
        QVERIFY(!QFile::exists(x));
    }

    // Help viewers meet only in a folder of the user's alone. Without a
    // runtime folder, a fallback open to all is not used: each start shows
    // its own window. A private one is made, and a later start turns the
    // open viewer to its topic; activated, its text has the keyboard.
    void viewerRendezvous()
    {
        QTemporaryDir tmp;
        QDir::setCurrent(tmp.path());
        const auto restore = qScopeGuard([old = qgetenv("TMPDIR")] { qputenv("TMPDIR", old); });
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        qunsetenv("XDG_RUNTIME_DIR");
        const QString own = "brivel-" + QString::number(getuid()),
                      file = BRIVEL_PROGRAM_DIR "/Brivel Help.hlp";
        QVERIFY(QDir().mkdir(own));
        QVERIFY(QFile::setPermissions(own, QFile::Permissions(0x7777))); // everyone's
        help::SingleViewer unmet(file); // alive: what it made would be there
        QVERIFY(!unmet.handOver(1, SW_SHOWNOACTIVATE));
        QVERIFY(QDir().rmdir(own)); // nothing was put there,
        QVERIFY(QDir().isEmpty(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)); // nor here
        help::SingleViewer first(file);
        QVERIFY(!first.handOver(1, SW_SHOWNOACTIVATE));
        help::HelpViewer viewer;
        viewer.open({1, file});
        first.serve(viewer);
        for (const auto &[asked, shown] : {std::pair{3, 3}, {2, 2}, {0, 1}}) {
            QVERIFY(help::SingleViewer(file).handOver(asked, SW_SHOWNOACTIVATE));
            QTRY_COMPARE(viewer.currentTopic(), shown);
        }
        viewer.show();
        viewer.activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), viewer.browser());
    }
};

BRIVEL_TEST_MAIN(TestPlatform)
#include "tst_platform.moc"

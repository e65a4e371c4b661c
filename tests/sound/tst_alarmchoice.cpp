// SPDX-License-Identifier: MIT
// Choosing the alarm: the Options menu and the sound picker, driven by clicks
// over a folder of files and the real settings store, folders that are gone
// or cannot be read included.
#include "TestRig.h"
#include "sound/PickerLists.h"

using namespace brivel;

// What a file name may hold and an INI file must escape.
const QString Odd = "it's \"my\" grüße, a=b;c#d[e]\\f ♪\nsong.wav";

class TestAlarmChoice : public QObject {
    Q_OBJECT
    test::RecordingPlatform m_platform;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString at(const QString &name) const { return m_platform.folder + '/' + name; }
    frmSoundPkr &open()
    {
        Forms::Timer().mnuOptionsSoundPicker->trigger();
        return *Forms::SoundPkrIfLoaded();
    }

private slots:
    void initTestCase() { Forms::setPlatform(&m_platform); }
    void init()
    {
        QFile::remove(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Brivel/Brivel.ini");
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform.folder = m_dir->path();
        m_platform.messages.clear();
        m_platform.beeps = 0;
        QDir(m_dir->path()).mkpath("sub");
        test::writeFile(at("a.wav"), {});
        test::writeFile(at("sub/" + Odd), {});
    }
    void cleanup() { test::unloadWindows(); }

    // The lists start in the program folder, every file listed, filling in
    // while the window goes on; OK stores them and the picker keeps them,
    // with the files as they are when it is shown again; Cancel reloads them
    // from the store; a double click is OK, whatever the name holds; Exit
    // unloads the hidden picker; closing the picker from the desktop brings
    // the main window back. (Which names OK takes: the walk in tst_frmtimer.)
    void okCancelDoubleClickAndExit()
    {
        const int many = 20000;
        const QByteArray file = QFile::encodeName(at("a.wav"));
        for (int i = 0; i < many; ++i) // more names of one empty file, of any ending
            QCOMPARE(link(file, file + QByteArray::number(i)), 0);
        int listed = many; // when a zero-time timer fires
        QTimer::singleShot(0, this, [&] { listed = Forms::SoundPkr().bxFiles->count(); });
        frmSoundPkr *p = &open();
        QCOMPARE(p->bxDrives->Drive(), QStorageInfo(m_dir->path()).rootPath());
        QTRY_COMPARE_WITH_TIMEOUT(p->bxFiles->count(), 1 + many, 30000); // a busy machine too
        QCOMPARE_LT(listed, many);
        QVERIFY(test::clickItem(p->bxDirectories, at("sub"), true));
        QVERIFY(test::clickItem(p->bxFiles, Odd));
        QTest::mouseClick(p->cmdOK, Qt::LeftButton);
        QVERIFY(test::writeFile(at("sub/new.wav"), {})); // saved while the picker was hidden
        QCOMPARE(&open(), p);
        QTRY_COMPARE(p->bxFiles->count(), 2);
        QCOMPARE(p->bxFiles->FileName(), Odd);
        QVERIFY(test::clickItem(p->bxDirectories, m_dir->path(), true));
        p->txtCurrentPath->setText("elsewhere");
        QTest::mouseClick(p->cmdCancel, Qt::LeftButton);
        p = &open();
        QCOMPARE(p->bxDirectories->Path(), at("sub"));
        QCOMPARE(p->txtCurrentPath->text(), at("sub/" + Odd));
        QVERIFY(test::clickItem(p->bxFiles, Odd, true));
        QTest::mouseClick(Forms::Timer().cmdExit, Qt::LeftButton);
        QCOMPARE(test::windows(), "");
        QCOMPARE(Forms::Timer().m_WaveFile, at("sub/" + Odd)); // Brivel started again
        open().close();
        QCOMPARE(test::windows(), "frmTimer");
    }

    // The border sizes the picker: the pointer shows which way, a corner
    // reaching 16 pixels along each side; a drag moves the edge with it.
    void border()
    {
        frmSoundPkr &p = open();
        const int r = p.width() - 1, b = p.height() - 1;
        for (const auto &[x, y, shape] : {std::tuple{2, 2, Qt::SizeFDiagCursor},
                                          {r - 15, 2, Qt::SizeBDiagCursor},
                                          {2, b - 15, Qt::SizeBDiagCursor},
                                          {r, b, Qt::SizeFDiagCursor},
                                          {20, 1, Qt::SizeVerCursor},
                                          {r, 40, Qt::SizeHorCursor},
                                          {2, 40, Qt::SizeHorCursor}}) {
            QTest::mouseMove(&p, {x, y});
            QVERIFY2(p.cursor().shape() == shape, qPrintable(QString("%1,%2").arg(x).arg(y)));
        }
        const QRect before = p.geometry();
        QTest::mousePress(&p, Qt::LeftButton, {}, {r, b});
        QTest::mouseMove(&p, {r + 30, b + 20});
        QTest::mouseRelease(&p, Qt::LeftButton, {}, {r + 30, b + 20});
        QCOMPARE(p.geometry(), before.adjusted(0, 0, 30, 20));
    }

    // Folders that cannot be read, stored or opened in the list, or that go
    // away while shown, are refused with a beep; the lists stay where they
    // were, and a listed file is still chosen.
    void foldersAtFault()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not hold for root: ctest runs this as nobody");
        // locked: empty, so that the temporary folder goes away with it
        const QString locked = at("locked"), volume = at("volume");
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(QDir().mkpath(volume + "/inner"));
        QVERIFY(test::writeFile(volume + "/ring.wav", {}));
        QVERIFY(QFile::setPermissions(locked, {}));
        for (const char *key : {"Directory", "Files"}) // where the lists were last
            m_platform.SaveSetting(test::App, test::Section, key, locked);
        frmSoundPkr *p = &open();
        QCOMPARE(p->bxDirectories->Path(), m_dir->path());
        QCOMPARE(p->bxFiles->Path(), m_dir->path());
        QVERIFY(test::clickItem(p->bxDirectories, locked, true));
        QCOMPARE(m_platform.beeps, 1);
        QVERIFY(p->bxDirectories->setPath(volume)); // unmounted while shown
        QVERIFY(test::clickItem(p->bxFiles, "ring.wav"));
        QVERIFY(test::clickItem(p->bxDirectories, volume + "/inner")); // once listed
        QVERIFY(QDir(volume).removeRecursively());
        QVERIFY(test::clickItem(p->bxDirectories, volume + "/inner", true));
        QCOMPARE(m_platform.beeps, 2);
        QTest::mouseClick(p->cmdOK, Qt::LeftButton);
        QCOMPARE(Forms::Timer().m_WaveFile, volume + "/ring.wav");
        QVERIFY(m_platform.messages.isEmpty());
    }
};

BRIVEL_TEST_MAIN(TestAlarmChoice)
#include "tst_alarmchoice.moc"

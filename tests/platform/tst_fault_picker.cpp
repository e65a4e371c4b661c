// SPDX-License-Identifier: MIT
// The sound picker over folders that are gone or cannot be read, at load
// and while it shows them: it never ends the program, its lists stay on a
// folder that can be read, the store is not touched until OK, and a choice
// still works afterwards.
#include "FaultRig.h"

#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidgetItemIterator>

using namespace brivel;
using test::FaultPlatform;

namespace {

const QString Folder = QStringLiteral(BRIVEL_PROGRAM_DIR);
const QString App = QStringLiteral("Brivel");
const QString Section = QStringLiteral("Settings\\WaveFile");
const QStringList Keys{QStringLiteral("Current"), QStringLiteral("Drive"),
                       QStringLiteral("Directory"), QStringLiteral("Files"),
                       QStringLiteral("Path")};

QTreeWidgetItem *folderItem(DirectoryList &list, const QString &name)
{
    for (QTreeWidgetItemIterator it(&list); *it; ++it) {
        if ((*it)->text(0) == name)
            return *it;
    }
    return nullptr;
}

} // namespace

class TestFaultPicker : public QObject {
    Q_OBJECT

    std::unique_ptr<FaultPlatform> platform;
    std::unique_ptr<QTemporaryDir> place;

    QStringList storedKeys()
    {
        QStringList values;
        for (const QString &key : Keys)
            values << platform->GetSetting(App, Section, key, QStringLiteral("<none>"));
        return values;
    }
    void store(const QString &key, const QString &value)
    {
        platform->SaveSetting(App, Section, key, value);
    }
    // A folder with a wave file, a text file and a subfolder.
    QString makeFolder(const QString &name)
    {
        const QString path = place->filePath(name);
        QDir().mkpath(path + QStringLiteral("/inner"));
        for (const char *file : {"ring.wav", "notes.txt"}) {
            QFile f(path + QLatin1Char('/') + QLatin1String(file));
            f.open(QIODevice::WriteOnly);
        }
        return path;
    }
    frmSoundPkr &openPicker()
    {
        frmTimer &w = Forms::Timer();
        w.show();
        w.mnuOptionsSoundPicker->trigger();
        frmSoundPkr *picker = Forms::SoundPkrIfLoaded();
        Q_ASSERT(picker);
        return *picker;
    }
    // The picker still chooses: a wave file of the folder it shows.
    void chooseStill(frmSoundPkr &picker, const QString &folder)
    {
        QVERIFY(picker.bxDirectories->setPath(folder));
        QVERIFY(test::clickFile(picker, QStringLiteral("ring.wav")));
        picker.cmdOK->click();
        QCOMPARE(Forms::Timer().m_WaveFile, folder + QStringLiteral("/ring.wav"));
        QVERIFY(!picker.isVisible() && Forms::Timer().isVisible());
    }

private slots:
    void init()
    {
        place = std::make_unique<QTemporaryDir>();
        QFile::remove(test::storeFile());
        platform = std::make_unique<FaultPlatform>();
        Forms::setPlatform(platform.get());
    }
    void cleanup()
    {
        test::unloadWindows();
        platform.reset();
        place.reset();
    }

    // Stored positions that are gone at load: the directory list falls back
    // to the program folder and the file list to the directory list's
    // folder; nothing is stored.
    void storedFolderGone_data()
    {
        QTest::addColumn<QStringList>("gone");
        QTest::newRow("directory") << QStringList{QStringLiteral("Directory")};
        QTest::newRow("files") << QStringList{QStringLiteral("Files")};
        QTest::newRow("drive, directory and files") << QStringList{
            QStringLiteral("Drive"), QStringLiteral("Directory"), QStringLiteral("Files")};
    }
    void storedFolderGone()
    {
        QFETCH(QStringList, gone);
        const QString kept = makeFolder(QStringLiteral("kept"));
        const QString removed = makeFolder(QStringLiteral("removed"));
        for (const QString &key :
             {QStringLiteral("Drive"), QStringLiteral("Directory"), QStringLiteral("Files")})
            store(key, gone.contains(key) ? removed : kept);
        store(QStringLiteral("Path"), removed + QStringLiteral("/ring.wav"));
        QVERIFY(QDir(removed).removeRecursively());
        const QStringList before = storedKeys();

        frmSoundPkr &picker = openPicker();
        QVERIFY(picker.isVisible());
        const QString directory = picker.bxDirectories->Path();
        QCOMPARE(directory, gone.contains(QStringLiteral("Directory")) ? Folder : kept);
        QCOMPARE(picker.bxFiles->Path(), gone.contains(QStringLiteral("Files")) ? directory : kept);
        QCOMPARE(picker.txtCurrentPath->text(), removed + QStringLiteral("/ring.wav"));
        QVERIFY(platform->messages.isEmpty());
        QCOMPARE(storedKeys(), before);

        chooseStill(picker, kept);
    }

    // Folders that cannot be read, stored or opened in the list: refused
    // with a beep, the lists stay where they were.
    void unreadableFolder()
    {
        BRIVEL_AS_NOBODY();
        const QString readable = makeFolder(QStringLiteral("readable"));
        const QString locked = makeFolder(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(readable + QStringLiteral("/shut")));
        QVERIFY(QFile::setPermissions(locked, {}));
        QVERIFY(QFile::setPermissions(readable + QStringLiteral("/shut"), {}));
        store(QStringLiteral("Directory"), locked);
        store(QStringLiteral("Files"), locked);

        frmSoundPkr &picker = openPicker();
        QCOMPARE(picker.bxDirectories->Path(), Folder);
        QCOMPARE(picker.bxFiles->Path(), Folder);

        QVERIFY(picker.bxDirectories->setPath(readable));
        QTreeWidgetItem *shut = folderItem(*picker.bxDirectories, QStringLiteral("shut"));
        QVERIFY(shut);
        const QRect at = picker.bxDirectories->visualItemRect(shut);
        test::doubleClick(picker.bxDirectories->viewport(), at.center());
        QCOMPARE(platform->beeps, 1);
        QCOMPARE(picker.bxDirectories->Path(), readable);
        QCOMPARE(picker.bxFiles->Path(), readable);
        QVERIFY(platform->messages.isEmpty());

        chooseStill(picker, readable);
        QVERIFY(
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::setPermissions(readable + QStringLiteral("/shut"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // The folder the picker shows disappears, as with a volume unmounted
    // while the picker is open.
    void folderGoneWhileOpen()
    {
        const QString shown = makeFolder(QStringLiteral("volume"));
        store(QStringLiteral("Directory"), shown);
        frmSoundPkr &picker = openPicker();
        QCOMPARE(picker.bxFiles->Path(), shown);
        QVERIFY(QDir(shown).removeRecursively());

        // Its subfolder cannot be opened any more.
        QTreeWidgetItem *inner = folderItem(*picker.bxDirectories, QStringLiteral("inner"));
        QVERIFY(inner);
        const QRect at = picker.bxDirectories->visualItemRect(inner);
        test::doubleClick(picker.bxDirectories->viewport(), at.center());
        QCOMPARE(platform->beeps, 1);
        QCOMPARE(picker.bxDirectories->Path(), shown);

        // A volume in the drive list that is no longer mounted.
        picker.bxDrives->addItem(place->filePath(QStringLiteral("gone-volume")));
        const QString drive = picker.bxDrives->Drive();
        emit picker.bxDrives->activated(picker.bxDrives->count() - 1);
        QCOMPARE(platform->beeps, 2);
        QCOMPARE(picker.bxDrives->Drive(), drive);
        QCOMPARE(picker.bxDirectories->Path(), shown);

        // A file it still lists is chosen as it stands: the alarm finds out.
        QVERIFY(test::clickFile(picker, QStringLiteral("ring.wav")));
        picker.cmdOK->click();
        QCOMPARE(Forms::Timer().m_WaveFile, shown + QStringLiteral("/ring.wav"));
        QVERIFY(platform->messages.isEmpty());

        // Reopened, the picker stands on the folder as stored; the folder is
        // gone, so the next load falls back.
        test::unloadWindows();
        frmSoundPkr &again = openPicker();
        QCOMPARE(again.bxDirectories->Path(), Folder);
        chooseStill(again, makeFolder(QStringLiteral("back")));
    }
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    test::privateHome(home);
    QApplication app(argc, argv);
    TestFaultPicker test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fault_picker.moc"

// SPDX-License-Identifier: MIT
// The sound picker over folders that are gone or cannot be read, at load
// and while it shows them: the lists stay on a folder that can be read, the
// store is not touched until OK, and a choice still works afterwards.
#include "FaultRig.h"

#include "sound/PickerLists.h"
#include "sound/frmSoundPkr.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>

using namespace brivel;
using test::FaultPlatform;

namespace {

const QString Folder = QStringLiteral(BRIVEL_PROGRAM_DIR);
const QString Section = QStringLiteral("Settings\\WaveFile");

// Clicks a file in the file list as the user would; false when not listed.
bool clickFile(frmSoundPkr &picker, const QString &name)
{
    const QList<QListWidgetItem *> found = picker.bxFiles->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    picker.bxFiles->scrollToItem(found.first());
    const QPoint at = picker.bxFiles->visualItemRect(found.first()).center();
    QTest::mouseClick(picker.bxFiles->viewport(), Qt::LeftButton, {}, at);
    return picker.bxFiles->FileName() == name;
}

// Double-clicks a folder of the directory list, as the desktop delivers it.
bool openFolder(frmSoundPkr &picker, const QString &name)
{
    const auto found = picker.bxDirectories->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty())
        return false;
    const QPoint at = picker.bxDirectories->visualItemRect(found.first()).center();
    QTest::mouseClick(picker.bxDirectories->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(picker.bxDirectories->viewport(), Qt::LeftButton, {}, at);
    return true;
}

} // namespace

class TestFaultPicker : public QObject {
    Q_OBJECT

    std::unique_ptr<FaultPlatform> platform;
    std::unique_ptr<QTemporaryDir> place;

    void store(const QString &key, const QString &value)
    {
        platform->SaveSetting(QStringLiteral("Brivel"), Section, key, value);
    }
    // A folder with a wave file and a subfolder.
    QString makeFolder(const QString &name)
    {
        const QString path = place->filePath(name);
        QDir().mkpath(path + QStringLiteral("/inner"));
        QFile(path + QStringLiteral("/ring.wav")).open(QIODevice::WriteOnly);
        return path;
    }
    frmSoundPkr &openPicker()
    {
        Forms::Timer().show();
        Forms::Timer().mnuOptionsSoundPicker->trigger();
        return *Forms::SoundPkrIfLoaded();
    }
    // The picker still chooses a wave file of a folder it can read.
    void chooseStill(frmSoundPkr &picker, const QString &folder)
    {
        QVERIFY(picker.bxDirectories->setPath(folder));
        QVERIFY(clickFile(picker, QStringLiteral("ring.wav")));
        picker.cmdOK->click();
        QCOMPARE(Forms::Timer().m_WaveFile, folder + QStringLiteral("/ring.wav"));
        QVERIFY(!picker.isVisible() && platform->messages.isEmpty());
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

    // Folders that cannot be read, stored or opened in the list: refused
    // with a beep, the lists stay where they were.
    void unreadableFolder()
    {
        BRIVEL_AS_NOBODY();
        const QString readable = makeFolder(QStringLiteral("readable"));
        const QString locked = makeFolder(QStringLiteral("locked"));
        QVERIFY(QFile::setPermissions(locked, {}));
        QVERIFY(QFile::setPermissions(readable + QStringLiteral("/inner"), {}));
        store(QStringLiteral("Directory"), locked);
        store(QStringLiteral("Files"), locked);

        frmSoundPkr &picker = openPicker();
        QCOMPARE(picker.bxDirectories->Path(), Folder);
        QCOMPARE(picker.bxFiles->Path(), Folder);
        QVERIFY(picker.bxDirectories->setPath(readable));
        QVERIFY(openFolder(picker, QStringLiteral("inner")));
        QCOMPARE(platform->beeps, 1);
        QCOMPARE(picker.bxFiles->Path(), readable);
        chooseStill(picker, readable);
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(locked, open));
        QVERIFY(QFile::setPermissions(readable + QStringLiteral("/inner"), open));
    }

    // A stored file list folder gone at load: the file list shows the
    // directory list's folder, and nothing is stored until OK. Then that
    // folder disappears, as a volume unmounted while the picker is open: its
    // subfolder and the volume cannot be opened, a listed file is still
    // chosen, and the next load falls back.
    void folderGoneWhileOpen()
    {
        const QString shown = makeFolder(QStringLiteral("volume"));
        store(QStringLiteral("Directory"), shown);
        store(QStringLiteral("Files"), place->filePath(QStringLiteral("gone")));
        const QByteArray before = test::fileBytes(test::storeFile());
        frmSoundPkr &picker = openPicker();
        QCOMPARE(picker.bxFiles->Path(), shown);
        QCOMPARE(test::fileBytes(test::storeFile()), before);
        QVERIFY(QDir(shown).removeRecursively());

        QVERIFY(openFolder(picker, QStringLiteral("inner")));
        QCOMPARE(platform->beeps, 1);
        picker.bxDrives->addItem(place->filePath(QStringLiteral("gone-volume")));
        const QString drive = picker.bxDrives->Drive();
        emit picker.bxDrives->activated(picker.bxDrives->count() - 1);
        QCOMPARE(platform->beeps, 2);
        QCOMPARE(picker.bxDrives->Drive(), drive);
        QCOMPARE(picker.bxDirectories->Path(), shown);

        QVERIFY(clickFile(picker, QStringLiteral("ring.wav")));
        picker.cmdOK->click();
        QCOMPARE(Forms::Timer().m_WaveFile, shown + QStringLiteral("/ring.wav"));
        test::unloadWindows();
        frmSoundPkr &again = openPicker();
        QCOMPARE(again.bxDirectories->Path(), Folder);
        chooseStill(again, makeFolder(QStringLiteral("back")));
    }
};

BRIVEL_FAULT_MAIN(TestFaultPicker)

#include "tst_fault_picker.moc"

// SPDX-License-Identifier: MIT
// Choosing the alarm: the Options menu and the sound picker, driven by clicks
// over a folder of fixture files and the real settings store (test mode).
#include "platform/LinuxPlatform.h"
#include "sound/PickerLists.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace brivel;

namespace {
const QString kNotWave = QStringLiteral("The selected file is not a .wav file.");
const QStringList kFixtures = {"a.wav", "B.WAV", "c.Wav", "d.wave", "e.mp3", "mywav"};
const QStringList kOddNames = {"my song.wav", "it's \"q\".wav", "grüße.wav", "line\nbreak.wav"};

// The real store; message boxes, sounds and the program folder are the
// test's.
class StorePlatform : public LinuxPlatform {
public:
    QString programFolder() override { return folder; }
    void messageBox(const QString &text) override { messages.append(text); }
    int waveOutDeviceCount() override { return 1; }
    void preloadWave(const QString &) override {}
    void playWave(const QString &, bool) override {}
    void beep() override { ++beeps; }
    QString folder;
    QStringList messages;
    int beeps = 0;
};

QString storeFile()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Brivel", "Brivel").fileName();
}

void touch(const QString &path)
{
    QFile(path).open(QIODevice::WriteOnly);
}

// Clicks the item of a list whose name or path is key; a second press
// makes the click a double click, as the desktop delivers one.
void clickItem(QAbstractItemView *view, const QString &key, bool twice = false)
{
    const QModelIndexList rows = view->model()->match(view->model()->index(0, 0), Qt::UserRole, key,
                                                      1, Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(!rows.isEmpty(), qPrintable(key));
    view->scrollTo(rows.first());
    const QPoint pos = view->visualRect(rows.first()).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pos);
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pos);
}
} // namespace

class TestAlarmChoice : public QObject {
    Q_OBJECT
    StorePlatform m_platform;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString at(const QString &name) const { return m_platform.folder + '/' + name; }
    QString stored(const char *key)
    {
        return m_platform.GetSetting("Brivel", "Settings\\WaveFile", key, "<absent>");
    }
    void store(const char *key, const QString &value)
    {
        m_platform.SaveSetting("Brivel", "Settings\\WaveFile", key, value);
    }
    frmTimer &restart()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Forms::Timer().show();
        return Forms::Timer();
    }
    frmSoundPkr &open()
    {
        Forms::Timer().mnuOptionsSoundPicker->trigger();
        return *Forms::SoundPkrIfLoaded();
    }
    QStringList files(frmSoundPkr &p)
    {
        QStringList names;
        for (int row = 0; row < p.bxFiles->count(); ++row)
            names << p.bxFiles->item(row)->data(Qt::UserRole).toString();
        return names;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Forms::setPlatform(&m_platform);
    }
    void init()
    {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Brivel", "Brivel").clear();
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform.folder = m_dir->path();
        for (const QString &name : kFixtures)
            touch(at(name));
        QDir(m_dir->path()).mkpath("sub");
        touch(at("sub/in sub.wav"));
        QDir(m_dir->path()).mkpath("odd");
        for (const QString &name : kOddNames)
            touch(at("odd/" + name));
        m_platform.messages.clear();
        m_platform.beeps = 0;
        restart();
    }
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QString storeDir = QFileInfo(storeFile()).path(); // as the unwritable store left it
        if (QFileInfo(storeDir).isFile() && QFile::remove(storeDir))
            QDir().mkpath(storeDir);
    }

    // --- Options menu --------------------------------------------------

    void phoneChoiceSurvivesRestart_data()
    {
        QTest::addColumn<QString>("command"); // menu item, or none: "Current" stored
        QTest::addColumn<bool>("newChecked");
        QTest::addColumn<bool>("oldChecked");
        QTest::addColumn<QString>("current");
        QTest::newRow("nothing stored") << "" << true << false << "";
        QTest::newRow("old phone") << "mnuOldPhone" << false << true << "Phonerng.wav";
        QTest::newRow("new phone") << "mnuNewPhone" << true << false << "Phonenew.wav";
        QTest::newRow("other case") << "" << false << false << "PHONENEW.wav";
        QTest::newRow("doubled separator") << "" << false << false << "/Phonenew.wav";
    }
    void phoneChoiceSurvivesRestart()
    {
        QFETCH(QString, command);
        QFETCH(bool, newChecked);
        QFETCH(bool, oldChecked);
        QFETCH(QString, current);
        if (command.isEmpty() && !current.isEmpty())
            store("Current", at(current));
        if (!command.isEmpty())
            Forms::Timer().findChild<QAction *>(command)->trigger();
        QCOMPARE(stored("Current"), current.isEmpty() ? "<absent>" : at(current));
        frmTimer &w = restart();
        QCOMPARE(w.m_WaveFile, at(current.isEmpty() ? "Phonenew.wav" : current));
        QCOMPARE(w.mnuNewPhone->isChecked(), newChecked);
        QCOMPARE(w.mnuOldPhone->isChecked(), oldChecked);
        QTest::mouseClick(w.cmdExit, Qt::LeftButton); // nothing is written at exit
        QCOMPARE(stored("Current"), current.isEmpty() ? "<absent>" : at(current));
    }

    void oldPhoneInTheStoreFile()
    {
        Forms::Timer().mnuOldPhone->trigger();
        QFile file(storeFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(
            "[Settings]\nWaveFile\\Current=" + at("Phonerng.wav").toUtf8() + '\n'));
    }

    void muteSurvivesNewPhoneButNotARestart()
    {
        frmTimer &w = Forms::Timer();
        w.mnuOptionsMute->trigger();
        w.mnuNewPhone->trigger();
        QVERIFY(w.mnuOptionsMute->isChecked());
        QVERIFY(!restart().mnuOptionsMute->isChecked());
    }

    // --- Sound picker --------------------------------------------------

    void firstOpeningStandsOnTheProgramFolder()
    {
        frmSoundPkr &p = open();
        QCOMPARE(p.clientArea()->size(), QSize(312, 228));
        QCOMPARE(p.focusWidget(), static_cast<QWidget *>(p.cmdOK));
        QCOMPARE(p.bxDrives->Drive(), QStorageInfo(m_dir->path()).rootPath());
        QCOMPARE(p.bxDirectories->Path(), m_dir->path());
        QCOMPARE(p.bxFiles->Path(), m_dir->path());
        QCOMPARE(files(p), kFixtures);
        QCOMPARE(p.txtCurrentPath->text(), at("Phonenew.wav"));
    }

    void okTakesOnlyNamesEndingInWav_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        for (const QString &name : kFixtures)
            QTest::newRow(qPrintable(name)) << name << name.toLower().endsWith("wav");
        QTest::newRow("nothing selected") << "" << false;
    }
    void okTakesOnlyNamesEndingInWav()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        frmTimer &main = Forms::Timer();
        main.mnuOldPhone->trigger();
        main.mnuOptionsMute->trigger();
        frmSoundPkr &p = open();
        if (!name.isEmpty())
            clickItem(p.bxFiles, name);
        QCOMPARE(p.txtCurrentPath->text(), at(name.isEmpty() ? "Phonerng.wav" : name));
        QTest::mouseClick(p.cmdOK, Qt::LeftButton);
        QCOMPARE(main.isVisible(), accepted);
        QCOMPARE(p.isVisible(), !accepted);
        QCOMPARE(main.m_WaveFile, at(accepted ? name : "Phonerng.wav"));
        QCOMPARE(main.mnuOldPhone->isChecked() || main.mnuOptionsMute->isChecked(), !accepted);
        QCOMPARE(stored("Path"), accepted ? at(name) : "<absent>");
        if (accepted) {
            QCOMPARE(stored("Current"), at(name));
            QCOMPARE(stored("Drive"), p.bxDrives->Drive());
            QCOMPARE(stored("Directory"), m_dir->path());
            QCOMPARE(stored("Files"), m_dir->path());
            return;
        }
        QCOMPARE(m_platform.messages, QStringList{kNotWave});
        QTest::mouseClick(p.cmdCancel, Qt::LeftButton);
        QVERIFY(main.isVisible() && !Forms::SoundPkrIfLoaded());
    }

    void desktopCloseBringsTheMainWindowBack()
    {
        frmSoundPkr &p = open();
        QTest::mouseClick(p.cmdOK, Qt::LeftButton);
        QVERIFY(!Forms::Timer().isVisible());
        p.close(); // as the window manager does
        QVERIFY(Forms::Timer().isVisible() && !Forms::SoundPkrIfLoaded());
    }

    void doubleClickIsOkTypedTextIsOnlyStored()
    {
        frmSoundPkr &p = open();
        p.txtCurrentPath->setText("typed");
        clickItem(p.bxFiles, "B.WAV", true);
        QVERIFY(!p.isVisible());
        QCOMPARE(stored("Path"), at("B.WAV"));

        open();
        clickItem(p.bxFiles, "a.wav");
        QTest::keyClicks(p.txtCurrentPath, " and more");
        QTest::mouseClick(p.cmdOK, Qt::LeftButton);
        QCOMPARE(Forms::Timer().m_WaveFile, at("a.wav"));
        restart();
        QCOMPARE(open().txtCurrentPath->text(), at("a.wav and more"));
    }

    void okKeepsTheListsCancelReloadsTheStore()
    {
        frmSoundPkr *p = &open();
        clickItem(p->bxDirectories, at("sub"), true);
        QCOMPARE(files(*p), QStringList{"in sub.wav"});
        clickItem(p->bxFiles, "in sub.wav");
        QTest::mouseClick(p->cmdOK, Qt::LeftButton);
        QCOMPARE(&open(), p);
        QCOMPARE(p->bxFiles->FileName(), "in sub.wav");
        clickItem(p->bxDirectories, m_dir->path(), true);
        p->txtCurrentPath->setText("elsewhere");
        QTest::mouseClick(p->cmdCancel, Qt::LeftButton);
        p = &open();
        QCOMPARE(p->bxDirectories->Path(), at("sub"));
        QCOMPARE(p->bxFiles->Path(), at("sub"));
        QCOMPARE(p->bxFiles->FileName(), QString());
        QCOMPARE(p->txtCurrentPath->text(), at("sub/in sub.wav"));
    }

    void rootFolderDoublesTheSeparator()
    {
        frmSoundPkr &p = open();
        if (p.bxDrives->Drive() == "/")
            clickItem(p.bxDirectories, "/", true);
        else
            QTest::keyClick(p.bxDrives, Qt::Key_Home); // "/" sorts first
        QCOMPARE(p.bxDirectories->Path(), "/");
        if (p.bxFiles->count() == 0)
            QSKIP("no file in the root folder");
        clickItem(p.bxFiles, files(p).first());
        QCOMPARE(p.txtCurrentPath->text(), "//" + files(p).first());
    }

    void oddNamesRoundTrip()
    {
        for (const QString &name : kOddNames) {
            frmSoundPkr &p = open();
            clickItem(p.bxDirectories, at("odd"), true);
            clickItem(p.bxFiles, name, true);
            QCOMPARE(restart().m_WaveFile, at("odd/" + name));
            QCOMPARE(open().txtCurrentPath->text(), at("odd/" + name));
            restart();
        }
    }

    void brokenStoredPositionsFallBack_data()
    {
        QTest::addColumn<bool>("goneVolume");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<bool>("goneFiles"); // else: "Files" as "Directory"
        QTest::addColumn<QString>("expected");
        QTest::newRow("deleted folder") << false << "gone" << false << "";
        QTest::newRow("vanished volume") << true << "sub" << false << "sub";
        QTest::newRow("file list gone") << false << "sub" << true << "sub";
        QTest::newRow("a file, no folder") << false << "a.wav" << false << "";
    }
    void brokenStoredPositionsFallBack()
    {
        QFETCH(bool, goneVolume);
        QFETCH(QString, directory);
        QFETCH(bool, goneFiles);
        QFETCH(QString, expected);
        store("Drive", goneVolume ? "/no/such/volume" : m_dir->path());
        store("Directory", at(directory));
        store("Files", at(goneFiles ? "gone" : directory));
        frmSoundPkr &p = open();
        QCOMPARE(p.bxDrives->Drive(), QStorageInfo(m_dir->path()).rootPath());
        QCOMPARE(p.bxDirectories->Path(), expected.isEmpty() ? m_dir->path() : at(expected));
        QCOMPARE(p.bxFiles->Path(), p.bxDirectories->Path());
    }

    void unreadablePicksStayPut()
    {
        frmSoundPkr &p = open();
        QDir(at("sub")).removeRecursively();
        QFile::setPermissions(at("odd"), QFileDevice::WriteOwner);
        const bool bound = !isReadableFolder(at("odd")); // not for a superuser
        clickItem(p.bxDirectories, at("sub"), true);
        if (bound)
            clickItem(p.bxDirectories, at("odd"), true);
        QFile::setPermissions(at("odd"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                             | QFileDevice::ExeOwner);
        QCOMPARE(p.bxDirectories->Path(), m_dir->path());
        QCOMPARE(m_platform.beeps, bound ? 2 : 1);
        // A volume that went away after the list was read.
        p.bxDrives->addItem("/no/such/volume");
        QTest::keyClick(p.bxDrives, Qt::Key_End);
        QCOMPARE(p.bxDrives->currentText(), QStorageInfo(m_dir->path()).rootPath());
        QCOMPARE(p.bxDirectories->Path(), m_dir->path());
        QCOMPARE(m_platform.beeps, bound ? 3 : 2);
    }

    void unwritableStoreStillApplies()
    {
        QDir(QFileInfo(storeFile()).path()).removeRecursively();
        touch(QFileInfo(storeFile()).path()); // a file where the store's folder belongs
        clickItem(open().bxFiles, "c.Wav", true);
        QCOMPARE(Forms::Timer().m_WaveFile, at("c.Wav"));
        QVERIFY(Forms::Timer().isVisible());
    }

    void exitUnloadsThePicker_data()
    {
        QTest::addColumn<int>("opened"); // 0 never, 1 shown, 2 hidden after a choice
        QTest::newRow("never opened") << 0;
        QTest::newRow("shown") << 1;
        QTest::newRow("hidden after a choice") << 2;
    }
    void exitUnloadsThePicker()
    {
        QFETCH(int, opened);
        QPointer<frmSoundPkr> picker = opened > 0 ? &open() : nullptr;
        if (opened > 1)
            clickItem(picker->bxFiles, "a.wav", true);
        QPointer<frmTimer> main = &Forms::Timer();
        QTest::mouseClick(main->cmdExit, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!main && !picker && !Forms::SoundPkrIfLoaded());
        QCOMPARE(stored("Current"), opened > 1 ? at("a.wav") : "<absent>");
    }
};

QTEST_MAIN(TestAlarmChoice)
#include "tst_alarmchoice.moc"

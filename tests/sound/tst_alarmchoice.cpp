// SPDX-License-Identifier: MIT
// Choosing the alarm: the Options menu and the sound picker, driven by clicks
// over a folder of fixture files and the real settings store (test mode).
// Unreadable folders and stores are the platform fault tests' business.
#include "platform/LinuxPlatform.h"
#include "sound/PickerLists.h"
#include "sound/frmSoundPkr.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace brivel;

namespace {
const QString kApp = "Brivel", kSection = "Settings\\WaveFile";
const QStringList kFixtures = {"a.wav", "B.WAV", "c.Wav", "d.wave", "e.mp3", "mywav"};
const QString kOdd = "it's \"my\" grüße\nsong.wav";

// The real store; message boxes, sounds and the program folder are the test's.
class StorePlatform : public LinuxPlatform {
public:
    QString programFolder() override { return folder; }
    void messageBox(const QString &text) override { messages.append(text); }
    int waveOutDeviceCount() override { return 1; }
    void preloadWave(const QString &) override {}
    void playWave(const QString &, bool) override {}
    void beep() override {}
    QString folder;
    QStringList messages;
};

// Clicks the item whose name or path is key; twice makes it a double click.
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
    QString stored(const char *key) { return m_platform.GetSetting(kApp, kSection, key, "-"); }
    void store(const char *key, const QString &v)
    {
        m_platform.SaveSetting(kApp, kSection, key, v);
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
        QDir(m_dir->path()).mkpath("sub");
        for (const QString &name : kFixtures + QStringList{"sub/" + kOdd})
            QFile(at(name)).open(QIODevice::WriteOnly);
        m_platform.messages.clear();
        restart();
    }
    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The phone stays chosen over a restart, stored as its path; mute does not.
    void phoneChoiceSurvivesRestart()
    {
        frmTimer *w = &Forms::Timer();
        QVERIFY(w->mnuNewPhone->isChecked() && w->m_WaveFile == at("Phonenew.wav"));
        w->mnuOptionsMute->trigger();
        w->mnuOldPhone->trigger();
        QTest::mouseClick(w->cmdExit, Qt::LeftButton);
        w = &restart();
        QVERIFY(w->mnuOldPhone->isChecked() && !w->mnuNewPhone->isChecked());
        QVERIFY(!w->mnuOptionsMute->isChecked() && w->m_WaveFile == at("Phonerng.wav"));
        store("Current", at("PHONENEW.wav")); // another case is another file
        w = &restart();
        QVERIFY(!w->mnuOldPhone->isChecked() && !w->mnuNewPhone->isChecked()
                && w->m_WaveFile == at("PHONENEW.wav"));
    }

    // OK takes a name ending in "wav" in any case, clears both phones and
    // mute, and stores the picker's positions; anything else is a message.
    void okTakesOnlyNamesEndingInWav_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : kFixtures)
            QTest::newRow(qPrintable(name)) << name;
        QTest::newRow("nothing selected") << "";
    }
    void okTakesOnlyNamesEndingInWav()
    {
        QFETCH(QString, name);
        const bool accepted = name.toLower().endsWith("wav");
        frmTimer &main = Forms::Timer();
        main.mnuOldPhone->trigger();
        main.mnuOptionsMute->trigger();
        frmSoundPkr &p = open();
        QCOMPARE(p.bxDrives->Drive(), QStorageInfo(m_dir->path()).rootPath());
        QVERIFY(p.bxDirectories->Path() == m_dir->path() && p.bxFiles->Path() == m_dir->path());
        QCOMPARE(p.bxFiles->count(), kFixtures.size()); // not only wave files
        if (!name.isEmpty())
            clickItem(p.bxFiles, name);
        QCOMPARE(p.txtCurrentPath->text(), at(name.isEmpty() ? "Phonerng.wav" : name));
        QTest::mouseClick(p.cmdOK, Qt::LeftButton);
        QVERIFY(main.isVisible() == accepted && p.isVisible() == !accepted);
        QCOMPARE(main.m_WaveFile, at(accepted ? name : "Phonerng.wav"));
        QCOMPARE(main.mnuOldPhone->isChecked() || main.mnuOptionsMute->isChecked(), !accepted);
        QCOMPARE(stored("Current") + stored("Path"),
                 accepted ? at(name) + at(name) : at("Phonerng.wav") + "-");
        QCOMPARE(stored("Directory") + stored("Files"),
                 accepted ? m_dir->path() + m_dir->path() : "--");
        QCOMPARE(m_platform.messages,
                 accepted ? QStringList() : QStringList{"The selected file is not a .wav file."});
    }

    // After OK the picker keeps its lists; Cancel reloads them from the store.
    void okKeepsTheListsCancelReloadsTheStore()
    {
        frmSoundPkr *p = &open();
        clickItem(p->bxDirectories, at("sub"), true);
        QCOMPARE(p->bxFiles->count(), 1);
        clickItem(p->bxFiles, kOdd);
        QTest::mouseClick(p->cmdOK, Qt::LeftButton);
        QCOMPARE(&open(), p);
        QCOMPARE(p->bxFiles->FileName(), kOdd);
        clickItem(p->bxDirectories, m_dir->path(), true);
        p->txtCurrentPath->setText("elsewhere");
        QTest::mouseClick(p->cmdCancel, Qt::LeftButton);
        QVERIFY(Forms::Timer().isVisible() && !Forms::SoundPkrIfLoaded());
        p = &open();
        QVERIFY(p->bxDirectories->Path() == at("sub") && p->bxFiles->Path() == at("sub"));
        QCOMPARE(p->bxFiles->FileName(), QString());
        QCOMPARE(p->txtCurrentPath->text(), at("sub/" + kOdd));
    }

    // A double click is OK, whatever the name holds; Exit unloads the hidden
    // picker; closing the picker from the desktop brings the main window back.
    void doubleClickExitAndClose()
    {
        QPointer<frmSoundPkr> p = &open();
        clickItem(p->bxDirectories, at("sub"), true);
        clickItem(p->bxFiles, kOdd, true);
        QTest::mouseClick(Forms::Timer().cmdExit, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p && !Forms::SoundPkrIfLoaded() && !Forms::TimerIfLoaded());
        QCOMPARE(restart().m_WaveFile, at("sub/" + kOdd));
        QCOMPARE(open().txtCurrentPath->text(), at("sub/" + kOdd));
        Forms::SoundPkrIfLoaded()->close();
        QVERIFY(Forms::Timer().isVisible() && !Forms::SoundPkrIfLoaded());
    }

    // Stored positions that no longer exist fall back to the program folder.
    void brokenStoredPositionsFallBack()
    {
        // Drive (empty: the fixtures'), Directory, Files, and the folder the lists show.
        const QList<QStringList> cases{{"", "gone", "gone", ""},
                                       {"/no/such/volume", "sub", "sub", "sub"},
                                       {"", "sub", "gone", "sub"},
                                       {"", "a.wav", "a.wav", ""}};
        for (const QStringList &c : cases) {
            store("Drive", c[0].isEmpty() ? m_dir->path() : c[0]);
            store("Directory", at(c[1]));
            store("Files", at(c[2]));
            frmSoundPkr &p = open();
            QCOMPARE(p.bxDrives->Drive(), QStorageInfo(m_dir->path()).rootPath());
            QCOMPARE(p.bxDirectories->Path(), c[3].isEmpty() ? m_dir->path() : at(c[3]));
            QCOMPARE(p.bxFiles->Path(), p.bxDirectories->Path());
            restart();
        }
    }
};

QTEST_MAIN(TestAlarmChoice)
#include "tst_alarmchoice.moc"

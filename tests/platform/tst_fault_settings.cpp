// SPDX-License-Identifier: MIT
// Brivel over a settings store that is damaged or cannot be written: it
// starts with what can be read (the defaults where nothing can), every
// choice applies for the run, and a store that cannot be written keeps its
// old file byte for byte.
#include "FaultRig.h"

#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>

using namespace brivel;
using test::FaultPlatform;

namespace {

const QString Folder = QStringLiteral(BRIVEL_PROGRAM_DIR);
const QString NewPhone = Folder + QStringLiteral("/Phonenew.wav");
const QString OldPhone = Folder + QStringLiteral("/Phonerng.wav");

QByteArray noise()
{
    QByteArray bytes(2048, Qt::Uninitialized);
    QRandomGenerator random(8);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

// The store's folder and file as they stand, for a byte-for-byte comparison.
QByteArray snapshot(const QString &file)
{
    const QFileInfo folder(QFileInfo(file).absolutePath());
    QByteArray state =
        folder.isDir() ? "folder;" : "folder file:" + test::fileBytes(folder.filePath()) + ";";
    const QFileInfo info(file);
    if (info.isDir())
        state += "file is a folder";
    else if (info.exists())
        state += "file:" + test::fileBytes(file);
    return state;
}

} // namespace

class TestFaultSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<FaultPlatform> platform;
    QString file;
    QTemporaryDir sounds;

    frmTimer &load()
    {
        frmTimer &w = Forms::Timer();
        w.show();
        return w;
    }
    // Old Phone, then a file chosen in the picker; each save returns soon.
    void chooseSounds(frmTimer &w, const QString &bell)
    {
        QElapsedTimer clock;
        clock.start();
        w.mnuOldPhone->trigger();
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(w.m_WaveFile, OldPhone);
        QVERIFY(w.mnuOldPhone->isChecked() && !w.mnuNewPhone->isChecked());

        w.mnuOptionsSoundPicker->trigger();
        frmSoundPkr *picker = Forms::SoundPkrIfLoaded();
        QVERIFY(picker && picker->isVisible());
        QVERIFY(picker->bxDirectories->setPath(sounds.path()));
        QVERIFY(test::clickFile(*picker, QStringLiteral("bell.wav")));
        clock.restart();
        picker->cmdOK->click();
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(platform->messages.isEmpty());
        QCOMPARE(w.m_WaveFile, bell);
        QVERIFY(!w.mnuNewPhone->isChecked() && !w.mnuOldPhone->isChecked());
        QVERIFY(!picker->isVisible() && w.isVisible());
    }

private slots:
    void initTestCase()
    {
        QFile bell(sounds.filePath(QStringLiteral("bell.wav")));
        QVERIFY(bell.open(QIODevice::WriteOnly));
    }
    void init()
    {
        file = test::storeFile();
        const QString folder = QFileInfo(file).absolutePath();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        platform = std::make_unique<FaultPlatform>();
        Forms::setPlatform(platform.get());
    }
    void cleanup()
    {
        test::unloadWindows();
        platform.reset();
        QFile::setPermissions(QFileInfo(file).absolutePath(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void damagedStore_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("startsWith");
        QTest::addColumn<bool>("writable");

        const QByteArray oldPhone = "[Settings]\nWaveFile\\Current=" + OldPhone.toUtf8() + "\n";
        QTest::newRow("garbage") << "file" << QByteArray("}}{ not = [an ini\n\\\\\n=\n[[[]\n")
                                 << NewPhone << true;
        QTest::newRow("binary") << "file" << noise() << NewPhone << true;
        QTest::newRow("truncated in the section")
            << "file" << QByteArray("[Sett") << NewPhone << true;
        QTest::newRow("truncated in the key")
            << "file" << QByteArray("[Settings]\nWaveFile\\Cur") << NewPhone << true;
        // An ini file has no end mark: a value cut short is a path like any other.
        QTest::newRow("truncated in the value") << "file" << oldPhone.left(oldPhone.size() - 9)
                                                << OldPhone.left(OldPhone.size() - 8) << true;
        QTest::newRow("file is a folder") << "file-folder" << QByteArray() << NewPhone << false;
        QTest::newRow("folder is a file")
            << "folder-file" << QByteArray("mine") << NewPhone << false;
        QTest::newRow("folder read-only") << "read-only" << oldPhone << OldPhone << false;
    }
    void damagedStore()
    {
        QFETCH(QString, obstacle);
        QFETCH(QByteArray, content);
        QFETCH(QString, startsWith);
        QFETCH(bool, writable);
        if (obstacle == QLatin1String("read-only"))
            BRIVEL_AS_NOBODY();

        const QString folder = QFileInfo(file).absolutePath();
        if (obstacle == QLatin1String("folder-file")) {
            QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.write(content);
        } else {
            QVERIFY(QDir().mkpath(folder));
            if (obstacle == QLatin1String("file-folder")) {
                QVERIFY(QDir().mkpath(file));
            } else {
                QFile store(file);
                QVERIFY(store.open(QIODevice::WriteOnly));
                store.write(content);
            }
        }
        if (obstacle == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray before = snapshot(file);

        // Start-up reads what it can.
        frmTimer &w = load();
        QCOMPARE(w.m_WaveFile, startsWith);
        QCOMPARE(w.mnuNewPhone->isChecked(), startsWith == NewPhone);
        QCOMPARE(w.mnuOldPhone->isChecked(), startsWith == OldPhone);

        // The choices hold for the run, and the alarm plays the last one.
        const QString bell = sounds.filePath(QStringLiteral("bell.wav"));
        chooseSounds(w, bell);
        if (QTest::currentTestFailed())
            return;
        w.txtNumMin->setText(QStringLiteral("0"));
        w.cmdGo->click();
        w.Timer2_Timer();
        QCOMPARE(platform->plays, QStringList{bell});

        if (writable) {
            QCOMPARE(platform->GetSetting(QStringLiteral("Brivel"),
                                          QStringLiteral("Settings\\WaveFile"),
                                          QStringLiteral("Current"), QString()),
                     bell);
        } else {
            QCOMPARE(snapshot(file), before);
        }

        // The next start: the last choice if it could be stored.
        test::unloadWindows();
        frmTimer &again = load();
        QCOMPARE(again.m_WaveFile, writable ? bell : startsWith);
    }
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    test::privateHome(home);
    QApplication app(argc, argv);
    TestFaultSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fault_settings.moc"

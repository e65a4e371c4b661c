// SPDX-License-Identifier: MIT
// Brivel over a settings store that is damaged, cannot be written or stays
// locked: it starts with what can be read, a choice applies for the run
// without a hang, and a store that cannot be written keeps its old file.
#include "FaultRig.h"

#include "timer/Timer2.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>

using namespace brivel;
using test::FaultPlatform;

namespace {

const QString NewPhone = QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonenew.wav");
const QString OldPhone = QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonerng.wav");
constexpr QFile::Permissions Open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

} // namespace

class TestFaultSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<FaultPlatform> platform;
    const QString file = test::storeFile();
    const QString folder = QFileInfo(file).absolutePath();

private slots:
    void init()
    {
        QFile::setPermissions(folder, Open);
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        platform = std::make_unique<FaultPlatform>();
        Forms::setPlatform(platform.get());
    }
    void cleanup()
    {
        test::unloadWindows();
        platform.reset();
        QFile::setPermissions(folder, Open);
    }

    void damagedStore_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("startsWith");
        const QByteArray old = "[Settings]\nWaveFile\\Current=" + OldPhone.toUtf8() + "\n";
        QTest::newRow("garbage") << "file" << QByteArray("}}{ not = [an ini\n\\\\\n=\n[[[]\n")
                                 << NewPhone;
        // An ini file has no end mark: a value cut short is a path like any other.
        QTest::newRow("cut in the value") << "file" << old.chopped(9) << OldPhone.chopped(8);
        QTest::newRow("file is a folder") << "file-folder" << QByteArray() << NewPhone;
        QTest::newRow("folder is a file") << "folder-file" << QByteArray("mine") << NewPhone;
        QTest::newRow("folder read-only") << "read-only" << old << OldPhone;
        QTest::newRow("lock held") << "lock-held" << old << OldPhone;
        QTest::newRow("lock is a folder") << "lock-folder" << old << OldPhone;
    }
    void damagedStore()
    {
        QFETCH(QString, obstacle);
        QFETCH(QByteArray, content);
        QFETCH(QString, startsWith);
        const bool writable = obstacle == "file"; // only a damaged file is replaced
        if (obstacle == "read-only")
            BRIVEL_AS_NOBODY();
        QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
        QFile store(obstacle == "folder-file" ? folder : file);
        QVERIFY(obstacle == "folder-file" || QDir().mkpath(folder));
        if (obstacle == "file-folder" || obstacle == "lock-folder")
            QVERIFY(QDir().mkpath(obstacle == "file-folder" ? file : file + ".lock"));
        if (!content.isNull())
            QVERIFY(store.open(QIODevice::WriteOnly) && store.write(content) == content.size());
        store.close();
        QLockFile lock(file + QStringLiteral(".lock"));
        QVERIFY(obstacle != "lock-held" || lock.tryLock(0));
        if (obstacle == "read-only")
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const auto snapshot = [this] { return test::fileBytes(folder) + test::fileBytes(file); };
        const QByteArray before = snapshot();

        frmTimer &w = Forms::Timer();
        w.show();
        QCOMPARE(w.m_WaveFile, startsWith);
        const QString chosen = startsWith == OldPhone ? NewPhone : OldPhone;
        QElapsedTimer clock;
        clock.start();
        (startsWith == OldPhone ? w.mnuNewPhone : w.mnuOldPhone)->trigger();
        QVERIFY2(clock.elapsed() < 5000, "the choice waited on the store");
        QVERIFY(platform->messages.isEmpty());
        w.txtNumMin->setText(QStringLiteral("0"));
        w.cmdGo->click();
        w.Timer2_Timer();
        QCOMPARE(platform->plays, QStringList{chosen});
        if (!writable)
            QCOMPARE(snapshot(), before);

        // The next start: the choice if it could be stored.
        test::unloadWindows();
        QCOMPARE(Forms::Timer().m_WaveFile, writable ? chosen : startsWith);
    }
};

BRIVEL_FAULT_MAIN(TestFaultSettings)

#include "tst_fault_settings.moc"

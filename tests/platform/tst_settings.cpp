// SPDX-License-Identifier: MIT
// The per-user settings store of the real platform: where the file is, what
// it holds, and that a store that cannot be written or read is never harmed.
#include "platform/LinuxPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace brivel;

namespace {

const QString App = QStringLiteral("Brivel");
const QString Section = QStringLiteral("Settings\\WaveFile");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A folder nobody may create files in, root included, until destroyed.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path) : m_path(QFile::encodeName(path))
    {
        if (geteuid() != 0) {
            m_done = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
            return;
        }
        m_fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (m_fd >= 0 && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_done = ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_fd >= 0) {
            int flags = 0;
            if (ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(m_fd);
        } else {
            QFile::setPermissions(QFile::decodeName(m_path),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    bool done() const { return m_done; }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_done = false;
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                   + QStringLiteral("/Brivel");
        m_file = m_folder + QStringLiteral("/Brivel.ini");
        QFile::remove(m_file + QStringLiteral(".lock"));
        QDir(m_folder).removeRecursively();
        QFile::remove(m_folder);
    }

    // One INI file per user; the section nests as groups, so Old Phone's path
    // is WaveFile\Current under [Settings], in $XDG_CONFIG_HOME/Brivel.
    void fileAndFormat()
    {
        const QByteArray expected = "[Settings]\nWaveFile\\Current=/opt/brivel/Phonerng.wav\n";
        m_platform.SaveSetting(App, Section, QStringLiteral("Current"),
                               QStringLiteral("/opt/brivel/Phonerng.wav"));
        QCOMPARE(readAll(m_file), expected);

        QTemporaryDir xdg;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVEL_SETTINGS_CHILD"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), xdg.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(readAll(xdg.filePath(QStringLiteral("Brivel/Brivel.ini"))), expected);
    }

    // Whatever a path holds comes back exactly; a missing key gives the default.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QStringLiteral("/opt/brivel/Phonenew.wav");
        QTest::newRow("comma") << QStringLiteral("/home/ann/Rings, old/bell.wav");
        QTest::newRow("ini characters") << QStringLiteral("/a=b/;c/#d/[e]/\"f\".wav");
        QTest::newRow("backslashes") << QStringLiteral("C:\\Sounds\\ring.wav");
        QTest::newRow("non-Latin") << QStringLiteral("/home/jürgen/Klänge/звонок ♪.wav");
        QTest::newRow("line break") << QStringLiteral("/tmp/two\nlines.wav");
    }
    void roundTrip()
    {
        QFETCH(QString, value);
        QCOMPARE(
            m_platform.GetSetting(App, Section, QStringLiteral("Current"), QStringLiteral("d")),
            QStringLiteral("d"));
        m_platform.SaveSetting(App, Section, QStringLiteral("Current"), value);
        m_platform.SaveSetting(App, Section, QStringLiteral("Path"), QStringLiteral("/x"));
        QCOMPARE(
            m_platform.GetSetting(App, Section, QStringLiteral("Current"), QStringLiteral("d")),
            value);
        QCOMPARE(m_platform.GetSetting(App, Section, QStringLiteral("Path"), QString()),
                 QStringLiteral("/x"));
        QCOMPARE(m_platform.GetSetting(App, Section, QStringLiteral("Drive"), QStringLiteral("d")),
                 QStringLiteral("d"));
    }

    // A store that cannot be written keeps its old file byte for byte, and
    // the save returns soon without an error.
    void unwritable_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("folder read-only") << QStringLiteral("read-only");
        QTest::newRow("file is a folder") << QStringLiteral("file-folder");
        QTest::newRow("folder is a file") << QStringLiteral("folder-file");
        QTest::newRow("lock held") << QStringLiteral("lock-held");
        QTest::newRow("lock is a folder") << QStringLiteral("lock-folder");
    }
    void unwritable()
    {
        QFETCH(QString, obstacle);
        const QByteArray old = "[Settings]\nWaveFile\\Current=/old.wav\n";
        QVERIFY(QDir().mkpath(m_folder));
        if (obstacle == QLatin1String("folder-file")) {
            QVERIFY(QDir(m_folder).removeRecursively());
        } else if (obstacle != QLatin1String("file-folder")) {
            QFile file(m_file);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        // What stands in the way, a file or folder where the other belongs.
        QString blocker;
        if (obstacle == QLatin1String("folder-file")) {
            blocker = m_folder;
            QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        } else if (obstacle.endsWith(QLatin1String("folder"))) {
            blocker = obstacle == QLatin1String("file-folder") ? m_file : m_file + ".lock";
            QVERIFY(QDir().mkpath(blocker));
        }
        QLockFile lock(m_file + QStringLiteral(".lock"));
        if (obstacle == QLatin1String("lock-held"))
            QVERIFY(lock.tryLock(0));
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (obstacle == QLatin1String("read-only")) {
            readOnly = std::make_unique<ReadOnlyFolder>(m_folder);
            if (!readOnly->done())
                QSKIP("this file system cannot make a folder read-only for root");
        }
        const QByteArray before = readAll(m_file);

        QElapsedTimer clock;
        clock.start();
        QVERIFY(!writeSetting(App, Section, QStringLiteral("Current"), QStringLiteral("/new.wav")));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(readAll(m_file), before);
        QVERIFY(blocker.isEmpty() || QFileInfo(blocker).exists());
        const QString expected = before == old ? QStringLiteral("/old.wav") : QStringLiteral("d");
        QCOMPARE(
            m_platform.GetSetting(App, Section, QStringLiteral("Current"), QStringLiteral("d")),
            expected);
    }

    // A damaged file reads as an empty store; a save then writes a sound one,
    // except over a file far too big to be Brivel's, which is left alone.
    void damaged_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("recovers");
        QByteArray noise(4096, Qt::Uninitialized);
        QRandomGenerator random(42);
        for (char &c : noise)
            c = char(random.bounded(256));
        QTest::newRow("random bytes") << noise << true;
        QTest::newRow("cut in a section") << QByteArray("[Sett") << true;
        QTest::newRow("unclosed section")
            << QByteArray("[Settings\nWaveFile\\Current=/x.wav\n") << true;
        QTest::newRow("NUL bytes")
            << QByteArray("[Settings]\0\0\0WaveFile\\Current\0=\0", 33) << true;
        QTest::newRow("bad variant")
            << QByteArray("[Settings]\nWaveFile\\Current=@Variant(\\0\\0\\0\\x7f)\n") << true;
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe[\0S\0]\0\n\0", 10) << true;
        QTest::newRow("huge") << QByteArray(2 << 20, 'x').prepend("[Settings]\nWaveFile\\Current=")
                              << false;
    }
    void damaged()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, recovers);
        QVERIFY(QDir().mkpath(m_folder));
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QCOMPARE(
            m_platform.GetSetting(App, Section, QStringLiteral("Current"), QStringLiteral("d")),
            QStringLiteral("d"));
        m_platform.SaveSetting(App, Section, QStringLiteral("Current"), QStringLiteral("/new.wav"));
        QCOMPARE(
            m_platform.GetSetting(App, Section, QStringLiteral("Current"), QStringLiteral("d")),
            recovers ? QStringLiteral("/new.wav") : QStringLiteral("d"));
        if (!recovers)
            QCOMPARE(readAll(m_file), content);
    }

private:
    LinuxPlatform m_platform;
    QString m_folder;
    QString m_file;
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("BRIVEL_SETTINGS_CHILD"))
        return writeSetting(App, Section, QStringLiteral("Current"),
                            QStringLiteral("/opt/brivel/Phonerng.wav"))
                   ? 0
                   : 1;
    QStandardPaths::setTestModeEnabled(true);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"

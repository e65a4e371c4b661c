// SPDX-License-Identifier: MIT
// The per-user settings store of the real platform: where the file is, what
// it holds, and what becomes of a damaged one.
#include "FaultRig.h"

#include <QDir>
#include <QRandomGenerator>

using namespace brivel;

namespace {

const QString App = QStringLiteral("Brivel");
const QString Section = QStringLiteral("Settings\\WaveFile");
const QString Current = QStringLiteral("Current");

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    LinuxPlatform platform;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QStringLiteral("/Brivel");
    const QString file = folder + QStringLiteral("/Brivel.ini");

    QString current() { return platform.GetSetting(App, Section, Current, QStringLiteral("d")); }

private slots:
    void init() { QDir(folder).removeRecursively(); }

    // One INI file per user in $XDG_CONFIG_HOME/Brivel; the section nests as
    // groups, so the path is WaveFile\Current under [Settings].
    void fileAndFormat()
    {
        QTemporaryDir xdg;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRIVEL_SETTINGS_CHILD"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), xdg.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(test::fileBytes(xdg.filePath(QStringLiteral("Brivel/Brivel.ini"))),
                 QByteArray("[Settings]\nWaveFile\\Current=/opt/brivel/Phonerng.wav\n"));
    }

    // Whatever a path holds comes back exactly; a missing key gives the default.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("comma") << QStringLiteral("/home/ann/Rings, old/bell.wav");
        QTest::newRow("ini characters") << QStringLiteral("/a=b/;c/#d/[e]/\"f\"\\g.wav");
        QTest::newRow("non-Latin") << QStringLiteral("/home/jürgen/Klänge/звонок ♪.wav");
        QTest::newRow("line break") << QStringLiteral("/tmp/two\nlines.wav");
    }
    void roundTrip()
    {
        QFETCH(QString, value);
        QCOMPARE(current(), QStringLiteral("d"));
        platform.SaveSetting(App, Section, Current, value);
        platform.SaveSetting(App, Section, QStringLiteral("Path"), QStringLiteral("/x"));
        QCOMPARE(current(), value);
        QCOMPARE(platform.GetSetting(App, Section, QStringLiteral("Path"), {}),
                 QStringLiteral("/x"));
    }

    // A damaged file reads as an empty store and a save writes a sound one,
    // except over a file far too big to be Brivel's, which is left alone.
    void damaged_data()
    {
        QTest::addColumn<QByteArray>("content");
        QByteArray noise(4096, Qt::Uninitialized);
        QRandomGenerator random(42);
        for (char &c : noise)
            c = char(random.bounded(256));
        QTest::newRow("random bytes") << noise;
        QTest::newRow("unclosed section") << QByteArray("[Settings\nWaveFile\\Current=/x.wav\n");
        QTest::newRow("NUL bytes") << QByteArray("[Settings]\0\0\0WaveFile\\Current\0=\0", 33);
        QTest::newRow("bad variant")
            << QByteArray("[Settings]\nWaveFile\\Current=@Variant(\\0\\0\\0\\x7f)\n");
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe[\0S\0]\0\n\0", 10);
        QTest::newRow("huge") << QByteArray(2 << 20, 'x').prepend("[Settings]\nWaveFile\\Current=");
    }
    void damaged()
    {
        QFETCH(QByteArray, content);
        QVERIFY(QDir().mkpath(folder));
        QFile store(file);
        QVERIFY(store.open(QIODevice::WriteOnly) && store.write(content) == content.size());
        store.close();
        QCOMPARE(current(), QStringLiteral("d"));
        platform.SaveSetting(App, Section, Current, QStringLiteral("/new.wav"));
        const bool huge = content.size() > 1024 * 1024;
        QCOMPARE(current(), huge ? QStringLiteral("d") : QStringLiteral("/new.wav"));
        if (huge)
            QCOMPARE(test::fileBytes(file), content);
    }
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("BRIVEL_SETTINGS_CHILD"))
        return writeSetting(App, Section, Current, QStringLiteral("/opt/brivel/Phonerng.wav")) ? 0
                                                                                               : 1;
    QStandardPaths::setTestModeEnabled(true);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"

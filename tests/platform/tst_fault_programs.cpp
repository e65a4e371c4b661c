// SPDX-License-Identifier: MIT
// Starting the help viewer and the system information tool on the real
// platform when they are missing, and with paths that a shell would take
// apart: no shell ever runs, the program gets the path as one piece, and a
// program that cannot be started gets its message.
#include "FaultRig.h"

#include "about/frmAbout.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

using namespace brivel;
using test::FaultPlatform;

namespace {

const QString HelpNotOpened = QStringLiteral("The help file could not be opened.");
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");

// Writes an executable that records its arguments, each ended by a NUL.
void writeRecorder(const QString &path, const QString &record)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '"
               + QFile::encodeName(record) + "'\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

QStringList recorded(const QString &path)
{
    QStringList args;
    const QByteArray bytes = test::fileBytes(path);
    for (const QByteArray &arg : bytes.split('\0'))
        args << QString::fromUtf8(arg);
    args.removeLast(); // after the last NUL
    return args;
}

// A machine hive whose tool location 1 is the given path, as REG_SZ bytes.
void writeHive(const QString &hive, const QString &toolPath)
{
    QByteArray bytes;
    for (const char c : toolPath.toUtf8() + '\0')
        bytes += QByteArray::number(quint8(c), 16).rightJustified(2, '0') + ',';
    bytes.chop(1);
    QFile file(hive);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
               "\"PATH\"=hex(1):"
               + bytes + "\n");
}

} // namespace

class TestFaultPrograms : public QObject {
    Q_OBJECT

    std::unique_ptr<FaultPlatform> platform;
    std::unique_ptr<QTemporaryDir> place;
    QString marker; // created only if a shell ran a command of the path

    // Texts that a shell would run a command from; MARK stands for the
    // marker's path.
    static void unsafeRows()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << QStringLiteral("my help  file");
        QTest::newRow("quotes") << QStringLiteral("\"my\" 'help' \"");
        QTest::newRow("semicolon") << QStringLiteral("help; touch MARK;");
        QTest::newRow("substitution") << QStringLiteral("help$(touch MARK)");
        QTest::newRow("backquotes") << QStringLiteral("help`touch MARK`");
        QTest::newRow("newline") << QStringLiteral("help\ntouch MARK\n");
        QTest::newRow("and, pipe") << QStringLiteral("help && touch MARK | x");
    }
    QString fetchName()
    {
        QFETCH(QString, name);
        return name.replace(QLatin1String("MARK"), marker);
    }

private slots:
    void init()
    {
        place = std::make_unique<QTemporaryDir>();
        marker = place->filePath(QStringLiteral("MARK"));
        QVERIFY(QDir().mkdir(place->filePath(QStringLiteral("bin"))));
        // Nothing on the search path but an empty folder: only what a case
        // puts beside Brivel can start.
        qputenv("PATH", QFile::encodeName(place->filePath(QStringLiteral("path"))));
        platform = std::make_unique<FaultPlatform>();
        platform->folder = place->filePath(QStringLiteral("bin"));
        Forms::setPlatform(platform.get());
        Forms::Timer().show();
    }
    void cleanup()
    {
        test::unloadWindows();
        platform.reset();
        place.reset();
    }

    // No viewer: the help command and F1 report it, the countdown goes on.
    void missingViewer()
    {
        frmTimer &w = Forms::Timer();
        w.mnuHelpBrivelHelp->trigger();
        QCOMPARE(platform->messages, QStringList{HelpNotOpened});
        QTest::keyClick(&w, Qt::Key_F1);
        QCOMPARE(platform->messages, (QStringList{HelpNotOpened, HelpNotOpened}));
        QVERIFY(w.isVisible());
    }

    // The help file path reaches the viewer as one argument, exactly.
    void helpPath_data() { unsafeRows(); }
    void helpPath()
    {
        const QString name = fetchName();
        const QString record = place->filePath(QStringLiteral("viewer-args"));
        writeRecorder(platform->folder + QStringLiteral("/Winhlp32.exe"), record);
        platform->helpFile = place->filePath(name + QStringLiteral(".hlp"));

        Forms::Timer().mnuHelpBrivelHelp->trigger();
        QTRY_VERIFY(QFileInfo(record).size() > 0);
        QCOMPARE(recorded(record), QStringList{platform->helpFile});
        QVERIFY(platform->messages.isEmpty());

        QFile::remove(record);
        QTest::keyClick(&Forms::Timer(), Qt::Key_F1);
        QTRY_VERIFY(QFileInfo(record).size() > 0);
        QCOMPARE(recorded(record), QStringList{QStringLiteral("-topic 1 ") + platform->helpFile});
        QVERIFY(!QFileInfo::exists(marker));
    }

    // The system information tool named by such a path: it runs if it
    // exists, and only it; else the message.
    void toolPath_data() { unsafeRows(); }
    void toolPath()
    {
        const QString name = fetchName();
        const QString record = place->filePath(QStringLiteral("tool-args"));
        const QString tool = place->filePath(name);
        platform->hivePath = place->filePath(QStringLiteral("machine.reg"));
        writeHive(platform->hivePath, tool + QStringLiteral(".missing"));

        Forms::Timer().mnuHelpAboutBrivel->trigger();
        frmAbout *about = Forms::AboutIfLoaded();
        QVERIFY(about);
        about->cmdSysInfo->click();
        QCOMPARE(platform->messages, QStringList{Unavailable});

        // The marker's slashes make folders on the way to the tool.
        QVERIFY(QDir().mkpath(QFileInfo(tool).absolutePath()));
        writeRecorder(tool, record);
        writeHive(platform->hivePath, tool);
        about->cmdSysInfo->click();
        QTRY_VERIFY(QFileInfo::exists(record));
        QCOMPARE(recorded(record), QStringList());
        QCOMPARE(platform->messages, QStringList{Unavailable});
        QVERIFY(!QFileInfo::exists(marker));
        QVERIFY(about->isVisible());
    }

    // Location 2 holds a folder without the tool: the message, nothing runs.
    void missingTool()
    {
        platform->hivePath = place->filePath(QStringLiteral("machine.reg"));
        QFile hive(platform->hivePath);
        QVERIFY(hive.open(QIODevice::WriteOnly));
        hive.write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n"
                   "\"MSINFO\"=\""
                   + QFile::encodeName(place->path()) + "\"\n");
        hive.close();
        Forms::Timer().mnuHelpAboutBrivel->trigger();
        Forms::AboutIfLoaded()->cmdSysInfo->click();
        QCOMPARE(platform->messages, QStringList{Unavailable});
    }
};

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    test::privateHome(home);
    QApplication app(argc, argv);
    TestFaultPrograms test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fault_programs.moc"

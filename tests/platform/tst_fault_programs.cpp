// SPDX-License-Identifier: MIT
// Starting the help viewer and the system information tool when they are
// missing, and with paths a shell would take apart: no shell ever runs, the
// program gets the path as one piece, and a missing one gets its message.
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

// An executable that records its arguments, each ended by a NUL; the
// record appears whole.
void writeRecorder(const QString &path, const QString &record)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray to = "'" + QFile::encodeName(record) + "'";
    file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > " + to
               + ".new\n/bin/mv " + to + ".new " + to + "\n");
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

// What the recorder was given, once it ran; its file is taken away.
QStringList recorded(const QString &path)
{
    if (!QTest::qWaitFor([&path] { return QFileInfo::exists(path); }, 5000))
        return {QStringLiteral("<did not run>")};
    QStringList args = QString::fromUtf8(test::fileBytes(path)).split(QChar(0));
    QFile::remove(path);
    args.removeLast(); // after the last NUL
    return args;
}

// A machine hive naming the tool at location 1 (as REG_SZ bytes) and a
// folder at location 2.
void writeHive(const QString &hive, const QString &tool, const QString &folder)
{
    QFile file(hive);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\n"
               "\"PATH\"=hex(1):"
               + tool.toUtf8().append('\0').toHex(',')
               + "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\n"
                 "\"MSINFO\"=\""
               + QFile::encodeName(folder) + "\"\n");
}

} // namespace

class TestFaultPrograms : public QObject {
    Q_OBJECT

    std::unique_ptr<FaultPlatform> platform;
    std::unique_ptr<QTemporaryDir> place;

private slots:
    void init()
    {
        place = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkdir(place->filePath(QStringLiteral("bin"))));
        // Only what a case puts beside Brivel can start.
        qputenv("PATH", QFile::encodeName(place->filePath(QStringLiteral("path"))));
        platform = std::make_unique<FaultPlatform>();
        platform->folder = place->filePath(QStringLiteral("bin"));
        platform->hivePath = place->filePath(QStringLiteral("machine.reg"));
        Forms::setPlatform(platform.get());
        Forms::Timer().show();
    }
    void cleanup()
    {
        test::unloadWindows();
        platform.reset();
        place.reset();
    }

    // Paths a shell would run a command from (MARK is a file only a shell
    // would create), for the help viewer and the system information tool.
    void hostilePath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks and quotes") << QStringLiteral("my \"help\"  'file' \"");
        QTest::newRow("commands") << QStringLiteral("h; touch MARK; $(touch MARK)`touch MARK`&&|x");
        QTest::newRow("newline") << QStringLiteral("help\ntouch MARK\n");
    }
    void hostilePath()
    {
        QFETCH(QString, name);
        const QString marker = place->filePath(QStringLiteral("MARK"));
        name.replace(QLatin1String("MARK"), marker);
        const QString record = place->filePath(QStringLiteral("args"));

        // Nothing installed: the help command, F1 and a tool that is at
        // neither location each say so.
        frmTimer &w = Forms::Timer();
        platform->helpFile = place->filePath(name + QStringLiteral(".hlp"));
        const QString tool = place->filePath(name);
        writeHive(platform->hivePath, tool + QStringLiteral(".missing"), place->path());
        w.mnuHelpBrivelHelp->trigger();
        QTest::keyClick(&w, Qt::Key_F1);
        w.mnuHelpAboutBrivel->trigger();
        frmAbout &about = *Forms::AboutIfLoaded();
        about.cmdSysInfo->click();
        QCOMPARE(platform->messages, (QStringList{HelpNotOpened, HelpNotOpened, Unavailable}));

        // Installed, each gets the path as one piece, and only it runs.
        writeRecorder(platform->folder + QStringLiteral("/Winhlp32.exe"), record);
        w.mnuHelpBrivelHelp->trigger();
        QCOMPARE(recorded(record), QStringList{platform->helpFile});
        QTest::keyClick(&w, Qt::Key_F1);
        QCOMPARE(recorded(record), QStringList{QStringLiteral("-topic 1 ") + platform->helpFile});
        QVERIFY(QDir().mkpath(QFileInfo(tool).absolutePath())); // the marker's slashes
        writeRecorder(tool, record);
        writeHive(platform->hivePath, tool, place->path());
        about.cmdSysInfo->click();
        QCOMPARE(recorded(record), QStringList());
        QCOMPARE(platform->messages.size(), 3);
        QVERIFY(!QFileInfo::exists(marker) && w.isVisible() && about.isVisible());
    }
};

BRIVEL_FAULT_MAIN(TestFaultPrograms)

#include "tst_fault_programs.moc"

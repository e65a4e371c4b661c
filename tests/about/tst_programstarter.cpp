// SPDX-License-Identifier: MIT
// Starting programs from a command line: which program runs, with which
// argument, and that nothing in the text can start anything else.
#include "platform/Platform.h"
#include "platform/ProgramStarter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace brivel;

class TestProgramStarter : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;
    QString m_folder; // the program folder; its name has a blank

    // A program that writes its show-window value and its arguments to
    // <root>/<report>.txt.
    void writeProgram(const QString &path, const QString &report)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nout='%1.txt'\n"
                               "{ echo \"show=$BRIVEL_SHOW_WINDOW\"; for a in \"$@\"; do\n"
                               "  echo \"arg=$a\"; done; } > \"$out.part\" && mv \"$out.part\" "
                               "\"$out\"\n")
                    .arg(m_root.filePath(report))
                    .toUtf8());
        QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner));
    }

    QStringList report(const QString &name)
    {
        QFile f(m_root.filePath(name + QStringLiteral(".txt")));
        [&] { QTRY_VERIFY(f.exists()); }();
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QStringList lines =
            QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        f.remove();
        return lines;
    }

private slots:
    void initTestCase()
    {
        QDir root(m_root.path());
        QVERIFY(root.mkpath(QStringLiteral("program folder")));
        QVERIFY(root.mkpath(QStringLiteral("bin")));
        m_folder = root.filePath(QStringLiteral("program folder"));
        writeProgram(m_folder + QStringLiteral("/tool"), QStringLiteral("tool"));
        writeProgram(m_folder + QStringLiteral("/my viewer"), QStringLiteral("viewer"));
        writeProgram(root.filePath(QStringLiteral("bin/tool")), QStringLiteral("shadowed"));
        writeProgram(root.filePath(QStringLiteral("bin/pathonly")), QStringLiteral("pathonly"));
        QFile notes(root.filePath(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        qputenv("PATH", root.filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + qgetenv("PATH"));
        QDir::setCurrent(m_root.path()); // where an escaped "touch x" would land
    }

    void runs_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("program"); // its report
        QTest::addColumn<QStringList>("arguments");
        const QString x = m_root.filePath(QStringLiteral("x"));
        QTest::newRow("whole line names a program") << m_folder + "/my viewer"
                                                    << "viewer" << QStringList();
        QTest::newRow("program folder before PATH, rest is one argument")
            << "tool /opt/b/Brivel Help.hlp"
            << "tool" << QStringList{"/opt/b/Brivel Help.hlp"};
        QTest::newRow("blanks kept") << "tool a  b "
                                     << "tool" << QStringList{"a  b "};
        QTest::newRow("PATH") << "pathonly"
                              << "pathonly" << QStringList();
        QTest::newRow(";") << "tool a; touch " + x << "tool" << QStringList{"a; touch " + x};
        QTest::newRow("$()") << "tool $(touch " + x + ")"
                             << "tool" << QStringList{"$(touch " + x + ")"};
        QTest::newRow("quotes, backquotes, pipe")
            << "tool \"a\" '`touch x`' | touch x"
            << "tool" << QStringList{"\"a\" '`touch x`' | touch x"};
    }

    void runs()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QVERIFY(startCommandLine(commandLine, SW_SHOWNOACTIVATE, m_folder) > 0);
        QStringList expected{QStringLiteral("show=4")};
        for (const QString &a : std::as_const(arguments))
            expected << QStringLiteral("arg=") + a;
        QCOMPARE(report(program), expected);
        QVERIFY(!QFile::exists(m_root.filePath(QStringLiteral("x"))));
        QVERIFY(!QFile::exists(m_root.filePath(QStringLiteral("shadowed.txt"))));
    }

    void failsWithZero_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing program") << QStringLiteral("no-such-program x");
        QTest::newRow("not executable") << m_root.filePath(QStringLiteral("notes.txt"));
        QTest::newRow("a folder") << m_folder;
        QTest::newRow("path cut at its first blank") << m_folder + QStringLiteral("/my viewer x");
    }

    void failsWithZero()
    {
        QFETCH(QString, commandLine);
        QCOMPARE(startCommandLine(commandLine, SW_SHOWNOACTIVATE, m_folder), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TestProgramStarter)
#include "tst_programstarter.moc"

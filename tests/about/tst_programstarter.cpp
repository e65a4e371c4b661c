// SPDX-License-Identifier: MIT
// Starting programs from a command line: which program runs, with which one
// argument, and that nothing in the text can start anything else.
#include "platform/Platform.h"
#include "platform/ProgramStarter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace brivel;

class TestProgramStarter : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;

private slots:
    void initTestCase()
    {
        // Programs that report who they are, the show-window value and their arguments.
        QDir::setCurrent(m_root.path()); // where a report, or an escaped "touch x", lands
        QVERIFY(QDir().mkpath("program folder") && QDir().mkpath("bin"));
        for (const char *name : {"program folder/tool", "program folder/my viewer", "bin/tool",
                                 "bin/pathonly", "notes.txt"}) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\nprintf '%s|' \"$0\" \"$BRIVEL_SHOW_WINDOW\" \"$@\" > out.part && "
                    "mv out.part out\n");
            f.setPermissions(name[0] == 'n' ? f.permissions() : f.permissions() | QFile::ExeOwner);
        }
        qputenv("PATH", m_root.filePath("bin").toLocal8Bit() + ':' + qgetenv("PATH"));
    }

    void start_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("report"); // empty: nothing starts
        const QString x = m_root.filePath("x"), folder = m_root.filePath("program folder"),
                      hostile = "a; touch " + x + " $(touch " + x + ") \"a\" '`touch x`' | touch x";
        const auto row = [&](const char *name, const QString &line, const QString &ran = {},
                             const QString &args = {}) {
            QTest::newRow(name) << line
                                << (ran.isEmpty() ? "" : m_root.filePath(ran) + "|4|" + args);
        };
        row("whole line", folder + "/my viewer", "program folder/my viewer");
        row("folder before PATH, blanks kept", "tool /a  b.hlp ", "program folder/tool",
            "/a  b.hlp |");
        row("PATH", "pathonly", "bin/pathonly");
        row("no shell", "tool " + hostile, "program folder/tool", hostile + "|");
        row("empty", "");
        row("missing program", "no-such-program x");
        row("not executable", m_root.filePath("notes.txt"));
        row("cut at the first blank", folder + "/my viewer x");
    }

    void start()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, report);
        const qint64 pid =
            startCommandLine(commandLine, SW_SHOWNOACTIVATE, m_root.filePath("program folder"));
        QCOMPARE(pid > 0, !report.isEmpty());
        QFile out(m_root.filePath("out"));
        if (pid > 0) {
            QTRY_VERIFY(out.exists());
            QVERIFY(out.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(out.readAll()), report);
            QVERIFY(out.remove());
        }
        QVERIFY(!QFile::exists(m_root.filePath("x")));
    }
};

QTEST_GUILESS_MAIN(TestProgramStarter)
#include "tst_programstarter.moc"

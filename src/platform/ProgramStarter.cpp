// SPDX-License-Identifier: MIT
#include "ProgramStarter.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace brivel {

namespace {

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The file a program name stands for: a name with a folder is taken as it
// is; a bare name is looked for beside Brivel first, then on PATH. Empty
// when there is no such executable file.
QString findProgram(const QString &name, const QString &programFolder)
{
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/')))
        return isExecutableFile(name) ? QFileInfo(name).absoluteFilePath() : QString();
    if (!programFolder.isEmpty()) {
        const QString beside = QDir(programFolder).filePath(name);
        if (isExecutableFile(beside))
            return beside;
    }
    return QStandardPaths::findExecutable(name);
}

} // namespace

qint64 startCommandLine(const QString &commandLine, int showWindow, const QString &programFolder,
                        const QRect &beside)
{
    // The text is never handed to a shell: it names one program and at most
    // one argument, and nothing in it can start anything else.
    QString program = findProgram(commandLine, programFolder);
    QStringList arguments;
    if (program.isEmpty()) {
        const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
        if (blank < 0)
            return 0;
        program = findProgram(commandLine.left(blank), programFolder);
        if (program.isEmpty())
            return 0;
        const QString rest = commandLine.mid(blank + 1);
        if (!rest.isEmpty())
            arguments << rest;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(ShowWindowVariable), QString::number(showWindow));
    if (beside.isValid())
        environment.insert(QLatin1String(BesideVariable), QStringLiteral("%1,%2,%3,%4")
                                                              .arg(beside.x())
                                                              .arg(beside.y())
                                                              .arg(beside.width())
                                                              .arg(beside.height()));
    else
        environment.remove(QLatin1String(BesideVariable));

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment);
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return 0;
    return pid;
}

} // namespace brivel

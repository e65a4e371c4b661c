// SPDX-License-Identifier: MIT
#include "ProgramStarter.h"

#include "Logging.h"
#include "ViewerProtocol.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

namespace brivel {

namespace {

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The file a program name stands for: a name with a folder only as an
// absolute path; a bare name beside Brivel first, then in the absolute
// folders of PATH (an empty or relative entry would mean the working
// directory, which anyone may have filled). Empty when there is none.
QString findProgram(const QString &name, const QString &programFolder)
{
    if (name.contains(QLatin1Char('/')))
        return QDir::isAbsolutePath(name) && isExecutableFile(name) ? QDir::cleanPath(name)
                                                                    : QString();
    if (name.isEmpty())
        return {};
    QStringList folders{programFolder};
    folders += qEnvironmentVariable("PATH").split(QLatin1Char(':'));
    for (const QString &folder : folders) {
        if (!QDir::isAbsolutePath(folder))
            continue;
        const QString candidate = QDir(folder).filePath(name);
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
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
        const QString name = commandLine.section(QLatin1Char(' '), 0, 0);
        if (name.size() < commandLine.size())
            program = findProgram(name, programFolder);
        if (program.isEmpty()) {
            qCDebug(lcPrograms) << "Not started:" << commandLine
                                << "names no executable file by an absolute path, in"
                                << programFolder << "or in an absolute folder of PATH";
            return 0;
        }
        const QString rest = commandLine.mid(name.size() + 1);
        if (!rest.isEmpty())
            arguments << rest;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(viewer::ShowWindowVariable), QString::number(showWindow));
    if (beside.isNull())
        environment.remove(QLatin1String(viewer::BesideVariable));
    else
        environment.insert(QLatin1String(viewer::BesideVariable),
                           QString::fromLatin1(viewer::frameText(beside)));

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        qCDebug(lcPrograms) << "Not started:" << program << process.errorString();
        return 0;
    }
    return pid;
}

} // namespace brivel

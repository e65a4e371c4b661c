// SPDX-License-Identifier: MIT
// Brivel's help viewer, started by the timer's Help command and by F1 as
// "Winhlp32.exe [-topic N] <help file>".
#include "HelpViewer.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The application keeps the program's file name: only the help window
    // itself is called "Brivel Help".
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/brivel/brivel.ico")));

    // The starter hands over everything after the program name as one
    // argument; started by hand, the words arrive apart and are joined again.
    const QString tail = QApplication::arguments().mid(1).join(QLatin1Char(' '));

    brivel::help::HelpViewer viewer;
    viewer.open(brivel::help::parseRequest(tail));
    // Show-window value 4: open beside the timer without taking the focus.
    if (qEnvironmentVariableIntValue("BRIVEL_SHOW_WINDOW") == 4)
        viewer.setAttribute(Qt::WA_ShowWithoutActivating);
    viewer.show();
    return QApplication::exec();
}

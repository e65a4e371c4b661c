// SPDX-License-Identifier: MIT
// Brivel's help viewer, started by the timer's Help command and by F1 as
// "Winhlp32.exe [-topic N] <help file>".
#include "HelpViewer.h"
#include "SingleViewer.h"

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
    const brivel::help::HelpRequest request = brivel::help::parseRequest(tail);
    const int showWindow = qEnvironmentVariableIntValue("BRIVEL_SHOW_WINDOW");

    // A viewer of this file that is open already turns to the topic.
    brivel::help::SingleViewer single(request.path);
    if (single.handOver(request.topic, showWindow))
        return 0;

    brivel::help::HelpViewer viewer;
    viewer.open(request);
    single.serve(viewer);
    // The main window's frame "x,y,width,height", when Brivel started us.
    const QList<QByteArray> frame = qgetenv("BRIVEL_BESIDE").split(',');
    if (frame.size() == 4)
        viewer.placeBeside(
            QRect(frame[0].toInt(), frame[1].toInt(), frame[2].toInt(), frame[3].toInt()));
    // Show-window value 4: open beside the timer without taking the focus.
    if (showWindow == 4)
        viewer.setAttribute(Qt::WA_ShowWithoutActivating);
    viewer.show();
    return QApplication::exec();
}

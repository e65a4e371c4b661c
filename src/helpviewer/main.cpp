// SPDX-License-Identifier: MIT
// Brivel's help viewer, started by the timer's Help command and by F1 as
// "Winhlp32.exe [-topic N] <help file>".
#include "HelpViewer.h"
#include "SingleViewer.h"
#include "platform/ViewerProtocol.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    using namespace brivel;
    QApplication app(argc, argv);
    // The application keeps the program's file name: only the help window
    // itself is called "Brivel Help".
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/brivel/brivel.ico")));

    // The starter hands over everything after the program name as one
    // argument; started by hand, the words arrive apart and are joined again.
    const QString tail = QApplication::arguments().mid(1).join(QLatin1Char(' '));
    const help::HelpRequest request = help::parseRequest(tail);
    const int showWindow = qEnvironmentVariableIntValue(viewer::ShowWindowVariable);

    // A viewer of this file that is open already turns to the topic.
    help::SingleViewer single(request.path);
    if (single.handOver(request.topic, showWindow))
        return 0;

    help::HelpViewer window;
    window.open(request);
    single.serve(window);
    // Beside the main window whose frame Brivel handed over, if it did.
    const QRect frame = viewer::parseFrame(qgetenv(viewer::BesideVariable));
    if (!frame.isNull())
        window.placeBeside(frame);
    // Opened without taking the focus, when so asked.
    if (showWindow == SW_SHOWNOACTIVATE)
        window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.show();
    return QApplication::exec();
}

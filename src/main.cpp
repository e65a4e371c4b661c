// SPDX-License-Identifier: MIT
#include "BuildConfig.h"
#include "platform/LinuxPlatform.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    brivel::LinuxPlatform::chooseWindowingSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brivel"));
    QApplication::setApplicationVersion(QStringLiteral(BRIVEL_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/brivel/brivel.ico")));

    brivel::LinuxPlatform platform;
    brivel::Forms::setPlatform(&platform);
    brivel::Forms::Timer().show();
    const int status = QApplication::exec();
    // Windows still waiting for deletion go before the platform they use.
    brivel::Forms::unloadAll();
    return status;
}

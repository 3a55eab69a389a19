#include "core/ProgramValues.h"
#include "platform/DesktopShell.h"
#include "platform/SystemRegionalSettings.h"
#include "platform/VersionCheckers.h"
#include "platform/posix/PosixIcmpEcho.h"
#include "platform/posix/PosixLauncher.h"
#include "ui/ImageBuilder.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/shell/Application.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    sw::setUpApplication();

    sw::MessageBoxes messages;
    sw::DesktopShell shell;
    sw::SystemRegionalSettings regional;
    sw::NoUpdateVersionChecker versionChecker;
    sw::CompilingImageBuilder imageBuilder;
    sw::PosixIcmpEcho echo;
    sw::PosixLauncher launcher;
    sw::Services services { &messages, &shell, &regional, &versionChecker, &imageBuilder, &echo, &launcher };

    sw::ProgramValues values;
    sw::ConfiguratorApplication configurator(values, services, QCoreApplication::applicationDirPath());
    configurator.mainWindow()->show();
    return app.exec();
}

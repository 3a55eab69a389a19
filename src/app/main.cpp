#include "CommandLine.h"
#include "core/ProgramValues.h"
#include "core/Workspace.h"
#include "platform/DesktopShell.h"
#include "platform/SystemRegionalSettings.h"
#include "platform/VersionCheckers.h"
#include "platform/curl/CurlHttpClient.h"
#include "platform/posix/PosixIcmpEcho.h"
#include "platform/posix/PosixLauncher.h"
#include "ui/Clock.h"
#include "ui/FileChooser.h"
#include "ui/ImageBuilder.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/Vendor.h"
#include "ui/shell/Application.h"
#include "ui/shell/UTalventoFirmWare.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    // --help, --version and a wrong command line are answered before any window or folder exists,
    // so they need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const sw::CommandLine commandLine = sw::readCommandLine(arguments);
    if (commandLine.request != sw::CommandLine::Request::Run) {
        QCoreApplication app(argc, argv);
        return sw::answerCommandLine(
            commandLine, QString::fromLatin1(sw::SWCodeText), QCoreApplication::applicationDirPath());
    }

    QApplication app(argc, argv);
    sw::setUpApplication();
    // Qt has taken its own options; anything left over was not foreseen above.
    if (QCoreApplication::arguments().size() > 1)
        return sw::answerCommandLine({ sw::CommandLine::Request::UnknownOption, QCoreApplication::arguments().at(1) },
            QString::fromLatin1(sw::SWCodeText), QCoreApplication::applicationDirPath());

    sw::MessageBoxes messages;
    sw::DesktopShell shell;
    sw::SystemRegionalSettings regional;
    // The version check may still be waiting on its own thread when the program ends, so the
    // client and checker it uses are never destroyed.
    static auto *const http = new sw::CurlHttpClient;
    static auto *const versionChecker = new sw::HttpVersionChecker(*http, sw::Vendor::versionServiceUrl(),
        QString::fromLatin1(sw::SWCodeText), QString::fromLatin1(sw::Program_Version));
    sw::CompilingImageBuilder imageBuilder;
    sw::PosixIcmpEcho echo;
    sw::PosixLauncher launcher;
    sw::FileDialogs files;
    sw::SystemClock clock;
    sw::Services services { &messages, &shell, &regional, versionChecker, &imageBuilder, &echo, &launcher, &files,
        &clock };

    // A portable program folder is its own workspace; a shared installation gives each user one
    // below the data folder ($XDG_DATA_HOME, else ~/.local/share).
    const QString programDir = QCoreApplication::applicationDirPath();
    const sw::WorkspaceLocation workspace
        = sw::locateWorkspace(programDir, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (workspace.perUser)
        (void)sw::preparePerUserWorkspace(workspace, programDir); // a failure is said at start, as for any folder

    sw::ProgramValues values;
    sw::ConfiguratorApplication configurator(values, services, workspace.folder, workspace.languageFolder);
    configurator.mainWindow()->show();
    return app.exec();
}

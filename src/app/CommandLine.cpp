#include "CommandLine.h"

#include "core/ProgramValues.h"
#include "core/Workspace.h"
#include "core/files/Paths.h"
#include "core/text/MessageIds.h"

#include <QDir>
#include <QStandardPaths>
#include <QTextStream>

namespace sw {

namespace {

// Qt's own options that take a value as the next argument, and those that take none.
// Qt accepts them with one dash or two.
const QStringList QtValueOptions { QStringLiteral("platform"), QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"), QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"), QStringLiteral("qwindowtitle"), QStringLiteral("session"), QStringLiteral("style"),
    QStringLiteral("stylesheet"), QStringLiteral("display"), QStringLiteral("geometry"), QStringLiteral("name"),
    QStringLiteral("title"), QStringLiteral("visual") };
// Those that may take their value after "=" in the same argument.
const QStringList QtAttachedValueOptions { QStringLiteral("style"), QStringLiteral("stylesheet"),
    QStringLiteral("qmljsdebugger") };
const QStringList QtFlagOptions { QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
    QStringLiteral("dograb"), QStringLiteral("sync"), QStringLiteral("testability") };

} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    using Request = CommandLine::Request;
    CommandLine error;
    bool help = false;
    bool version = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QStringLiteral("-h") || argument == QStringLiteral("--help")) {
            help = true;
            continue;
        }
        if (argument == QStringLiteral("-v") || argument == QStringLiteral("--version")) {
            version = true;
            continue;
        }
        if (!argument.startsWith(u'-') || argument.size() == 1) {
            if (error.request == Request::Run)
                error = { Request::UnexpectedArgument, argument };
            continue;
        }
        QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(u'=');
        if (equals >= 0)
            name.truncate(equals);
        if (QtValueOptions.contains(name) && equals < 0) {
            ++i; // its value
            continue;
        }
        if (QtAttachedValueOptions.contains(name) && equals >= 0)
            continue;
        if (equals < 0 && QtFlagOptions.contains(name))
            continue;
        if (error.request == Request::Run)
            error = { Request::UnknownOption, argument };
    }
    if (help)
        return { Request::Help, QString() };
    if (version)
        return { Request::Version, QString() };
    return error;
}

int answerCommandLine(const CommandLine &commandLine, const QString &programName, const QString &programDir)
{
    using Request = CommandLine::Request;
    QTextStream out(stdout);
    if (commandLine.request == Request::Version) {
        out << SWCodeText << ' ' << Program_Version << '\n';
        return 0;
    }

    // The language of the settings, as the window would use it: in a shared installation those of
    // the user's own workspace. Nothing is created or written.
    const WorkspaceLocation workspace
        = locateWorkspace(programDir, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    ProgramValues values;
    values.Dir_Program = workspace.folder;
    values.Dir_Language = workspace.languageFolder.isEmpty() ? joinPath(programDir, QStringLiteral("LANGUAGE"))
                                                             : workspace.languageFolder;
    readSettings(values);
    Load_Lang(values);

    if (commandLine.request == Request::Help) {
        out << values.msg(MsgId::CommandLineUsage).arg(programName) << '\n'
            << values.msg(MsgId::CommandLineDescription) << "\n\n"
            << values.msg(MsgId::CommandLineOptions) << '\n'
            << "  -h, --help     " << values.msg(MsgId::CommandLineHelpOption) << '\n'
            << "  -v, --version  " << values.msg(MsgId::CommandLineVersionOption) << '\n'
            << values.msg(MsgId::CommandLineQtOptions) << "\n\n"
            << values.msg(MsgId::CommandLineExitStatus) << "\n\n"
            << values.msg(MsgId::CommandLineEnvironment) << "\n\n"
            << values.msg(MsgId::CommandLineFiles).arg(QDir::toNativeSeparators(workspace.folder)) << '\n';
        return 0;
    }
    const int message = commandLine.request == Request::UnknownOption ? MsgId::CommandLineUnknownOption
                                                                      : MsgId::CommandLineUnexpectedArgument;
    QTextStream(stderr) << values.msg(message).arg(programName, commandLine.argument) << '\n';
    return 2;
}

} // namespace sw

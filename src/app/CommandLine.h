#pragma once

#include <QString>
#include <QStringList>

namespace sw {

// What the configurator's command line asks for. It takes no arguments of its own but --help and
// --version; Qt's own options (-platform, -style, ...) are left to Qt.
struct CommandLine
{
    enum class Request { Run, Help, Version, UnknownOption, UnexpectedArgument };
    Request request = Request::Run;
    QString argument; // the offending argument of UnknownOption and UnexpectedArgument
};

// Reads the arguments after the program name. Help wins over version, and both over errors, so
// that they answer even beside a wrong argument.
CommandLine readCommandLine(const QStringList &arguments);

// Prints the answer to a request other than Run, in the language that the settings of the workspace
// of `programDir` name (see locateWorkspace), reading files only; returns the exit status.
int answerCommandLine(const CommandLine &commandLine, const QString &programName, const QString &programDir);

} // namespace sw

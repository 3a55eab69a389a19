#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace sw::tools {

// Usage errors end every tool with this status; 1 is left to the work itself failing.
inline constexpr int UsageError = 2;

// The --help and --version of every tool. Not addHelpOption(): its --help-all lists Qt's own
// options, which the tools do not take.
class StandardOptions
{
public:
    explicit StandardOptions(QCommandLineParser &parser)
        : m_parser(parser)
        , m_help({ QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Show this help."))
        , m_version((parser.addOption(m_help), parser.addVersionOption())) // listed in this order
    {
    }

    // Parses `arguments`. Help and version answer even when other arguments are wrong; a command
    // line that does not parse is reported in one line naming `tool`. Returns the exit status when
    // the tool ends here.
    std::optional<int> parse(const QStringList &arguments, const char *tool, const char *epilogue)
    {
        const bool parsed = m_parser.parse(arguments);
        QTextStream out(stdout);
        if (m_parser.isSet(m_help)) {
            out << m_parser.helpText() << epilogue;
            return 0;
        }
        if (m_parser.isSet(m_version)) {
            out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
            return 0;
        }
        if (!parsed) {
            QString error = m_parser.errorText().simplified();
            if (error.endsWith(u'.'))
                error.chop(1);
            QTextStream(stderr) << tool << ": " << error << " (see --help)\n";
            return UsageError;
        }
        return std::nullopt;
    }

private:
    QCommandLineParser &m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
};

} // namespace sw::tools

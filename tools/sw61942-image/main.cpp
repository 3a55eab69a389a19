// sw61942-image: compiles a project folder into the configuration image (bin/bank1.bin and
// bin/bank2.bin) with the configurator's own compiler, or lists what the image would hold; also
// checks a configuration, exchanges its variable list with a CSV point list, compares two
// configurations and rebuilds a project from its image.

#include "common/Counted.h"
#include "common/Hex.h"
#include "common/StandardOptions.h"
#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/checks/ConfigurationCheck.h"
#include "core/documents/VariablesCsv.h"
#include "core/documents/VariablesDocument.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"
#include "core/image/Comparison.h"
#include "core/image/Compiler.h"
#include "core/image/Decoder.h"
#include "core/text/Catalogue.h"
#include "report/ConfigurationReport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTextStream>
#include <optional>

using namespace sw::image;
using sw::tools::counted;
using sw::tools::hex;
using sw::tools::UsageError;

namespace {

constexpr char ToolDescription[]
    = "Compiles ParGen.xml, IEC61850_Variables.xml and TLS_Known_Cert.xml of the project folder (each\n"
      "optional) into PROJECT_FOLDER/bin/bank1.bin and bank2.bin and prints their sizes. A folder that\n"
      "holds none of the three is built all the same, with a warning on standard error.\n"
      "\n"
      "--check prints one line per finding (\"document[:row]: error|warning: field: text\").\n"
      "--export-variables and --import-variables take the project folder and a CSV file, given as\n"
      "--export-variables=FILE PROJECT_FOLDER or --export-variables PROJECT_FOLDER FILE. Export\n"
      "writes \",\" as the separator and \".\" as the decimal mark; import takes \";\", \",\" or tab and\n"
      "replaces IEC61850_Variables.xml only when every row is valid.\n"
      "--diff A B compares two configurations, each a project folder or a folder holding bank1.bin and\n"
      "bank2.bin, and prints one line per difference; it exits with 0 when they are equal, 1 when they\n"
      "differ and 2 on a usage error or an input it cannot read.\n"
      "--decode FOLDER NEW_PROJECT rebuilds the documents of a project from FOLDER's bank1.bin and\n"
      "bank2.bin into the new or empty folder NEW_PROJECT and lists what the image cannot hold.\n"
      "--report PROJECT_FOLDER FILE writes the configuration report, as PDF when FILE ends in .pdf and as\n"
      "HTML when it ends in .html.";

// Printed after the options by --help.
constexpr char ToolEpilogue[]
    = "\n"
      "Exit status:\n"
      "  0  done; --check found nothing; --diff found the two equal\n"
      "  1  a document, a file or the folder could not be read or written, --check\n"
      "     found an error, --decode refused the images, or --diff found differences\n"
      "  2  the command line is wrong, or --diff could not read one of its folders\n"
      "  3  --check found warnings only\n"
      "\n"
      "Environment: none is read.\n"
      "\n"
      "Files: the configurator keeps its projects in PROJECTS beside itself or, installed for\n"
      "every user of the computer (the Debian package), in each user's workspace\n"
      "$XDG_DATA_HOME/sw61942/PROJECTS (~/.local/share/sw61942/PROJECTS when XDG_DATA_HOME\n"
      "is not set). This tool takes a project's folder by its path.\n";

// The decimal mark of point lists written and read here. The regional setting belongs to the
// platform layer, which this tool does not use.
constexpr QChar csvDecimalSeparator = u'.';

// One line per finding: "document[:row]: error|warning: [field: ]text".
void printFindings(QTextStream &out, const QList<sw::Finding> &findings)
{
    for (const sw::Finding &f : findings) {
        out << f.document;
        if (f.row > 0)
            out << ':' << f.row;
        out << (f.severity == sw::FindingSeverity::Error ? ": error: " : ": warning: ");
        if (!f.field.isEmpty())
            out << f.field << ": ";
        out << QString(f.text).replace(u'\n', u' ') << '\n';
    }
}

// Exit status of --check: 0 clean, 3 only warnings, 1 with any error.
int checkStatus(const QList<sw::Finding> &findings)
{
    int status = 0;
    for (const sw::Finding &f : findings) {
        if (f.severity == sw::FindingSeverity::Error)
            return 1;
        status = 3;
    }
    return status;
}

// Four bytes of the parameter block from `offset` as a dotted address.
QString dotted(const ParamBlock &block, int offset)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(block.get8(offset))
        .arg(block.get8(offset + 1))
        .arg(block.get8(offset + 2))
        .arg(block.get8(offset + 3));
}

QString typeName(quint32 type)
{
    switch (type) {
    case DataTypeDigital:
        return QStringLiteral("digital");
    case DataTypeFloat:
        return QStringLiteral("float");
    default:
        return QStringLiteral("int");
    }
}

QString conversionName(quint16 operation)
{
    switch (operation) {
    case 1:
        return QStringLiteral("int to float");
    case 2:
        return QStringLiteral("float to int");
    default:
        return QStringLiteral("none");
    }
}

QString optionNames(quint16 options)
{
    QStringList names;
    if (options & OptionSwap)
        names << QStringLiteral("swap bytes");
    if (options & OptionSwapWord)
        names << QStringLiteral("swap words");
    return names.isEmpty() ? QStringLiteral("-") : names.join(QStringLiteral(", "));
}

// Passwords are not printed, only whether one is set.
QString secret(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("none")
                          : QStringLiteral("set (%1)").arg(counted(text.size(), "character", "characters"));
}

QString textSize(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("none") : counted(text.toUtf8().size(), "byte", "bytes");
}

void printListing(QTextStream &out, const QString &folder, const ImageCompiler &compiler, const Images &images)
{
    const ParamBlock &block = compiler.paramBlock();
    const TIEC61850 &r = compiler.record();
    const TTLS_Bank &tls = r.TLS_Data;
    auto line = [&out](const QString &label, const QString &value) {
        out << "  " << label.leftJustified(26) << value << '\n';
    };
    const quint8 serial = block.get8(param::SerialFlags);
    const quint8 parity = block.get8(param::ParityTable + param::SlaveEntryA);
    const quint8 stopBits = block.get8(param::StopBitTable + param::SlaveEntryA);
    const quint32 gateway = block.get32(param::Gateway);

    out << "Project " << QDir::toNativeSeparators(folder) << "\n\n";
    out << "Network\n";
    line(QStringLiteral("IP address"), dotted(block, param::IpAddress));
    line(QStringLiteral("Subnet mask"), dotted(block, param::SubnetMask));
    line(QStringLiteral("Gateway"), gateway == 0xFFFFFFFF ? QStringLiteral("none") : dotted(block, param::Gateway));
    out << "\nModbus slave\n";
    line(
        QStringLiteral("Interface"), (serial & param::SerialRS232) ? QStringLiteral("RS232") : QStringLiteral("RS485"));
    line(QStringLiteral("Baud rate"),
        QStringLiteral("%1 bit/s").arg(block.get32(param::BaudTable + 4 * param::SlaveEntryA)));
    const QStringList parities { QStringLiteral("none"), QStringLiteral("odd"), QStringLiteral("even") };
    line(QStringLiteral("Parity"), parity < parities.size() ? parities.at(parity) : QString::number(parity));
    line(QStringLiteral("Stop bits"),
        stopBits == 0       ? QStringLiteral("1")
            : stopBits == 2 ? QStringLiteral("2")
                            : QString::number(stopBits));
    line(QStringLiteral("Data bits"), QString::number(block.get8(param::DataBitTable + param::SlaveEntryA)));
    line(QStringLiteral("Device address"), QString::number(block.get32(param::ModbusAddress)));
    line(QStringLiteral("Read functions"),
        (serial & param::SerialNoInputRegister) ? QStringLiteral("Holding Register / Coil Status")
                                                : QStringLiteral("Input Register / Input Status"));
    out << "\nIEC 61850 server\n";
    line(QStringLiteral("Port"), QString::number(r.port));
    line(QStringLiteral("Password"), secret(r.Password));
    line(QStringLiteral("TLS"), r.TLS_Enable == 1 ? QStringLiteral("on") : QStringLiteral("off"));
    line(QStringLiteral("Key"), textSize(tls.key));
    line(QStringLiteral("Key password"), secret(tls.Key_Password));
    line(QStringLiteral("Server certificate"), textSize(tls.Server_Cert.Certificate));
    line(QStringLiteral("Root certificate"), textSize(tls.Root_Cert.Certificate));
    line(QStringLiteral("Only known certificates"),
        tls.Known_Cert_En == 1 ? QStringLiteral("yes") : QStringLiteral("no"));

    out << "\nVariables: " << r.Variables.size() << '\n';
    if (!r.Variables.isEmpty()) {
        out << "  " << QStringLiteral("#").leftJustified(4) << QStringLiteral("Address").leftJustified(9)
            << QStringLiteral("Type").leftJustified(9) << QStringLiteral("Position").leftJustified(10)
            << QStringLiteral("Bit").leftJustified(5) << QStringLiteral("Length").leftJustified(8)
            << QStringLiteral("Access").leftJustified(12) << QStringLiteral("Conversion").leftJustified(14)
            << QStringLiteral("Factor").leftJustified(12) << QStringLiteral("Options").leftJustified(24) << "Name\n";
    }
    int n = 0;
    for (const TIEC61850_Var &v : r.Variables) {
        out << "  " << QString::number(++n).leftJustified(4) << hex(v.Name_Add).leftJustified(9)
            << typeName(v.Data_Type).leftJustified(9) << QString::number(v.Position).leftJustified(10)
            << QString::number(v.Start_Bit).leftJustified(5) << QString::number(v.Length).leftJustified(8)
            << (v.Read_Only ? QStringLiteral("read") : QStringLiteral("read/write")).leftJustified(12)
            << conversionName(v.Operation).leftJustified(14)
            << QString::number(double(v.Multiplication_Factor), 'g', 7).leftJustified(12)
            << optionNames(v.Options).leftJustified(24) << v.Name << '\n';
    }

    const bool inImage = knownCertsInImage(r);
    out << "\nKnown certificates: " << tls.Known_Cert.size();
    if (!tls.Known_Cert.isEmpty() && !inImage)
        out << " (not in the image: TLS or the restriction to known certificates is off)";
    out << '\n';
    n = 0;
    for (const TTLS_Certificate &c : tls.Known_Cert) {
        out << "  " << QString::number(++n).leftJustified(4);
        if (inImage)
            out << hex(c.Certificate_Add).leftJustified(9);
        out << counted(c.Certificate_Length - 1, "byte", "bytes") << '\n';
    }

    out << "\nImage\n";
    line(QString::fromLatin1(sw::Bank1FileName), QStringLiteral("%1 bytes").arg(images.bank1.size()));
    line(QString::fromLatin1(sw::Bank2FileName),
        QStringLiteral("%1 bytes of %2").arg(images.bank2.size()).arg(Bank2MaxSize));
}

// The documents of a project folder, none of which may exist: a mistyped path or an empty folder.
bool holdsNoDocument(const ProjectDocuments &docs)
{
    return !QFileInfo::exists(docs.parGen) && !QFileInfo::exists(docs.variables) && !QFileInfo::exists(docs.knownCerts);
}

QString noDocumentText()
{
    return QStringLiteral("holds none of %1, %2 and %3; every value is its default")
        .arg(QString::fromLatin1(sw::ParGenFileName), QString::fromLatin1(sw::VariablesFileName),
            QString::fromLatin1(sw::KnownCertFileName));
}

QString variablesCount(qsizetype count)
{
    return counted(count, "variable", "variables");
}

// Takes the CSV file out of "--export-variables=FILE" and "--import-variables=FILE", leaving the bare
// option, so that both spellings reach the same parse. Stops at "--", after which all is positional.
QStringList takeAttachedFile(QStringList args, std::optional<QString> &file)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args.at(i) == QStringLiteral("--"))
            break;
        for (const QLatin1String option :
            { QLatin1String("--export-variables="), QLatin1String("--import-variables=") }) {
            if (args.at(i).startsWith(option)) {
                file = args.at(i).mid(option.size());
                args[i] = option.chopped(1);
            }
        }
    }
    return args;
}

// The folder that holds the image pair: FOLDER itself, or the bin folder of a project.
QString imageFolderOf(const QString &folder)
{
    if (!isImageFolder(folder) && isImageFolder(sw::imageFolder(folder)))
        return sw::imageFolder(folder);
    return folder;
}

// What a side of --diff holds. Against an image a project counts for what its image would hold.
ProjectContent diffSide(const QString &folder, bool asImage)
{
    if (isImageFolder(folder))
        return decodeImageFolder(folder).content;
    if (!asImage)
        return readProjectContent(folder);
    ImageCompiler compiler;
    const Images images = compiler.Compile_Bin(sw::projectDocuments(folder));
    return decodeImages(images.bank1, images.bank2).content;
}

int runDiff(QTextStream &out, QTextStream &err, const QStringList &args)
{
    QStringList folders;
    for (const QString &arg : args) {
        const QString folder = QDir::cleanPath(QFileInfo(arg).absoluteFilePath());
        if (!QFileInfo(folder).isDir()) {
            err << "sw61942-image: \"" << QDir::toNativeSeparators(folder) << "\" is not a folder\n";
            return 2;
        }
        folders << folder;
    }
    try {
        const bool asImage = isImageFolder(folders[0]) || isImageFolder(folders[1]);
        const QStringList lines = compareContent(diffSide(folders[0], asImage), diffSide(folders[1], asImage));
        for (const QString &line : lines)
            out << line << '\n';
        return lines.isEmpty() ? 0 : 1;
    } catch (const std::exception &error) {
        err << "sw61942-image: " << sw::errorText(error) << '\n';
        return 2;
    }
}

int runDecode(QTextStream &out, QTextStream &err, const QStringList &args)
{
    const QString source = imageFolderOf(QDir::cleanPath(QFileInfo(args[0]).absoluteFilePath()));
    const QString target = QDir::cleanPath(QFileInfo(args[1]).absoluteFilePath());
    try {
        const DecodedImage decoded = decodeImageFolder(source);
        writeProjectContent(target, decoded.content);
        out << QDir::toNativeSeparators(target) << ": " << variablesCount(decoded.content.variables.size()) << ", "
            << counted(decoded.content.knownCerts.size(), "known certificate", "known certificates") << '\n';
        out << "Not in the image, so taken as default:\n";
        for (const QString &line : decoded.defaulted)
            out << "  " << line << '\n';
        return 0;
    } catch (const std::exception &error) {
        err << "sw61942-image: " << sw::errorText(error) << '\n';
        return 1;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // The report's PDF is laid out with QtGui's fonts, which need a platform; no window is shown,
    // so the offscreen one serves with or without a display.
    bool report = false;
    for (int i = 1; i < argc; ++i)
        report |= qstrcmp(argv[i], "--report") == 0;
    if (report) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The tool speaks in one line per error; the platform's notes (such as a missing runtime
        // folder, which the offscreen platform does not use) would only add noise.
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }
    const std::unique_ptr<QCoreApplication> app
        = report ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sw61942-image"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(sw::Program_Version));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(ToolDescription));
    sw::tools::StandardOptions standardOptions(parser);
    const QCommandLineOption listOption(
        QStringLiteral("list"), QStringLiteral("Print what the image would hold and write nothing."));
    parser.addOption(listOption);
    const QCommandLineOption checkOption(
        QStringLiteral("check"), QStringLiteral("Check the configuration, print each finding and write nothing."));
    parser.addOption(checkOption);
    const QCommandLineOption exportOption(QStringLiteral("export-variables"),
        QStringLiteral("Write the variable list to the CSV file FILE (separator \",\")."));
    parser.addOption(exportOption);
    const QCommandLineOption importOption(QStringLiteral("import-variables"),
        QStringLiteral("Replace the variable list with the CSV file FILE when every row is valid."));
    parser.addOption(importOption);
    const QCommandLineOption diffOption(QStringLiteral("diff"),
        QStringLiteral("Compare two configurations (folders A and B) and print the differences."));
    parser.addOption(diffOption);
    const QCommandLineOption reportOption(QStringLiteral("report"),
        QStringLiteral("Write the configuration report of PROJECT_FOLDER to FILE (.pdf or .html)."));
    parser.addOption(reportOption);
    const QCommandLineOption decodeOption(
        QStringLiteral("decode"), QStringLiteral("Rebuild a project in NEW_PROJECT from the image pair in FOLDER."));
    parser.addOption(decodeOption);
    parser.addPositionalArgument(QStringLiteral("PROJECT_FOLDER"), QStringLiteral("The project folder."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("The CSV file of --export-variables and --import-variables."), QStringLiteral("[FILE]"));

    // Help and version answer even when other arguments are wrong.
    std::optional<QString> attachedFile;
    const QStringList arguments = takeAttachedFile(QCoreApplication::arguments(), attachedFile);
    if (const std::optional<int> status = standardOptions.parse(arguments, "sw61942-image", ToolEpilogue))
        return *status;
    const bool list = parser.isSet(listOption);
    const bool check = parser.isSet(checkOption);
    const bool exportVariables = parser.isSet(exportOption);
    const bool importVariables = parser.isSet(importOption);
    const bool diff = parser.isSet(diffOption);
    const bool decode = parser.isSet(decodeOption);
    if (int(list) + int(check) + int(exportVariables) + int(importVariables) + int(diff) + int(decode) + int(report)
        > 1) {
        err << "sw61942-image: --list, --check, --export-variables, --import-variables, --diff, --decode and "
               "--report exclude each other (see --help)\n";
        return UsageError;
    }
    const bool withCsv = exportVariables || importVariables;
    QStringList args = parser.positionalArguments();
    if (attachedFile && !attachedFile->isEmpty() && args.size() == 1)
        args.append(*attachedFile);
    else if (attachedFile)
        args.clear(); // an empty file name, the file given twice, or no folder: refused below
    if ((diff || decode) && args.size() != 2) {
        err << "sw61942-image: expected two folders (see --help)\n";
        return UsageError;
    }
    if (diff)
        return runDiff(out, err, args);
    if (decode)
        return runDecode(out, err, args);
    if (withCsv && args.size() != 2) {
        err << "sw61942-image: expected a project folder and a CSV file (see --help)\n";
        return UsageError;
    }
    if (report && args.size() != 2) {
        err << "sw61942-image: expected a project folder and a report file (see --help)\n";
        return UsageError;
    }
    if (report && !sw::report::reportFormat(args.at(1))) {
        err << "sw61942-image: the report file must end in .pdf or .html (see --help)\n";
        return UsageError;
    }
    if (!withCsv && !report && args.size() != 1) {
        err << "sw61942-image: expected one project folder (see --help)\n";
        return UsageError;
    }

    const QString folder = QDir::cleanPath(QFileInfo(args.front()).absoluteFilePath());
    if (!QFileInfo(folder).isDir()) {
        err << "sw61942-image: \"" << QDir::toNativeSeparators(folder) << "\" is not a folder\n";
        return 1;
    }
    const ProjectDocuments docs = sw::projectDocuments(folder);
    // A folder without any document is most likely the wrong one; an import is how a list starts.
    const bool noDocument = !importVariables && holdsNoDocument(docs);
    if (noDocument && !check)
        err << "sw61942-image: warning: \"" << QDir::toNativeSeparators(folder) << "\" " << noDocumentText() << '\n'
            << Qt::flush;

    try {
        if (check) {
            QList<sw::Finding> findings
                = sw::checkConfiguration(docs, QDateTime::currentDateTimeUtc(), sw::defaultMessages());
            if (noDocument)
                findings.prepend(
                    { sw::FindingSeverity::Warning, QDir::toNativeSeparators(folder), 0, QString(), noDocumentText() });
            printFindings(out, findings);
            return checkStatus(findings);
        }
        if (report) {
            const sw::report::ReportInput input { folder, QFileInfo(folder).fileName(),
                QString::fromLatin1(sw::Program_Version), QDateTime::currentDateTime(), sw::defaultMessages() };
            sw::report::writeReport(args.at(1), input);
            out << QDir::toNativeSeparators(args.at(1)) << '\n';
            return 0;
        }
        if (exportVariables) {
            const QList<sw::VariableRow> rows = sw::cutAtBlankName(sw::readVariablesFile(docs.variables));
            sw::files::saveBytes(
                sw::exportVariablesCsv(rows, csvDecimalSeparator), args.at(1), sw::files::Target::Chosen);
            out << QDir::toNativeSeparators(args.at(1)) << ": " << variablesCount(rows.size()) << '\n';
            return 0;
        }
        if (importVariables) {
            const sw::VariablesCsvImport imported
                = sw::importVariablesCsv(sw::files::readFileBytes(args.at(1)), csvDecimalSeparator);
            if (imported.failure) {
                err << "sw61942-image: " << QDir::toNativeSeparators(args.at(1)) << ": "
                    << sw::variablesCsvFailureText(*imported.failure, sw::defaultMessages()).simplified() << '\n';
                return 1;
            }
            const QList<sw::VariableRow> rows = sw::cutAtBlankName(imported.rows);
            sw::writeVariablesFile(docs.variables, rows);
            out << QDir::toNativeSeparators(docs.variables) << ": " << variablesCount(rows.size()) << '\n';
            return 0;
        }
        ImageCompiler compiler;
        const Images images = compiler.Compile_Bin(docs);
        if (list) {
            printListing(out, folder, compiler, images);
            return 0;
        }
        const QString bin = sw::imageFolder(folder);
        Save_Bin(bin, images);
        out << QDir::toNativeSeparators(QDir(bin).filePath(QString::fromLatin1(sw::Bank1FileName))) << ": "
            << images.bank1.size() << " bytes\n";
        out << QDir::toNativeSeparators(QDir(bin).filePath(QString::fromLatin1(sw::Bank2FileName))) << ": "
            << images.bank2.size() << " bytes\n";
        return 0;
    } catch (const std::exception &error) {
        err << "sw61942-image: " << sw::errorText(error) << '\n';
        return 1;
    }
}

// sw61942-image: compiles a project folder into the configuration image (bin/bank1.bin and
// bin/bank2.bin) with the configurator's own compiler, or lists what the image would hold; also
// checks a configuration, exchanges its variable list with a CSV point list, compares two
// configurations and rebuilds a project from its image.

#include "common/Hex.h"
#include "core/Error.h"
#include "core/ErrorText.h"
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

using namespace sw::image;
using sw::tools::hex;

namespace {

constexpr char ToolDescription[]
    = "Compiles ParGen.xml, IEC61850_Variables.xml and TLS_Known_Cert.xml of the project folder (each\n"
      "optional) into PROJECT_FOLDER/bin/bank1.bin and bank2.bin and prints their sizes.\n"
      "\n"
      "--check prints one line per finding (\"document[:row]: error|warning: field: text\") and exits\n"
      "with 0 when there is none, 3 when there are only warnings and 1 on errors.\n"
      "--export-variables and --import-variables take the project folder and a CSV file. Export\n"
      "writes \",\" as the separator and \".\" as the decimal mark; import takes \";\", \",\" or tab and\n"
      "replaces IEC61850_Variables.xml only when every row is valid.\n"
      "--diff A B compares two configurations, each a project folder or a folder holding bank1.bin and\n"
      "bank2.bin, and prints one line per difference; it exits with 0 when they are equal, 1 when they\n"
      "differ and 2 on a usage error or an input it cannot read.\n"
      "--decode FOLDER NEW_PROJECT rebuilds the documents of a project from FOLDER's bank1.bin and\n"
      "bank2.bin into the new or empty folder NEW_PROJECT and lists what the image cannot hold.\n"
      "--report PROJECT_FOLDER FILE writes the configuration report, as PDF when FILE ends in .pdf and as\n"
      "HTML when it ends in .html.";

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
    return text.isEmpty() ? QStringLiteral("none") : QStringLiteral("set (%1 characters)").arg(text.size());
}

QString textSize(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("none") : QStringLiteral("%1 bytes").arg(text.toUtf8().size());
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
        out << (c.Certificate_Length - 1) << " bytes\n";
    }

    out << "\nImage\n";
    line(QString::fromLatin1(sw::Bank1FileName), QStringLiteral("%1 bytes").arg(images.bank1.size()));
    line(QString::fromLatin1(sw::Bank2FileName),
        QStringLiteral("%1 bytes of %2").arg(images.bank2.size()).arg(Bank2MaxSize));
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
        out << QDir::toNativeSeparators(target) << ": " << decoded.content.variables.size() << " variables, "
            << decoded.content.knownCerts.size() << " known certificates\n";
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
    // Not addHelpOption(): its --help-all lists Qt's own options, which this tool does not take.
    const QCommandLineOption helpOption(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Show this help."));
    parser.addOption(helpOption);
    const QCommandLineOption versionOption = parser.addVersionOption();
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
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parser.isSet(helpOption)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(versionOption)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    // --diff reports a usage error with 2, as 1 means that the configurations differ.
    const int usageStatus = parser.isSet(diffOption) ? 2 : 1;
    if (!parsed) {
        QString error = parser.errorText().simplified();
        if (error.endsWith(u'.'))
            error.chop(1);
        err << "sw61942-image: " << error << " (see --help)\n";
        return usageStatus;
    }
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
        return usageStatus;
    }
    const QStringList args = parser.positionalArguments();
    if ((diff || decode) && args.size() != 2) {
        err << "sw61942-image: expected two folders (see --help)\n";
        return usageStatus;
    }
    if (diff)
        return runDiff(out, err, args);
    if (decode)
        return runDecode(out, err, args);
    const bool withCsv = exportVariables || importVariables;
    if (withCsv && args.size() != 2) {
        err << "sw61942-image: expected a project folder and a CSV file (see --help)\n";
        return 1;
    }
    if (report && args.size() != 2) {
        err << "sw61942-image: expected a project folder and a report file (see --help)\n";
        return 1;
    }
    if (report && !sw::report::reportFormat(args.at(1))) {
        err << "sw61942-image: the report file must end in .pdf or .html (see --help)\n";
        return 1;
    }
    if (!withCsv && !report && args.size() != 1) {
        err << "sw61942-image: expected one project folder (see --help)\n";
        return 1;
    }

    const QString folder = QDir::cleanPath(QFileInfo(args.front()).absoluteFilePath());
    if (!QFileInfo(folder).isDir()) {
        err << "sw61942-image: \"" << QDir::toNativeSeparators(folder) << "\" is not a folder\n";
        return 1;
    }
    const ProjectDocuments docs = sw::projectDocuments(folder);

    try {
        if (check) {
            const QList<sw::Finding> findings
                = sw::checkConfiguration(docs, QDateTime::currentDateTimeUtc(), sw::defaultMessages());
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
            out << QDir::toNativeSeparators(args.at(1)) << ": " << rows.size() << " variables\n";
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
            out << QDir::toNativeSeparators(docs.variables) << ": " << rows.size() << " variables\n";
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

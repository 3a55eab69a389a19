// Ethernet_Update: a stand-in for the external updater that the configurator starts after it has
// written Ethernet_Update.xml beside it. It carries out the file's operations against the device
// simulator (or anything that speaks the block protocol of tools/common/BlockProtocol.h) and
// prints its progress on the console.
//
// Exit status: 0 when every operation succeeded, 1 when the device did not answer, refused a
// write or read back other bytes, 2 when the parameter file or a data file is missing or wrong or
// the data does not fit its region of the device's memory; then nothing is sent.

#include "DeviceLink.h"
#include "UpdateFile.h"
#include "common/Hex.h"

#include "core/update/UpdateParameters.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

using namespace updater;
using sw::tools::hex;

namespace {

// Sends every operation to this port instead of the one the file names, so that tests can run
// against a simulator on a free port. The configurator never sets it.
constexpr char PortOverrideVariable[] = "SW61942_UPDATE_PORT";

void writeBlocks(DeviceLink &link, const Operation &op, QTextStream &out)
{
    const qsizetype size = op.data.size();
    int shownQuarter = 0;
    out << "  writing" << Qt::flush;
    for (qsizetype at = 0; at < size; at += sw::block::BlockSize) {
        link.write(op.startAddress + quint32(at), op.data.mid(at, sw::block::BlockSize));
        const qsizetype done = std::min<qsizetype>(at + sw::block::BlockSize, size);
        for (; shownQuarter < int(4 * done / size); ++shownQuarter)
            out << ' ' << 25 * (shownQuarter + 1) << '%' << Qt::flush;
    }
    out << Qt::endl;
}

void readBack(DeviceLink &link, const Operation &op)
{
    for (qsizetype at = 0; at < op.data.size(); at += sw::block::BlockSize) {
        const QByteArray expected = op.data.mid(at, sw::block::BlockSize);
        const QByteArray actual = link.read(op.startAddress + quint32(at), quint16(expected.size()));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            if (actual[i] != expected[i])
                throw TransferError(
                    QStringLiteral("read-back from %1 differs at %2 (read request at %3): wrote 0x%4, read 0x%5")
                        .arg(link.device(), hex(op.startAddress + quint32(at + i)), hex(op.startAddress + quint32(at)))
                        .arg(quint8(expected[i]), 2, 16, QChar(u'0'))
                        .arg(quint8(actual[i]), 2, 16, QChar(u'0')));
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(sw::UpdaterBaseName));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stand-in updater: reads Ethernet_Update.xml from its own folder and writes each operation's\n"
                       "file to the device over UDP in blocks, reading it back when asked. Takes no arguments."));
    parser.addHelpOption();
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        err << "Ethernet_Update: takes no arguments (see --help)\n";
        return 2;
    }

    const QString path
        = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(sw::UpdateParametersFileName));
    QList<Operation> operations;
    try {
        operations = readUpdateFile(path);
    } catch (const FileError &e) {
        err << "Ethernet_Update: " << e.message() << '\n';
        return 2;
    }
    if (qEnvironmentVariableIsSet(PortOverrideVariable)) {
        bool ok = false;
        const uint port = qEnvironmentVariable(PortOverrideVariable).toUInt(&ok);
        if (!ok || port == 0 || port > 65535) {
            err << "Ethernet_Update: " << PortOverrideVariable << " is not a port number\n";
            return 2;
        }
        for (Operation &op : operations)
            op.port = quint16(port);
    }

    out << "Ethernet_Update: " << operations.size() << " operation(s) from " << QDir::toNativeSeparators(path)
        << Qt::endl;
    for (qsizetype i = 0; i < operations.size(); ++i) {
        const Operation &op = operations.at(i);
        const QString name = QFileInfo(op.fileName).fileName();
        out << "Operation " << i + 1 << '/' << operations.size() << ": " << name << " (" << op.data.size()
            << " bytes) to " << hex(op.startAddress) << " on " << op.host << ':' << op.port << Qt::endl;
        try {
            QElapsedTimer timer;
            timer.start();
            DeviceLink link(op.host, op.port);
            writeBlocks(link, op, out);
            if (op.readBack) {
                readBack(link, op);
                out << "  read back and compared" << Qt::endl;
            }
            out << "  done in " << timer.elapsed() << " ms, " << link.repeatedRequests() << " request(s) repeated"
                << Qt::endl;
            if (op.goToAppAfter) {
                link.startApplication();
                out << "  device asked to start its application" << Qt::endl;
            }
        } catch (const TransferError &e) {
            out << Qt::endl;
            err << "Ethernet_Update: operation " << i + 1 << " (" << name << "): " << e.message() << '\n';
            return 1;
        }
    }
    out << "Update complete" << Qt::endl;
    return 0;
}

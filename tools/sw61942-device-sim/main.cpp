// sw61942-device-sim: a stand-in for the device's boot loader on a loopback address, so that the
// stand-in updater (and with it the configurator's update step) can be run without a device. It
// answers the block protocol of tools/common/BlockProtocol.h over a sparse memory and, when it
// ends, writes what was written to its dump file.

#include "DeviceMemory.h"
#include "PacketHandler.h"
#include "common/BlockProtocol.h"
#include "common/Counted.h"
#include "common/Hex.h"
#include "common/StandardOptions.h"
#include "core/ProgramVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>
#include <QUdpSocket>
#include <csignal>
#include <optional>
#include <utility>

using namespace sw::block;
using sw::tools::counted;
using sw::tools::hex;
using sw::tools::UsageError;

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int)
{
    stopRequested = 1;
}

// A poor network or a failing device, applied around the socket: requests lost on the way in,
// answers lost, doubled, swapped with the next one or sent late, and silence after a number of
// requests. Losses are drawn from a generator with a fixed seed, so that a run repeats. Beyond
// those, answers that the updater must not believe: sent by a stranger, or naming another address
// than the request, and writes stored elsewhere than asked.
struct Faults
{
    int lossPercent = 0; // of the requests received and of the answers sent, each drawn alone
    quint32 seed = 1;
    bool duplicate = false; // every answer sent twice
    bool reorder = false; // every answer held back and sent after the next one
    int delayMs = 0; // every answer sent this late, the device meanwhile taking further requests
    qint64 answeredRequests = -1; // requests taken before the device falls silent; -1 no limit
    std::optional<QHostAddress> answerAddress; // answers sent from this address instead
    quint16 answerPort = 0; // and this port, 0 for a free one; the listening port if unset
    bool answerPortSet = false;
    qint32 answerShift = 0; // added to the address every answer names
    qint32 writeShift = 0; // added to the address every write is stored at
};

class Device : public QObject, public DeviceActions
{
public:
    Device(QString dumpPath, int dropEvery, bool silent, const Faults &faults)
        : m_dumpPath(std::move(dumpPath))
        , m_dropEvery(dropEvery)
        , m_silent(silent)
        , m_faults(faults)
        , m_random(faults.seed)
    {
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] { receive(); });
    }

    bool listen(const QHostAddress &address, quint16 port)
    {
        if (!m_socket.bind(address, port))
            return false;
        if (m_faults.answerAddress) {
            const quint16 answerPort = m_faults.answerPortSet ? m_faults.answerPort : m_socket.localPort();
            if (!m_answerSocket.bind(*m_faults.answerAddress, answerPort)) {
                m_socketError = QStringLiteral("cannot answer from %1:%2: %3")
                                    .arg(m_faults.answerAddress->toString())
                                    .arg(answerPort)
                                    .arg(m_answerSocket.errorString());
                return false;
            }
        }
        m_out << "listening on " << m_socket.localAddress().toString() << ':' << m_socket.localPort() << Qt::endl;
        return true;
    }
    QString socketError() const { return m_socketError.isEmpty() ? m_socket.errorString() : m_socketError; }

    // The written regions, then how often the application was started.
    bool writeDump()
    {
        if (m_dumpPath.isEmpty())
            return true;
        QFile file(m_dumpPath);
        const QByteArray text = "# sw61942-device-sim memory: region <address> <length> <bytes in hex>\n"
            + m_handler.memory().dump() + "started " + QByteArray::number(m_starts) + '\n';
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size())
            return true;
        QTextStream(stderr) << "sw61942-device-sim: cannot write " << m_dumpPath << ": " << file.errorString() << '\n';
        return false;
    }

private:
    void receive()
    {
        while (m_socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = m_socket.receiveDatagram();
            const std::optional<Packet> request = decodeRequest(datagram.data());
            if (!request)
                continue;
            ++m_requests;
            if (m_silent || (m_dropEvery > 0 && m_requests % m_dropEvery == 0) || lost()
                || (m_faults.answeredRequests >= 0 && m_requests > m_faults.answeredRequests))
                continue;
            Packet carriedOut = *request;
            if (carriedOut.command == Write)
                carriedOut.address += quint32(m_faults.writeShift);
            Packet answer = m_handler.answer(carriedOut);
            answer.address = request->address + quint32(m_faults.answerShift);
            send(datagram.makeReply(encode(answer)));
            if (request->command == Stop)
                QCoreApplication::quit();
        }
    }

    // Whether the next datagram is lost; draws only while losses are asked for.
    bool lost() { return m_faults.lossPercent > 0 && int(m_random.bounded(100)) < m_faults.lossPercent; }

    void send(const QNetworkDatagram &answer)
    {
        QList<QNetworkDatagram> answers { answer };
        if (m_faults.reorder) {
            if (!m_held) {
                m_held = answer;
                return;
            }
            answers.append(*std::exchange(m_held, std::nullopt));
        }
        for (const QNetworkDatagram &a : answers) {
            for (int copy = m_faults.duplicate ? 2 : 1; copy > 0; --copy) {
                if (lost())
                    continue;
                if (m_faults.delayMs > 0)
                    QTimer::singleShot(m_faults.delayMs, this, [this, a] { transmit(a); });
                else
                    transmit(a);
            }
        }
    }

    // From the listening socket, or from the stranger's socket of --answer-from, which names its
    // own source address.
    void transmit(const QNetworkDatagram &answer)
    {
        if (m_faults.answerAddress)
            m_answerSocket.writeDatagram(answer.data(), answer.destinationAddress(), quint16(answer.destinationPort()));
        else if (m_socket.localAddress().isEqual(QHostAddress::AnyIPv4)
            || m_socket.localAddress().isEqual(QHostAddress::AnyIPv6))
            m_socket.writeDatagram(answer);
        else
            // Sent from the bound address: a reply made by makeReply() to a request for 127.0.0.10
            // went out from 127.0.0.1, and the updater rightly took it for a stranger's.
            m_socket.writeDatagram(answer.data(), answer.destinationAddress(), quint16(answer.destinationPort()));
    }

    void applicationStarted() override
    {
        ++m_starts;
        m_out << "application started" << Qt::endl;
    }
    bool dumpMemory() override { return writeDump(); }
    void writeRefused(quint32 address, qsizetype length) override
    {
        m_out << "refused write of " << counted(length, "byte", "bytes") << " at " << hex(address)
              << ": outside the memory map" << Qt::endl;
    }

    QUdpSocket m_socket;
    QUdpSocket m_answerSocket;
    QString m_socketError;
    PacketHandler m_handler { *this };
    QTextStream m_out { stdout };
    QString m_dumpPath;
    int m_dropEvery;
    bool m_silent;
    Faults m_faults;
    QRandomGenerator m_random;
    std::optional<QNetworkDatagram> m_held; // the answer that waits for the next one
    qint64 m_requests = 0;
    int m_starts = 0;
};

// Printed after the options by --help.
constexpr char HelpEpilogue[] = "\n"
                                "Exit status:\n"
                                "  0  ended by Ctrl+C, SIGTERM or the start command, and the dump file (if any)\n"
                                "     was written\n"
                                "  1  it could not listen, or the dump file could not be written\n"
                                "  2  the command line is wrong\n"
                                "\n"
                                "Environment: none is read.\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sw61942-device-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SW_PROGRAM_VERSION));
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates the device's boot loader for the stand-in updater: keeps a sparse flash memory\n"
                       "(0x07000-0x07FFF parameters, 0x08000-0x7FFFF firmware, 0x80000-0xFFFFF second image),\n"
                       "answers writes, reads and the start command, and on exit writes the written regions to the\n"
                       "dump file."));
    sw::tools::StandardOptions standardOptions(parser);
    const QCommandLineOption addressOption(QStringLiteral("address"),
        QStringLiteral("Address to listen on (default 127.0.0.1)."), QStringLiteral("ADDRESS"),
        QStringLiteral("127.0.0.1"));
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("UDP port (default 2008, the boot port; 0 picks a free one)."), QStringLiteral("PORT"),
        QStringLiteral("2008"));
    const QCommandLineOption dumpOption(
        QStringLiteral("dump"), QStringLiteral("File that receives the memory at exit."), QStringLiteral("FILE"));
    const QCommandLineOption dropOption(QStringLiteral("drop-every"),
        QStringLiteral("Ignore every Nth request, to exercise the updater's retries."), QStringLiteral("N"),
        QStringLiteral("0"));
    const QCommandLineOption silentOption(QStringLiteral("silent"), QStringLiteral("Answer nothing."));
    const QCommandLineOption lossOption(QStringLiteral("loss"),
        QStringLiteral("Lose this share in percent of the requests received and of the answers sent (0 to 100)."),
        QStringLiteral("PERCENT"), QStringLiteral("0"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
        QStringLiteral("Seed of the losses of --loss (default 1): the same seed loses the same datagrams."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption duplicateOption(QStringLiteral("duplicate"), QStringLiteral("Send every answer twice."));
    const QCommandLineOption reorderOption(
        QStringLiteral("reorder"), QStringLiteral("Hold every answer back and send it after the next one."));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
        QStringLiteral("Send every answer this many milliseconds late."), QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption stopAfterOption(QStringLiteral("stop-after"),
        QStringLiteral("Take the first N requests, then answer nothing more."), QStringLiteral("N"));
    const QCommandLineOption answerFromOption(QStringLiteral("answer-from"),
        QStringLiteral("Send every answer from another socket, as a stranger would: ADDRESS on the listening port,\n"
                       "or ADDRESS:PORT (port 0 picks a free one)."),
        QStringLiteral("ADDRESS[:PORT]"));
    const QCommandLineOption shiftAnswersOption(QStringLiteral("shift-answers"),
        QStringLiteral("Name the request's address plus N (decimal, or hex with 0x) in every answer."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption shiftWritesOption(QStringLiteral("shift-writes"),
        QStringLiteral("Store every write N bytes (decimal, or hex with 0x) above the address it names;\n"
                       "reads stay where asked."),
        QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions(
        { addressOption, portOption, dumpOption, dropOption, silentOption, lossOption, seedOption, duplicateOption,
            reorderOption, delayOption, stopAfterOption, answerFromOption, shiftAnswersOption, shiftWritesOption });
    if (const std::optional<int> status
        = standardOptions.parse(QCoreApplication::arguments(), "sw61942-device-sim", HelpEpilogue))
        return *status;
    if (!parser.positionalArguments().isEmpty()) {
        err << "sw61942-device-sim: unexpected argument \"" << parser.positionalArguments().front()
            << "\"; it takes options only (see --help)\n";
        return UsageError;
    }
    // Names the option whose value is wrong.
    const auto invalid = [&](const QCommandLineOption &option) {
        err << "sw61942-device-sim: invalid --" << option.names().constFirst() << " \"" << parser.value(option)
            << "\" (see --help)\n";
        return UsageError;
    };

    const QHostAddress address(parser.value(addressOption));
    if (address.isNull())
        return invalid(addressOption);
    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535)
        return invalid(portOption);
    const int dropEvery = parser.value(dropOption).toInt(&ok);
    if (!ok || dropEvery < 0)
        return invalid(dropOption);
    Faults faults;
    faults.lossPercent = parser.value(lossOption).toInt(&ok);
    if (!ok || faults.lossPercent < 0 || faults.lossPercent > 100)
        return invalid(lossOption);
    faults.seed = parser.value(seedOption).toUInt(&ok);
    if (!ok)
        return invalid(seedOption);
    faults.duplicate = parser.isSet(duplicateOption);
    faults.reorder = parser.isSet(reorderOption);
    faults.delayMs = parser.value(delayOption).toInt(&ok);
    if (!ok || faults.delayMs < 0)
        return invalid(delayOption);
    if (parser.isSet(stopAfterOption)) {
        faults.answeredRequests = parser.value(stopAfterOption).toLongLong(&ok);
        if (!ok || faults.answeredRequests < 0)
            return invalid(stopAfterOption);
    }
    faults.answerShift = parser.value(shiftAnswersOption).toInt(&ok, 0);
    if (!ok)
        return invalid(shiftAnswersOption);
    faults.writeShift = parser.value(shiftWritesOption).toInt(&ok, 0);
    if (!ok)
        return invalid(shiftWritesOption);
    if (parser.isSet(answerFromOption)) {
        const QString text = parser.value(answerFromOption);
        faults.answerAddress = QHostAddress(text);
        const qsizetype colon = text.lastIndexOf(u':');
        bool answerFromOk = true;
        if (faults.answerAddress->isNull() && colon > 0) {
            // "ADDRESS:PORT", or "[IPv6]:PORT"
            QString host = text.left(colon);
            if (host.startsWith(u'[') && host.endsWith(u']'))
                host = host.mid(1, host.size() - 2);
            faults.answerAddress = QHostAddress(host);
            const uint answerPort = text.mid(colon + 1).toUInt(&answerFromOk);
            answerFromOk = answerFromOk && answerPort <= 65535;
            faults.answerPort = quint16(answerPort);
            faults.answerPortSet = true;
        }
        if (!answerFromOk || faults.answerAddress->isNull())
            return invalid(answerFromOption);
    }

    Device device(parser.value(dumpOption), dropEvery, parser.isSet(silentOption), faults);
    if (!device.listen(address, quint16(port))) {
        err << "sw61942-device-sim: cannot listen on " << address.toString() << ':' << port << ": "
            << device.socketError() << '\n';
        return 1;
    }

    // A signal only sets a flag; the timer turns it into a normal end, so the dump is written.
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QTimer signalPoll;
    QObject::connect(&signalPoll, &QTimer::timeout, &app, [] {
        if (stopRequested)
            QCoreApplication::quit();
    });
    signalPoll.start(50);

    app.exec();
    return device.writeDump() ? 0 : 1;
}

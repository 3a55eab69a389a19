// sw61942-device-sim: a stand-in for the device's boot loader on a loopback address, so that the
// stand-in updater (and with it the configurator's update step) can be run without a device. It
// answers the block protocol of tools/common/BlockProtocol.h over a sparse memory and, when it
// ends, writes what was written to its dump file.

#include "DeviceMemory.h"
#include "common/BlockProtocol.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTextStream>
#include <QTimer>
#include <QUdpSocket>
#include <csignal>

using namespace sw::block;

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int)
{
    stopRequested = 1;
}

QString hex(quint32 address)
{
    return QStringLiteral("0x") + QString::number(address, 16).toUpper().rightJustified(5, u'0');
}

class Device : public QObject
{
public:
    Device(QString dumpPath, int dropEvery, bool silent)
        : m_dumpPath(std::move(dumpPath))
        , m_dropEvery(dropEvery)
        , m_silent(silent)
    {
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] { receive(); });
    }

    bool listen(const QHostAddress &address, quint16 port)
    {
        if (!m_socket.bind(address, port))
            return false;
        m_out << "listening on " << m_socket.localAddress().toString() << ':' << m_socket.localPort() << Qt::endl;
        return true;
    }
    QString socketError() const { return m_socket.errorString(); }

    // The written regions, then how often the application was started.
    bool writeDump()
    {
        if (m_dumpPath.isEmpty())
            return true;
        QFile file(m_dumpPath);
        const QByteArray text = "# sw61942-device-sim memory: region <address> <length> <bytes in hex>\n"
            + m_memory.dump() + "started " + QByteArray::number(m_starts) + '\n';
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
            const std::optional<Packet> request = decode(datagram.data());
            if (!request || (request->command & AnswerBit))
                continue;
            ++m_requests;
            if (m_silent || (m_dropEvery > 0 && m_requests % m_dropEvery == 0))
                continue;
            m_socket.writeDatagram(datagram.makeReply(encode(answer(*request))));
            if (request->command == Stop)
                QCoreApplication::quit();
        }
    }

    Packet answer(const Packet &request)
    {
        Packet reply { quint8(request.command | AnswerBit), Done, request.sequence, request.address, 0, {} };
        switch (request.command) {
        case Write:
            if (!m_memory.write(request.address, request.data)) {
                reply.status = Refused;
                m_out << "refused write of " << request.data.size() << " bytes at " << hex(request.address)
                      << ": outside the memory map" << Qt::endl;
            }
            break;
        case Read: {
            bool ok = false;
            reply.data = m_memory.read(request.address, request.length, &ok);
            reply.length = quint16(reply.data.size());
            if (!ok)
                reply.status = Refused;
            break;
        }
        case Start:
            ++m_starts;
            m_out << "application started" << Qt::endl;
            break;
        case Dump:
            if (!writeDump())
                reply.status = Refused;
            break;
        case Stop:
            break;
        default:
            reply.status = Malformed;
        }
        return reply;
    }

    QUdpSocket m_socket;
    DeviceMemory m_memory;
    QTextStream m_out { stdout };
    QString m_dumpPath;
    int m_dropEvery;
    bool m_silent;
    qint64 m_requests = 0;
    int m_starts = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sw61942-device-sim"));
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates the device's boot loader for the stand-in updater: keeps a sparse flash memory\n"
                       "(0x07000-0x07FFF parameters, 0x08000-0x7FFFF firmware, 0x80000-0xFFFFF second image),\n"
                       "answers writes, reads and the start command, and on exit writes the written regions to the\n"
                       "dump file."));
    parser.addHelpOption();
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
    parser.addOptions({ addressOption, portOption, dumpOption, dropOption, silentOption });
    parser.process(app);

    const QHostAddress address(parser.value(addressOption));
    bool portOk = false;
    bool dropOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const int dropEvery = parser.value(dropOption).toInt(&dropOk);
    if (address.isNull() || !portOk || port > 65535 || !dropOk || dropEvery < 0) {
        err << "sw61942-device-sim: invalid --address, --port or --drop-every (see --help)\n";
        return 1;
    }

    Device device(parser.value(dumpOption), dropEvery, parser.isSet(silentOption));
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

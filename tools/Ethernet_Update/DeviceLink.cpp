#include "DeviceLink.h"

#include "common/Hex.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>

using namespace sw::block;
using sw::tools::hex;

namespace updater {

namespace {

QString commandName(quint8 command)
{
    switch (command) {
    case Write:
        return QStringLiteral("write");
    case Read:
        return QStringLiteral("read");
    default:
        return QStringLiteral("start");
    }
}

} // namespace

DeviceLink::DeviceLink(const QString &host, quint16 port)
    : m_host(host)
    , m_port(port)
{
    const QHostAddress any(
        m_host.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4);
    if (!m_socket.bind(any, 0))
        throw TransferError(QStringLiteral("cannot open a UDP socket: %1").arg(m_socket.errorString()));
}

QString DeviceLink::device() const
{
    return m_host.toString() + u':' + QString::number(m_port);
}

void DeviceLink::write(quint32 address, const QByteArray &bytes)
{
    request({ Write, Done, 0, address, quint16(bytes.size()), bytes });
}

QByteArray DeviceLink::read(quint32 address, quint16 length)
{
    const Packet answer = request({ Read, Done, 0, address, length, {} });
    if (answer.data.size() != length)
        throw TransferError(QStringLiteral("the device at %1 answered %2 bytes to the read request of %3 at %4")
                                .arg(device())
                                .arg(answer.data.size())
                                .arg(length)
                                .arg(hex(address)));
    return answer.data;
}

void DeviceLink::startApplication()
{
    request({ Start, Done, 0, 0, 0, {} });
}

Packet DeviceLink::request(Packet packet)
{
    packet.sequence = ++m_sequence;
    const QByteArray bytes = encode(packet);
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        if (attempt > 1)
            ++m_repeated;
        if (m_socket.writeDatagram(bytes, m_host, m_port) != bytes.size())
            throw TransferError(
                QStringLiteral("cannot send the %1 request at %2 to %3: %4")
                    .arg(commandName(packet.command), hex(packet.address), device(), m_socket.errorString()));
        if (const std::optional<Packet> answer = awaitAnswer(packet.command, packet.sequence)) {
            if (answer->status == Refused)
                throw TransferError(
                    QStringLiteral("the device at %1 refused the %2 request of %3 bytes at %4: outside its memory")
                        .arg(device(), commandName(packet.command))
                        .arg(packet.length)
                        .arg(hex(packet.address)));
            if (answer->status != Done)
                throw TransferError(QStringLiteral("the device at %1 rejected the %2 request at %3 (status %4)")
                                        .arg(device(), commandName(packet.command), hex(packet.address))
                                        .arg(answer->status));
            return *answer;
        }
    }
    throw TransferError(QStringLiteral("no answer from %1 to the %2 request at %3 after %4 attempts of %5 ms")
                            .arg(device(), commandName(packet.command), hex(packet.address))
                            .arg(Attempts)
                            .arg(AnswerTimeoutMs));
}

// The answer to this request, or nullopt when none came in time; other datagrams (late answers
// to earlier requests, strangers) are dropped.
std::optional<Packet> DeviceLink::awaitAnswer(quint8 command, quint16 sequence)
{
    const QDeadlineTimer deadline(AnswerTimeoutMs);
    while (true) {
        while (m_socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = m_socket.receiveDatagram();
            const std::optional<Packet> answer = decode(datagram.data());
            if (answer && answer->command == (command | AnswerBit) && answer->sequence == sequence)
                return answer;
        }
        if (deadline.hasExpired() || !m_socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
    }
}

} // namespace updater

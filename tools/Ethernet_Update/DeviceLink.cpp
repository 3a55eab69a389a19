#include "DeviceLink.h"

#include "common/Counted.h"
#include "common/Hex.h"

#include <QDeadlineTimer>
#include <QNetworkDatagram>

using namespace sw::block;
using sw::tools::counted;
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
    // An answer carries exactly the bytes asked for, or it is not taken as the answer.
    return request({ Read, Done, 0, address, length, {} }).data;
}

void DeviceLink::startApplication()
{
    request({ Start, Done, 0, 0, 0, {} });
}

Packet DeviceLink::request(Packet packet)
{
    packet.sequence = ++m_sequence;
    const QByteArray bytes = encode(packet);
    Ignored ignored;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        if (attempt > 1)
            ++m_repeated;
        if (m_socket.writeDatagram(bytes, m_host, m_port) != bytes.size())
            throw TransferError(
                QStringLiteral("cannot send the %1 request at %2 to %3: %4")
                    .arg(commandName(packet.command), hex(packet.address), device(), m_socket.errorString()));
        if (const std::optional<Packet> answer = awaitAnswer(packet, ignored)) {
            if (answer->status == Refused)
                throw TransferError(
                    QStringLiteral("the device at %1 refused the %2 request of %3 at %4: outside its memory")
                        .arg(device(), commandName(packet.command), counted(packet.length, "byte", "bytes"),
                            hex(packet.address)));
            if (answer->status != Done)
                throw TransferError(QStringLiteral("the device at %1 rejected the %2 request at %3 (status %4)")
                                        .arg(device(), commandName(packet.command), hex(packet.address))
                                        .arg(answer->status));
            return *answer;
        }
    }
    QString dropped;
    if (ignored.strangers > 0)
        dropped += QStringLiteral("; ignored %1 datagram(s) from other senders").arg(ignored.strangers);
    if (ignored.mismatched > 0)
        dropped += QStringLiteral("; ignored %1 answer(s) from the device that did not match the request "
                                  "(sequence, address or length)")
                       .arg(ignored.mismatched);
    throw TransferError(QStringLiteral("no answer from %1 to the %2 request at %3 after %4 attempts of %5 ms%6")
                            .arg(device(), commandName(packet.command), hex(packet.address))
                            .arg(Attempts)
                            .arg(AnswerTimeoutMs)
                            .arg(dropped));
}

// The answer to `request`, or nullopt when none came in time. Every other datagram is counted in
// `ignored` and dropped: from a stranger, a late answer to an earlier request, or an answer that
// names another address or length than was asked. The wait ends at its deadline however many
// datagrams arrive.
std::optional<Packet> DeviceLink::awaitAnswer(const Packet &request, Ignored &ignored)
{
    const QDeadlineTimer deadline(AnswerTimeoutMs);
    while (!deadline.hasExpired()) {
        if (!m_socket.hasPendingDatagrams() && !m_socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
        // One byte more than the largest packet: a longer datagram is cut and then fails to decode.
        const QNetworkDatagram datagram = m_socket.receiveDatagram(HeaderSize + BlockSize + 1);
        if (!datagram.senderAddress().isEqual(m_host, QHostAddress::ConvertV4MappedToIPv4)
            || datagram.senderPort() != int(m_port)) {
            ++ignored.strangers;
            continue;
        }
        const std::optional<Packet> answer = decode(datagram.data());
        if (answer && isAnswerTo(*answer, request))
            return answer;
        ++ignored.mismatched;
    }
    return std::nullopt;
}

} // namespace updater

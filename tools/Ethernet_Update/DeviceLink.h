#pragma once

#include "common/BlockProtocol.h"

#include "core/Error.h"

#include <QHostAddress>
#include <QRandomGenerator>
#include <QString>
#include <QUdpSocket>

namespace updater {

// The device did not answer, refused a request or gave back other bytes than were written.
class TransferError : public sw::Error
{
public:
    using sw::Error::Error;
};

// One device's boot port, spoken to one request at a time: each request waits for its answer
// block::AnswerTimeoutMs and is sent block::Attempts times in all before the link gives up. Only
// datagrams from that address and port that answer the very request count; any other datagram
// is dropped, since anyone on the network can send to the link's port.
class DeviceLink
{
public:
    DeviceLink(const QString &host, quint16 port);

    // Each throws TransferError.
    void write(quint32 address, const QByteArray &bytes);
    QByteArray read(quint32 address, quint16 length);
    void startApplication();

    int repeatedRequests() const { return m_repeated; }
    // "address:port", as messages name the device.
    QString device() const;

private:
    // Datagrams dropped while one request waited for its answer, named when it gets none.
    struct Ignored
    {
        int strangers = 0; // from another address or port than the device's
        int mismatched = 0; // from the device, but no answer to this request
    };

    sw::block::Packet request(sw::block::Packet packet);
    std::optional<sw::block::Packet> awaitAnswer(const sw::block::Packet &request, Ignored &ignored);

    QUdpSocket m_socket;
    QHostAddress m_host;
    quint16 m_port;
    // Each link starts its sequence numbers at a random point, so that a late answer to an earlier
    // link that got the same local port cannot pass for an answer of this one.
    quint16 m_sequence = quint16(QRandomGenerator::global()->generate());
    int m_repeated = 0;
};

} // namespace updater

#pragma once

#include "platform/IcmpEcho.h"

namespace sw {

// ICMP echo over an IPv4 socket of the kernel. The request is one ICMP message of 1024 bytes: the
// 8-byte header followed by 1016 bytes of data that begin with the payload (cut to fit) and are
// zero-filled after it.
class PosixIcmpEcho final : public IcmpEcho
{
public:
    enum class SocketKind {
        Automatic, // a datagram socket where the system permits one, else a raw socket, else the system's
                   // ping program (see SystemPing), whose data carry the payload in its own layout
        Datagram, // SOCK_DGRAM, IPPROTO_ICMP: unprivileged, allowed by net.ipv4.ping_group_range
        Raw, // SOCK_RAW, IPPROTO_ICMP: needs CAP_NET_RAW
    };

    static constexpr int PacketSize = 1024;
    static constexpr int DataSize = PacketSize - 8;

    explicit PosixIcmpEcho(SocketKind kind = SocketKind::Automatic);

    bool echo(const QString &address, const QByteArray &payload, std::chrono::milliseconds timeout,
        const std::function<void()> &whileWaiting = {}) override;

private:
    SocketKind m_kind;
};

} // namespace sw

#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

namespace sw {

// ICMP echo (IPv4) for the reachability check before a device update.
class IcmpEcho
{
public:
    virtual ~IcmpEcho() = default;

    // Sends one echo request to `address`, which must be a literal dotted IPv4 address (no name
    // lookup; leading zeros in a part are decimal, see parseIpv4Address), carrying `payload` at the start of a
    // 1024-byte packet, and waits up to `timeout` for its reply. Returns true when a reply came in time and carried
    // data, false when none came (or it was empty). `whileWaiting`, when given, is called about every 10 ms during the
    // wait so that windows keep repainting. Throws sw::Error when the request cannot be sent at all: not an IPv4
    // address, ICMP sockets not permitted (the message names the system setting that allows them), a send that the
    // system refuses.
    virtual bool echo(const QString &address, const QByteArray &payload, std::chrono::milliseconds timeout,
        const std::function<void()> &whileWaiting = {})
        = 0;
};

} // namespace sw

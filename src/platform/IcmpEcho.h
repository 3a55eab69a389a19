#pragma once

#include "core/Error.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

namespace sw {

// Why an echo request could not be sent at all.
enum class EchoFailure {
    NotAnAddress, // the target is not a literal dotted IPv4 address; the detail is the target
    NotPermitted, // the system allows this user no ICMP socket (net.ipv4.ping_group_range, CAP_NET_RAW)
    NoRoute, // no network of this computer leads to the target
    SocketRefused, // the ICMP socket could not be opened for another reason; the detail is the system's
    SendRefused, // the system refused to send the request; the detail is the system's reason
};

// A request that could not be sent. The user interface shows its own text for the reason, with the
// detail inside; message() is an English line for logs and tools.
class EchoError final : public Error
{
public:
    EchoError(EchoFailure reason, const QString &detail, const QString &message)
        : Error(message)
        , m_reason(reason)
        , m_detail(detail)
    {
    }
    EchoFailure reason() const noexcept { return m_reason; }
    const QString &detail() const noexcept { return m_detail; }

private:
    EchoFailure m_reason;
    QString m_detail;
};

// ICMP echo (IPv4) for the reachability check before a device update.
class IcmpEcho
{
public:
    virtual ~IcmpEcho() = default;

    // Sends one echo request to `address`, which must be a literal dotted IPv4 address (no name
    // lookup; leading zeros in a part are decimal, see parseIpv4Address), carrying `payload` at the
    // start of a 1024-byte packet, and waits up to `timeout` for its reply. Returns true when a
    // reply came in time and carried data, false when none came (or it was empty). `whileWaiting`,
    // when given, is called about every 10 ms during the wait so that windows keep repainting.
    // Throws EchoError when the request cannot be sent at all.
    virtual bool echo(const QString &address, const QByteArray &payload, std::chrono::milliseconds timeout,
        const std::function<void()> &whileWaiting = {})
        = 0;
};

} // namespace sw

#include "platform/posix/PosixIcmpEcho.h"

#include "core/update/IpAddress.h"
#include "platform/posix/SystemPing.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sw {

namespace {

using Clock = std::chrono::steady_clock;

// The longest single wait, so that `whileWaiting` runs about every 10 ms.
constexpr std::chrono::milliseconds Slice { 10 };

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void fail(EchoFailure reason, const QString &detail, const QString &message)
{
    throw EchoError(reason, detail, QStringLiteral("ICMP echo: ") + message);
}

[[noreturn]] void failSystem(EchoFailure reason, const char *what, int error)
{
    fail(reason, systemText(error), QStringLiteral("%1: %2").arg(QLatin1String(what), systemText(error)));
}

// Owns a socket descriptor and closes it on every way out.
class Socket
{
public:
    explicit Socket(int fd)
        : m_fd(fd)
    {
    }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

bool refusedForPermission(int error)
{
    return error == EACCES || error == EPERM;
}

[[noreturn]] void failNotPermitted(int error)
{
    fail(EchoFailure::NotPermitted, systemText(error),
        QStringLiteral("not permitted: allow unprivileged ICMP sockets for this user's group with the system setting "
                       "net.ipv4.ping_group_range (sysctl), or give the program CAP_NET_RAW"));
}

// Opens the ICMP socket of the kind asked for; `raw` tells which kind it became. Where neither kind
// is permitted and `permission` is given, it receives the system's error and the socket is -1.
Socket openSocket(PosixIcmpEcho::SocketKind kind, bool &raw, int *permission = nullptr)
{
    using Kind = PosixIcmpEcho::SocketKind;
    if (kind != Kind::Raw) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            raw = false;
            return Socket(fd);
        }
        const int datagramError = errno;
        if (!refusedForPermission(datagramError))
            failSystem(EchoFailure::SocketRefused, "datagram socket", datagramError);
        if (kind == Kind::Datagram)
            failNotPermitted(datagramError);
    }
    const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        const int rawError = errno;
        if (refusedForPermission(rawError) && permission) {
            *permission = rawError;
            return Socket(-1);
        }
        if (refusedForPermission(rawError))
            failNotPermitted(rawError);
        failSystem(EchoFailure::SocketRefused, "raw socket", rawError);
    }
    raw = true;
    return Socket(fd);
}

quint16 checksum(const unsigned char *data, size_t size)
{
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += quint32(data[i]) << 8 | data[i + 1];
    if (size % 2)
        sum += quint32(data[size - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

quint16 readBe16(const unsigned char *p)
{
    return quint16(p[0] << 8 | p[1]);
}

void writeBe16(unsigned char *p, quint16 value)
{
    p[0] = static_cast<unsigned char>(value >> 8);
    p[1] = static_cast<unsigned char>(value);
}

// Sequence numbers of this process, so that a late reply to an earlier request never matches.
std::atomic<quint16> nextSequence { 1 };

enum class Reply { None, WithData, Empty };

// Reads every datagram waiting on the socket and reports the first that answers our request.
// A raw socket sees whole IP packets and all ICMP traffic of the host, our own request on
// loopback among them; a datagram socket gets only the ICMP messages for its own identifier.
Reply readReplies(int fd, bool raw, in_addr target, quint16 identifier, quint16 sequence)
{
    unsigned char buffer[PosixIcmpEcho::PacketSize + 128];
    for (;;) {
        sockaddr_in from {};
        socklen_t fromSize = sizeof from;
        const ssize_t received
            = ::recvfrom(fd, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr *>(&from), &fromSize);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            return Reply::None; // nothing more waiting, or an error report that is not an answer
        }
        if (from.sin_addr.s_addr != target.s_addr)
            continue;
        const unsigned char *icmp = buffer;
        size_t size = size_t(received);
        if (raw) {
            if (size < 20)
                continue;
            const size_t headerSize = size_t(buffer[0] & 0x0f) * 4;
            if (headerSize < 20 || headerSize + 8 > size || buffer[9] != IPPROTO_ICMP)
                continue;
            icmp += headerSize;
            size -= headerSize;
        }
        if (size < 8 || icmp[0] != ICMP_ECHOREPLY || icmp[1] != 0 || readBe16(icmp + 6) != sequence)
            continue;
        // The kernel puts its own identifier into a datagram socket's requests and filters the replies.
        if (raw && readBe16(icmp + 4) != identifier)
            continue;
        return size > 8 ? Reply::WithData : Reply::Empty;
    }
}

// Where this program may open no ICMP socket, the system's ping, which has a privilege of its own,
// sends the request. Where there is none, or it cannot send either, the permission is what is
// missing, and the error says so as without it.
bool echoWithSystemPing(quint32 target, const QByteArray &payload, std::chrono::milliseconds timeout,
    const std::function<void()> &whileWaiting, int permissionError)
{
    const QString ping = SystemPing::find();
    if (ping.isEmpty())
        failNotPermitted(permissionError);
    // Ping counts a request that no network leads to as sent and unanswered. A UDP socket, which
    // needs no privilege and sends nothing when connected, finds that out as our own send would.
    const Socket probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(target);
    to.sin_port = htons(9);
    if (probe.fd() >= 0 && ::connect(probe.fd(), reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
        const int error = errno;
        if (error == ENETUNREACH || error == EHOSTUNREACH)
            failSystem(EchoFailure::NoRoute, "route", error);
    }
    const SystemPing::Result result = SystemPing::echo(ping, target, payload, timeout, whileWaiting);
    switch (result.outcome) {
    case SystemPing::Outcome::Reply:
        return true;
    case SystemPing::Outcome::NoReply:
        return false;
    case SystemPing::Outcome::NoRoute:
        fail(EchoFailure::NoRoute, result.detail, QStringLiteral("%1: %2").arg(ping, result.detail));
    case SystemPing::Outcome::Failed:
        break;
    }
    failNotPermitted(permissionError);
}

} // namespace

PosixIcmpEcho::PosixIcmpEcho(SocketKind kind)
    : m_kind(kind)
{
}

bool PosixIcmpEcho::echo(const QString &address, const QByteArray &payload, std::chrono::milliseconds timeout,
    const std::function<void()> &whileWaiting)
{
    // Leading zeros in a part are decimal ("010" is ten), as the address boxes mean them.
    const std::optional<quint32> parsed = parseIpv4Address(address);
    if (!parsed)
        fail(EchoFailure::NotAnAddress, address, QStringLiteral("\"%1\" is not a dotted IPv4 address").arg(address));
    in_addr target {};
    target.s_addr = htonl(*parsed);

    bool raw = false;
    int permission = 0;
    const Socket socket = openSocket(m_kind, raw, m_kind == SocketKind::Automatic ? &permission : nullptr);
    if (socket.fd() < 0)
        return echoWithSystemPing(*parsed, payload, timeout, whileWaiting, permission);

    const quint16 identifier = quint16(::getpid());
    const quint16 sequence = nextSequence.fetch_add(1);
    unsigned char packet[PacketSize] {};
    packet[0] = ICMP_ECHO;
    writeBe16(packet + 4, identifier);
    writeBe16(packet + 6, sequence);
    std::memcpy(packet + 8, payload.constData(), size_t(std::min<qsizetype>(payload.size(), DataSize)));
    writeBe16(packet + 2, checksum(packet, sizeof packet));

    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr = target;
    for (;;) {
        if (::sendto(socket.fd(), packet, sizeof packet, 0, reinterpret_cast<const sockaddr *>(&to), sizeof to) >= 0)
            break;
        const int error = errno;
        if (error == ENETUNREACH || error == EHOSTUNREACH)
            failSystem(EchoFailure::NoRoute, "send", error);
        if (error != EINTR)
            failSystem(EchoFailure::SendRefused, "send", error);
    }

    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero())
            return false;
        pollfd waiting { socket.fd(), POLLIN, 0 };
        if (::poll(&waiting, 1, int(std::min(left, Slice).count())) > 0) {
            switch (readReplies(socket.fd(), raw, target, identifier, sequence)) {
            case Reply::WithData:
                return true;
            case Reply::Empty:
                return false;
            case Reply::None:
                break;
            }
        }
        if (whileWaiting)
            whileWaiting();
    }
}

} // namespace sw

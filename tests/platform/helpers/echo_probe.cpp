// Sends one ICMP echo request and reports the outcome, so that the tests can run it inside a
// network namespace of their own. Usage: echo_probe <address> <time-out ms> <auto|datagram|raw>.
// Prints "answered", "silent" or "error: <reason>: <message>", then the elapsed milliseconds and how often
// the wait called back; exits with 0, 1 or 2 accordingly.
#include "platform/posix/PosixIcmpEcho.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *reasonName(sw::EchoFailure reason)
{
    switch (reason) {
    case sw::EchoFailure::NotAnAddress:
        return "not-an-address";
    case sw::EchoFailure::NotPermitted:
        return "not-permitted";
    case sw::EchoFailure::NoRoute:
        return "no-route";
    case sw::EchoFailure::SocketRefused:
        return "socket-refused";
    case sw::EchoFailure::SendRefused:
        return "send-refused";
    }
    return "?";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return 3;
    using Kind = sw::PosixIcmpEcho::SocketKind;
    const Kind kind = std::strcmp(argv[3], "datagram") == 0 ? Kind::Datagram
        : std::strcmp(argv[3], "raw") == 0                  ? Kind::Raw
                                                            : Kind::Automatic;
    sw::PosixIcmpEcho echo(kind);
    int calls = 0;
    QElapsedTimer timer;
    timer.start();
    int code = 0;
    try {
        const bool answered = echo.echo(QString::fromLocal8Bit(argv[1]), QByteArray(argv[1]),
            std::chrono::milliseconds(std::atoi(argv[2])), [&calls] { ++calls; });
        std::printf("%s", answered ? "answered" : "silent");
        code = answered ? 0 : 1;
    } catch (const sw::EchoError &error) {
        std::printf("error: %s: %s", reasonName(error.reason()), qPrintable(error.message()));
        code = 2;
    }
    std::printf("\n%lld\n%d\n", static_cast<long long>(timer.elapsed()), calls);
    return code;
}

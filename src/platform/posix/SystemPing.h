#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace sw {

// The system's ping program, which holds a privilege of its own (a file capability or setuid): the
// way to send echo requests where this program may open no ICMP socket.
namespace SystemPing {

// The absolute path of an executable `ping` in an absolute folder of PATH, else in /usr/bin or
// /bin; empty when there is none.
QString find();

// How one request through ping ended.
enum class Outcome {
    Reply, // an echo reply from the target carrying data came in time
    NoReply, // none came in time, or one came without data
    NoRoute, // ping found no network that leads to the target
    Failed, // ping could not send at all (not permitted either, or not a ping it understands)
};

struct Result
{
    Outcome outcome = Outcome::Failed;
    QString detail; // for NoRoute and Failed: what ping said, cut short
};

// Sends one echo request of 1024 bytes (8-byte header, 1016 bytes of data) to `address` with ping,
// which waits up to `timeout` from its sending for the reply; a request without one takes the whole
// time-out. `whileWaiting` is called about every 10 ms. The data are `payload` cut or zero-filled
// to 16 bytes and repeated, as ping's pattern, after the 16 bytes of the send time that ping puts
// first. Ping is started without a shell or the caller's environment, with the address in dotted
// form (no leading zeros); its output is read up to a bound, and it is killed when it runs a
// second past the time-out.
Result echo(const QString &program, quint32 address, const QByteArray &payload, std::chrono::milliseconds timeout,
    const std::function<void()> &whileWaiting);

} // namespace SystemPing

} // namespace sw

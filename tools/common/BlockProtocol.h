#pragma once

#include <QByteArray>
#include <QtEndian>
#include <optional>

// The small block protocol between the stand-in updater and the device simulator, over UDP.
//
// Every datagram is a 12-byte header followed by data, all numbers little-endian:
//
//   offset  size  field
//   0       2     magic 0x5342 ("BS" on the wire)
//   2       1     command: 1 write, 2 read, 3 start application, 4 dump memory, 5 stop;
//                 an answer carries the request's command with bit 7 set (0x81, 0x82, ...)
//   3       1     status, in answers: 0 done, 1 refused (outside the memory map), 2 malformed request;
//                 0 in requests
//   4       2     sequence number of the request, repeated in its answer
//   6       4     device address (write and read)
//   10      2     data length: the bytes that follow (write, read answer) or the bytes wanted (read)
//   12      ...   data, at most BlockSize bytes
//
// An answer repeats its request's sequence number, address and length; a read answer that is done
// carries the bytes asked for, any other read answer carries none (length 0).
//
// The updater sends one request at a time and waits AnswerTimeoutMs for its answer, taken only
// from the address and port it sent to and only when isAnswerTo() holds; it sends the same request
// again up to Attempts times in all before it gives up. Writes and reads are idempotent, so a
// request repeated after a lost answer does no harm; the device knows a start request sent again
// by its sequence number and starts its application once. Late answers to earlier requests are
// ignored by their sequence number. Unwritten device memory reads as 0xFF.
namespace sw::block {

inline constexpr quint16 Magic = 0x5342;
inline constexpr int HeaderSize = 12;
inline constexpr int BlockSize = 1024;
inline constexpr int AnswerTimeoutMs = 150;
inline constexpr int Attempts = 5;

enum Command : quint8 {
    Write = 1,
    Read = 2,
    Start = 3,
    Dump = 4,
    Stop = 5,
};
inline constexpr quint8 AnswerBit = 0x80;

enum Status : quint8 {
    Done = 0,
    Refused = 1,
    Malformed = 2,
};

struct Packet
{
    quint8 command = 0;
    quint8 status = Done;
    quint16 sequence = 0;
    quint32 address = 0;
    quint16 length = 0;
    QByteArray data;
};

inline QByteArray encode(const Packet &p)
{
    QByteArray bytes(HeaderSize, '\0');
    auto *out = reinterpret_cast<uchar *>(bytes.data());
    qToLittleEndian<quint16>(Magic, out);
    out[2] = p.command;
    out[3] = p.status;
    qToLittleEndian<quint16>(p.sequence, out + 4);
    qToLittleEndian<quint32>(p.address, out + 6);
    qToLittleEndian<quint16>(p.length, out + 10);
    return bytes + p.data;
}

// nullopt for a datagram that is not a packet: too short, wrong magic, or data that does not match
// the length field (a read request carries no data whatever its length field says).
inline std::optional<Packet> decode(const QByteArray &bytes)
{
    if (bytes.size() < HeaderSize)
        return std::nullopt;
    const auto *in = reinterpret_cast<const uchar *>(bytes.constData());
    if (qFromLittleEndian<quint16>(in) != Magic)
        return std::nullopt;
    Packet p;
    p.command = in[2];
    p.status = in[3];
    p.sequence = qFromLittleEndian<quint16>(in + 4);
    p.address = qFromLittleEndian<quint32>(in + 6);
    p.length = qFromLittleEndian<quint16>(in + 10);
    p.data = bytes.mid(HeaderSize);
    if (p.length > BlockSize)
        return std::nullopt;
    const bool carriesData = p.command == Write || p.command == (Read | AnswerBit);
    if (p.data.size() != (carriesData ? p.length : 0))
        return std::nullopt;
    return p;
}

// Whether `answer` answers `request`: the request's command with the answer bit, its sequence
// number, address and length, and data only in a read answer that is done. Anything else, however
// close, is some other request's answer or a forgery.
inline bool isAnswerTo(const Packet &answer, const Packet &request)
{
    if (answer.command != (request.command | AnswerBit) || answer.sequence != request.sequence
        || answer.address != request.address)
        return false;
    const bool carriesData = request.command == Read && answer.status == Done;
    const quint16 length = request.command == Read && !carriesData ? 0 : request.length;
    return answer.length == length && answer.data.size() == (carriesData ? length : 0);
}

} // namespace sw::block

#include "PacketHandler.h"

#include <utility>

using namespace sw::block;

std::optional<Packet> decodeRequest(const QByteArray &datagram)
{
    std::optional<Packet> request = decode(datagram);
    if (request && (request->command & AnswerBit))
        return std::nullopt;
    return request;
}

Packet PacketHandler::answer(const Packet &request)
{
    const std::optional<quint16> startSequence = std::exchange(m_startSequence, std::nullopt);
    Packet reply { quint8(request.command | AnswerBit), Done, request.sequence, request.address, request.length, {} };
    switch (request.command) {
    case Write:
        if (!m_memory.write(request.address, request.data)) {
            reply.status = Refused;
            m_actions.writeRefused(request.address, request.data.size());
        }
        break;
    case Read: {
        bool ok = false;
        reply.data = m_memory.read(request.address, request.length, &ok);
        reply.length = quint16(reply.data.size());
        if (!ok)
            reply.status = Refused;
        break;
    }
    case Start:
        if (startSequence != request.sequence)
            m_actions.applicationStarted();
        m_startSequence = request.sequence;
        break;
    case Dump:
        if (!m_actions.dumpMemory())
            reply.status = Refused;
        break;
    case Stop:
        break;
    default:
        reply.status = Malformed;
    }
    return reply;
}

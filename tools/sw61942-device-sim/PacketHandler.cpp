#include "PacketHandler.h"

using namespace sw::block;

std::optional<Packet> decodeRequest(const QByteArray &datagram)
{
    std::optional<Packet> request = decode(datagram);
    if (request && (request->command & AnswerBit))
        return std::nullopt;
    return request;
}

Packet answerRequest(DeviceMemory &memory, const Packet &request, DeviceActions &actions)
{
    Packet reply { quint8(request.command | AnswerBit), Done, request.sequence, request.address, request.length, {} };
    switch (request.command) {
    case Write:
        if (!memory.write(request.address, request.data)) {
            reply.status = Refused;
            actions.writeRefused(request.address, request.data.size());
        }
        break;
    case Read: {
        bool ok = false;
        reply.data = memory.read(request.address, request.length, &ok);
        reply.length = quint16(reply.data.size());
        if (!ok)
            reply.status = Refused;
        break;
    }
    case Start:
        actions.applicationStarted();
        break;
    case Dump:
        if (!actions.dumpMemory())
            reply.status = Refused;
        break;
    case Stop:
        break;
    default:
        reply.status = Malformed;
    }
    return reply;
}

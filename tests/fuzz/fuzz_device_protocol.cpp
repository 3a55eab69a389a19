// Feeds a sequence of datagrams to the device simulator's packet handler over one memory. Each
// datagram is two little-endian length bytes and that many bytes (fewer at the end). Asserts that
// a datagram that is no request gets no answer, that every answer is a well-formed packet that the
// updater takes as the answer to its request, that a write done reads back, that the application
// starts on every start request but one that repeats the start request just before it, that nothing else changes the
// memory, and that the memory holds only regions inside its map.
#include "FuzzSupport.h"

#include "sw61942-device-sim/PacketHandler.h"

#include <QtEndian>

using namespace sw::block;

namespace {

// Every region of the dump lies in the map, in address order, not touching the one before.
void requireMemoryInMap(const DeviceMemory &memory)
{
    quint64 previousEnd = 0;
    for (const QByteArray &line : memory.dump().split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split(' ');
        fuzz::require(fields.size() == 4 && fields[0] == "region");
        bool addressOk = false, lengthOk = false;
        const quint32 address = fields[1].mid(2).toUInt(&addressOk, 16);
        const quint32 length = fields[2].toUInt(&lengthOk);
        fuzz::require(addressOk && lengthOk && quint32(fields[3].size()) == 2 * length);
        fuzz::require(DeviceMemory::inMap(address, length) && address > previousEnd);
        previousEnd = quint64(address) + length;
    }
}

// Counts the application's starts.
struct CountingActions : DeviceActions
{
    void applicationStarted() override { ++starts; }
    int starts = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CountingActions actions;
    PacketHandler handler(actions);
    const DeviceMemory &memory = handler.memory();
    std::optional<Packet> previous;
    const QByteArray input = fuzz::bytes(data, size);
    for (qsizetype at = 0; at + 2 <= input.size();) {
        const qsizetype length = qFromLittleEndian<quint16>(input.constData() + at);
        const QByteArray datagram = input.mid(at + 2, length);
        at += 2 + length;

        const std::optional<Packet> request = decodeRequest(datagram);
        const std::optional<Packet> packet = decode(datagram);
        fuzz::require(request.has_value() == (packet && !(packet->command & AnswerBit)));
        if (!request)
            continue;
        const QByteArray before = memory.dump();
        const int startsBefore = actions.starts;
        const std::optional<Packet> answer = decode(encode(handler.answer(*request)));
        const bool repeatedStart = request->command == Start && previous && previous->command == Start
            && previous->sequence == request->sequence;
        fuzz::require(actions.starts - startsBefore == (request->command == Start && !repeatedStart ? 1 : 0));
        previous = request;
        fuzz::require(answer.has_value());
        fuzz::require(isAnswerTo(*answer, *request) && answer->status <= Malformed);
        fuzz::require((answer->status == Malformed) == (request->command < Write || request->command > Stop));
        if (request->command == Read) {
            fuzz::require(answer->status == Done
                    ? answer->data.size() == request->length && DeviceMemory::inMap(request->address, request->length)
                    : answer->status == Refused && answer->data.isEmpty());
        } else {
            fuzz::require(answer->data.isEmpty());
        }
        if (request->command == Write && answer->status == Done) {
            bool ok = false;
            fuzz::require(memory.read(request->address, quint32(request->data.size()), &ok) == request->data && ok);
        } else {
            fuzz::require(memory.dump() == before);
        }
        requireMemoryInMap(memory);
    }
    return 0;
}

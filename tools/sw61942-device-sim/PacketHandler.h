#pragma once

#include "DeviceMemory.h"
#include "common/BlockProtocol.h"

#include <QByteArray>
#include <optional>

// What the simulated device does with one request, apart from the socket, so that the same code
// answers on the network and under test.

// What a request asks of the device beyond its memory. The defaults do nothing and succeed.
class DeviceActions
{
public:
    virtual ~DeviceActions() = default;
    // A start request: the application runs.
    virtual void applicationStarted() { }
    // A dump request; false when the dump cannot be written.
    virtual bool dumpMemory() { return true; }
    // A write outside the memory map was refused.
    virtual void writeRefused(quint32 address, qsizetype length)
    {
        Q_UNUSED(address);
        Q_UNUSED(length);
    }
};

// The request a datagram carries; nullopt for a datagram that is no packet or is itself an answer.
std::optional<sw::block::Packet> decodeRequest(const QByteArray &datagram);

// Carries out a request on `memory` and returns its answer: the request's command with the answer
// bit, its sequence number, address and length, and the status (refused outside the memory map,
// malformed for an unknown command); a read answer carries the bytes read, none when refused.
sw::block::Packet answerRequest(DeviceMemory &memory, const sw::block::Packet &request, DeviceActions &actions);

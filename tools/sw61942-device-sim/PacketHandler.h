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

// The device's side of the protocol: its memory, and what it remembers between requests.
class PacketHandler
{
public:
    explicit PacketHandler(DeviceActions &actions)
        : m_actions(actions)
    {
    }

    // Carries out a request and returns its answer: the request's command with the answer bit, its
    // sequence number, address and length, and the status (refused outside the memory map,
    // malformed for an unknown command); a read answer carries the bytes read, none when refused.
    // A start request with the sequence number of the start request just before it is that one
    // sent again after its answer was lost: it is answered done, and the application is not
    // started a second time.
    sw::block::Packet answer(const sw::block::Packet &request);

    const DeviceMemory &memory() const { return m_memory; }

private:
    DeviceActions &m_actions;
    DeviceMemory m_memory;
    // The sequence number of the last request when that was a start request. Any other request
    // ends it, so that a later update whose start happens to get the same number still starts.
    std::optional<quint16> m_startSequence;
};

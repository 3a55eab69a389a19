#include "core/documents/ParGenRules.h"

#include "core/text/Decimal.h"
#include "core/text/MessageIds.h"

#include <array>

namespace sw {

namespace {

using V = ParGenValues;

// One byte of an address, 0 to 255: the value and its element.
struct AddressByte
{
    QString V::*value;
    const char *element;
};
using Address = std::array<AddressByte, 4>;

constexpr Address IpBytes = { { { &V::Ethernet_IP1, "Ethernet_IP1" }, { &V::Ethernet_IP2, "Ethernet_IP2" },
    { &V::Ethernet_IP3, "Ethernet_IP3" }, { &V::Ethernet_IP4, "Ethernet_IP4" } } };
constexpr Address MaskBytes = { { { &V::Ethernet_SM1, "Ethernet_SM1" }, { &V::Ethernet_SM2, "Ethernet_SM2" },
    { &V::Ethernet_SM3, "Ethernet_SM3" }, { &V::Ethernet_SM4, "Ethernet_SM4" } } };
constexpr Address GatewayBytes = { { { &V::Ethernet_GAT1, "Ethernet_GAT1" }, { &V::Ethernet_GAT2, "Ethernet_GAT2" },
    { &V::Ethernet_GAT3, "Ethernet_GAT3" }, { &V::Ethernet_GAT4, "Ethernet_GAT4" } } };

// The first byte out of range, reported with entry firstMessage + its position (0 to 3).
std::optional<ParGenFailure> firstBadByte(const V &values, const Address &address, int firstMessage)
{
    for (size_t k = 0; k < address.size(); ++k) {
        const qint64 byte = numberIn(values.*address[k].value);
        if (byte < 0 || byte > 255)
            return ParGenFailure { firstMessage + int(k), address[k].element };
    }
    return std::nullopt;
}

} // namespace

std::optional<ParGenFailure> firstFailingRule(const ParGenValues &values)
{
    const qint64 port = numberIn(values.IEC61850_Server_Port);
    if (port < 0 || port > 65535 || port == 10000)
        return ParGenFailure { MsgId::ParGenErrPort, "IEC61850_Server_Port" };
    if (auto failure = firstBadByte(values, IpBytes, MsgId::ParGenErrIP1))
        return failure;
    if (auto failure = firstBadByte(values, MaskBytes, MsgId::ParGenErrSM1))
        return failure;
    // The gateway boxes stay editable while the gateway is off; only in use are they checked.
    if (values.Ethernet_EN_GAT) {
        if (auto failure = firstBadByte(values, GatewayBytes, MsgId::ParGenErrGAT1))
            return failure;
    }
    if (values.MODBUS_SLAVE_STOPBITS == 1 && values.MODBUS_SLAVE_PARITY != 0)
        return ParGenFailure { MsgId::ParGenErrStopBits, "MODBUS_SLAVE_STOPBITS" };
    const qint64 device = numberIn(values.MODBUS_SLAVE_IDDEVICE);
    if (device < 1 || device > 247)
        return ParGenFailure { MsgId::ParGenErrIDDevice, "MODBUS_SLAVE_IDDEVICE" };
    return std::nullopt;
}

} // namespace sw

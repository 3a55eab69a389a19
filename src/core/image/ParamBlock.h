#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>

// The parameter block: the whole content of bank1.bin, which the updater writes at device address
// 0x07000. Every multi-byte value is little-endian and written byte by byte, so the image does not
// depend on the host.
namespace sw::image {

inline constexpr int ParamBlockSize = 2048;

// Offsets of the fields the configurator writes.
namespace param {
inline constexpr int Const250000A = 0x000;
inline constexpr int Const250000B = 0x004;
inline constexpr int Const9600 = 0x00C;
inline constexpr int ModbusAddress = 0x018; // 32-bit
inline constexpr int IpAddress = 0x028; // 4 bytes, dotted order
inline constexpr int SubnetMask = 0x02C; // 4 bytes
inline constexpr int Gateway = 0x030; // 4 bytes, 255.255.255.255 = none
inline constexpr int Const10000 = 0x034; // 16-bit
inline constexpr int Const10001A = 0x036; // 16-bit
inline constexpr int Const10001B = 0x038; // 16-bit
inline constexpr int SerialFlags = 0x061; // bit 0: RS232; bit 6: no input-register reading
inline constexpr int BaudTable = 0x190; // 6 x 32-bit
inline constexpr int ParityTable = 0x1A8; // 6 x 8-bit
inline constexpr int StopBitTable = 0x1AE; // 6 x 8-bit
inline constexpr int DataBitTable = 0x1B4; // 8 x 8-bit
inline constexpr int Bank2Address = 0x5E8; // 32-bit
inline constexpr int Checksum = 0x7FC; // 32-bit

// The Modbus slave uses entries 3 and 4 of the serial tables.
inline constexpr int SlaveEntryA = 3;
inline constexpr int SlaveEntryB = 4;

inline constexpr quint8 SerialRS232 = 0x01;
inline constexpr quint8 SerialNoInputRegister = 0x40;
} // namespace param

class ParamBlock
{
public:
    ParamBlock() { m_bytes.fill(0); }

    quint8 get8(int offset) const { return m_bytes[static_cast<size_t>(offset)]; }
    quint16 get16(int offset) const;
    quint32 get32(int offset) const;

    void put8(int offset, quint8 value) { m_bytes[static_cast<size_t>(offset)] = value; }
    void put16(int offset, quint16 value);
    void put32(int offset, quint32 value);

    void clear() { m_bytes.fill(0); }
    const std::array<quint8, ParamBlockSize> &bytes() const { return m_bytes; }

private:
    std::array<quint8, ParamBlockSize> m_bytes;
};

// Every field to its default: the constants, the default network settings, 8 data bits in every
// entry of the data-bit table and 0 everywhere else (checksum field included).
void Set_Default_Parameters(ParamBlock &block);

// The sum of bytes 0 to 2043 as a 32-bit value; whatever the checksum field holds is not summed.
quint32 paramChecksum(const ParamBlock &block);

// Stores the checksum at offset 2044 and returns the 2048 bytes of bank1.bin.
QByteArray Build_Bank1(ParamBlock &block);

} // namespace sw::image

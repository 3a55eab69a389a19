#pragma once

#include <QByteArray>
#include <QString>
#include <map>

// The simulated device's flash: sparse, kept as the contiguous regions that have been written.
// Only the device's flash ranges (sw::memory::FlashRanges) take writes and answer reads:
//
//   0x07000 - 0x07FFF   parameters: the first configuration image (bank1.bin, 2048 bytes at 0x07000)
//                       and the protection, checksum and internal-data words above it
//   0x08000 - 0x7FFFF   firmware
//   0x80000 - 0xFFFFF   second configuration image (bank2.bin)
class DeviceMemory
{
public:
    // Whether [address, address + length) lies inside one of the three ranges.
    static bool inMap(quint32 address, quint32 length);

    // Stores the bytes, joining them with the regions they touch. False (nothing stored) outside the map.
    bool write(quint32 address, const QByteArray &bytes);
    // The bytes at [address, address + length), 0xFF where nothing was written. Outside the map
    // `*ok` is false and the result empty.
    QByteArray read(quint32 address, quint32 length, bool *ok) const;

    // One line per written region: "region 0x<address> <length> <bytes in hex>", in address order.
    QByteArray dump() const;

private:
    std::map<quint32, QByteArray> m_regions; // start address -> bytes, never touching each other
};

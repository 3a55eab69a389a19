#include "core/image/ParamBlock.h"

namespace sw::image {

quint16 ParamBlock::get16(int offset) const
{
    return static_cast<quint16>(get8(offset) | (get8(offset + 1) << 8));
}

quint32 ParamBlock::get32(int offset) const
{
    return quint32(get8(offset)) | (quint32(get8(offset + 1)) << 8) | (quint32(get8(offset + 2)) << 16)
        | (quint32(get8(offset + 3)) << 24);
}

void ParamBlock::put16(int offset, quint16 value)
{
    put8(offset, static_cast<quint8>(value));
    put8(offset + 1, static_cast<quint8>(value >> 8));
}

void ParamBlock::put32(int offset, quint32 value)
{
    put8(offset, static_cast<quint8>(value));
    put8(offset + 1, static_cast<quint8>(value >> 8));
    put8(offset + 2, static_cast<quint8>(value >> 16));
    put8(offset + 3, static_cast<quint8>(value >> 24));
}

void Set_Default_Parameters(ParamBlock &block)
{
    using namespace param;
    block.clear();
    block.put32(Const250000A, 250000);
    block.put32(Const250000B, 250000);
    block.put32(Const9600, 9600);
    const quint8 ip[4] = { 192, 168, 2, 205 };
    const quint8 mask[4] = { 255, 255, 255, 0 };
    for (int i = 0; i < 4; ++i) {
        block.put8(IpAddress + i, ip[i]);
        block.put8(SubnetMask + i, mask[i]);
        block.put8(Gateway + i, 255);
    }
    block.put16(Const10000, 10000);
    block.put16(Const10001A, 10001);
    block.put16(Const10001B, 10001);
    for (int i = 0; i < 8; ++i)
        block.put8(DataBitTable + i, 8);
}

quint32 paramChecksum(const ParamBlock &block)
{
    quint32 sum = 0;
    const auto &bytes = block.bytes();
    for (int i = 0; i < param::Checksum; ++i)
        sum += bytes[static_cast<size_t>(i)];
    return sum;
}

QByteArray Build_Bank1(ParamBlock &block)
{
    block.put32(param::Checksum, paramChecksum(block));
    const auto &bytes = block.bytes();
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), ParamBlockSize);
}

} // namespace sw::image

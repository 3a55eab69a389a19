#include "DeviceMemory.h"

#include "common/Hex.h"
#include "common/MemoryMap.h"

#include <algorithm>
#include <cstring>

bool DeviceMemory::inMap(quint32 address, quint32 length)
{
    if (length == 0)
        return false;
    const quint64 last = quint64(address) + length - 1;
    return std::any_of(sw::memory::FlashRanges.begin(), sw::memory::FlashRanges.end(),
        [&](const sw::memory::Range &r) { return r.contains(address) && last <= r.last; });
}

bool DeviceMemory::write(quint32 address, const QByteArray &bytes)
{
    if (!inMap(address, quint32(bytes.size())))
        return false;
    const quint32 end = address + quint32(bytes.size());

    // The first region that touches the new bytes: the one starting at or before them, if it
    // reaches them, else the first one after.
    auto it = m_regions.upper_bound(address);
    if (it != m_regions.begin()) {
        auto before = std::prev(it);
        if (before->first + quint32(before->second.size()) >= address)
            it = before;
    }
    if (it == m_regions.end() || it->first > end) {
        m_regions.emplace(address, bytes);
        return true;
    }

    // Grow that region over the new bytes and every later region they reach, then lay the new
    // bytes on top. Writes mostly append to the region before them, which only grows it.
    const quint32 start = std::min(it->first, address);
    QByteArray merged
        = it->first == start ? std::move(it->second) : QByteArray(qsizetype(it->first - start), '\xFF') + it->second;
    it = m_regions.erase(it);
    while (it != m_regions.end() && it->first <= end) {
        const quint32 at = it->first - start;
        if (qsizetype(at) > merged.size())
            merged.append(QByteArray(at - merged.size(), '\xFF'));
        const qsizetype overlap = std::min<qsizetype>(merged.size() - at, it->second.size());
        merged.append(it->second.mid(overlap));
        it = m_regions.erase(it);
    }
    if (merged.size() < qsizetype(end - start))
        merged.append(QByteArray(qsizetype(end - start) - merged.size(), '\xFF'));
    std::memcpy(merged.data() + (address - start), bytes.constData(), size_t(bytes.size()));
    m_regions.emplace(start, std::move(merged));
    return true;
}

QByteArray DeviceMemory::read(quint32 address, quint32 length, bool *ok) const
{
    *ok = inMap(address, length);
    if (!*ok)
        return {};
    QByteArray out(qsizetype(length), '\xFF');
    const quint32 end = address + length;
    auto it = m_regions.upper_bound(address);
    if (it != m_regions.begin())
        --it;
    for (; it != m_regions.end() && it->first < end; ++it) {
        const quint32 regionEnd = it->first + quint32(it->second.size());
        const quint32 from = std::max(address, it->first);
        const quint32 to = std::min(end, regionEnd);
        if (from < to)
            std::memcpy(out.data() + (from - address), it->second.constData() + (from - it->first), to - from);
    }
    return out;
}

QByteArray DeviceMemory::dump() const
{
    QByteArray out;
    for (const auto &[address, bytes] : m_regions) {
        out += "region " + sw::tools::hex(address).toLatin1() + ' ' + QByteArray::number(bytes.size()) + ' '
            + bytes.toHex() + '\n';
    }
    return out;
}

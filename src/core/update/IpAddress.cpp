#include "core/update/IpAddress.h"

#include "core/text/Decimal.h"

namespace sw {

std::optional<IpAddressParts> Split_IP_Address(const QString &text)
{
    IpAddressParts parts;
    QString rest = text.trimmed();
    for (int i = 0; i < 3; ++i) {
        const qsizetype dot = rest.indexOf(u'.');
        if (dot < 0)
            return std::nullopt;
        parts[i] = rest.left(dot).trimmed();
        rest = rest.mid(dot + 1).trimmed();
    }
    parts[3] = rest;

    for (const QString &part : parts) {
        // A part that is no integer counts as out of range.
        const qint64 value = toInteger(part).value_or(1000);
        if (value < 0 || value > 255)
            return std::nullopt;
    }
    return parts;
}

QString joinIpAddress(const IpAddressParts &parts)
{
    return parts[0] + u'.' + parts[1] + u'.' + parts[2] + u'.' + parts[3];
}

std::optional<quint32> parseIpv4Address(const QString &text)
{
    quint32 address = 0;
    int parts = 0;
    qsizetype at = 0;
    while (parts < 4) {
        if (parts > 0) {
            if (at >= text.size() || text[at] != u'.')
                return std::nullopt;
            ++at;
        }
        const qsizetype first = at;
        uint value = 0;
        // Leading zeros keep the value at 0, so however many there are, nothing overflows.
        for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
            value = value * 10 + (text[at].unicode() - u'0');
            if (value > 255)
                return std::nullopt;
        }
        if (at == first)
            return std::nullopt;
        address = address << 8 | value;
        ++parts;
    }
    if (at != text.size())
        return std::nullopt;
    return address;
}

QString ipv4AddressText(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 0xFF)
        .arg(address >> 8 & 0xFF)
        .arg(address & 0xFF);
}

} // namespace sw

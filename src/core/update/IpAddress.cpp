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

} // namespace sw

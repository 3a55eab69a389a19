// Feeds arbitrary text to the dotted address split and to the strict address reader. Asserts that a
// split that succeeds gives four trimmed integers from 0 to 255, and that joining them and
// splitting again gives the same parts; and that an address the strict reader takes is one the
// split takes with the same numbers, and reads back from its usual form unchanged.
#include "FuzzSupport.h"

#include "core/text/Decimal.h"
#include "core/update/IpAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    const std::optional<sw::IpAddressParts> parts = sw::Split_IP_Address(text);
    if (const std::optional<quint32> address = sw::parseIpv4Address(text)) {
        fuzz::require(parts.has_value());
        quint32 split = 0;
        for (const QString &part : *parts)
            split = split << 8 | quint32(sw::toInteger(part).value_or(0));
        fuzz::require(split == *address);
        fuzz::require(sw::parseIpv4Address(sw::ipv4AddressText(*address)) == address);
    }
    if (!parts)
        return 0;
    for (const QString &part : *parts) {
        const std::optional<qint64> value = sw::toInteger(part);
        fuzz::require(value && *value >= 0 && *value <= 255 && part == part.trimmed());
    }
    const std::optional<sw::IpAddressParts> again = sw::Split_IP_Address(sw::joinIpAddress(*parts));
    fuzz::require(again && *again == *parts);
    return 0;
}

// Feeds arbitrary text to the dotted address split. Asserts that a split that succeeds gives four
// trimmed integers from 0 to 255, and that joining them and splitting again gives the same parts.
#include "FuzzSupport.h"

#include "core/text/Decimal.h"
#include "core/update/IpAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<sw::IpAddressParts> parts = sw::Split_IP_Address(QString::fromUtf8(fuzz::bytes(data, size)));
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

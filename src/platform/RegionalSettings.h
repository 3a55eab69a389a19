#pragma once

#include <QChar>
#include <optional>

namespace sw {

// The user's regional number settings.
class RegionalSettings
{
public:
    virtual ~RegionalSettings() = default;
    // The first character of the user's decimal separator; nullopt when it cannot be read.
    virtual std::optional<QChar> decimalSeparator() const = 0;
};

} // namespace sw

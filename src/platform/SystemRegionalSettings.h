#pragma once

#include "platform/RegionalSettings.h"

namespace sw {

// Reads the setting from the operating system: the user's locale on POSIX systems, the regional
// settings on Windows (one source file for each).
class SystemRegionalSettings final : public RegionalSettings
{
public:
    std::optional<QChar> decimalSeparator() const override;
};

} // namespace sw

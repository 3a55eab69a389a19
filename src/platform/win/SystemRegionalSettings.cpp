#include "platform/SystemRegionalSettings.h"

#include <windows.h>

namespace sw {

// The user's decimal separator from the regional settings of Windows.
std::optional<QChar> SystemRegionalSettings::decimalSeparator() const
{
    wchar_t value[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, value, 8) < 2)
        return std::nullopt;
    return QChar(static_cast<char16_t>(value[0]));
}

} // namespace sw

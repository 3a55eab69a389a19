#include "platform/SystemRegionalSettings.h"

#include <QLocale>

namespace sw {

// On POSIX systems the user's numeric locale (LC_NUMERIC, LC_ALL, LANG) carries the separator.
std::optional<QChar> SystemRegionalSettings::decimalSeparator() const
{
    const QString point = QLocale::system().decimalPoint();
    if (point.isEmpty())
        return std::nullopt;
    return point.front();
}

} // namespace sw

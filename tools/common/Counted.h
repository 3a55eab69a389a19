#pragma once

#include <QLatin1String>
#include <QString>

namespace sw::tools {

// A count with its English noun in the number that fits: "1 variable", "2 variables", "0 bytes".
inline QString counted(qint64 count, const char *singular, const char *plural)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? singular : plural));
}

} // namespace sw::tools

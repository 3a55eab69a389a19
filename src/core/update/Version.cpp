#include "core/update/Version.h"

namespace sw {

namespace {

// A decimal integer with an optional sign and ASCII digits only: no blanks, no other bases.
int parseInteger(const QString &text)
{
    qsizetype i = (text.startsWith(u'+') || text.startsWith(u'-')) ? 1 : 0;
    if (i == text.size())
        return -1;
    for (; i < text.size(); ++i) {
        if (text.at(i) < u'0' || text.at(i) > u'9')
            return -1;
    }
    return text.toInt();
}

} // namespace

int Conv_Version(const QString &text)
{
    const qsizetype blank = text.indexOf(u' ');
    const QString version = (blank < 0 ? text : text.mid(blank + 1)).trimmed();
    if (version.size() < 5)
        return -1;
    const QString digits = QString(version.at(0)) + version.at(2) + version.at(3) + version.at(4);
    return parseInteger(digits);
}

bool isNewerVersion(const QString &reply, const QString &ownVersion)
{
    const QString upper = reply.toUpper().trimmed();
    if (upper.isEmpty() || upper == QLatin1String("VER. 0.000"))
        return false;
    const int own = Conv_Version(ownVersion);
    const int offered = Conv_Version(reply.trimmed());
    return own != -1 && offered != -1 && offered > own;
}

} // namespace sw

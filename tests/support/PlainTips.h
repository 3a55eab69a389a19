#pragma once

#include <QString>

namespace sw::test {

// The text a tooltip shows, for a tooltip set through plainTip: the markup around it removed and
// its characters unescaped. A tooltip in any other form comes back as "<not plain> " and the
// tooltip, so that a comparison fails and says why.
inline QString shownTip(const QString &tip)
{
    if (tip.isEmpty())
        return tip;
    const QString open = QStringLiteral("<p style=\"white-space:pre-wrap\">");
    const QString close = QStringLiteral("</p>");
    if (!tip.startsWith(open) || !tip.endsWith(close))
        return QStringLiteral("<not plain> ") + tip;
    QString text = tip.mid(open.size(), tip.size() - open.size() - close.size());
    if (text.contains(u'<') || text.contains(u'>'))
        return QStringLiteral("<not plain> ") + tip;
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

} // namespace sw::test

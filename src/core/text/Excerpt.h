#pragma once

#include <QString>

namespace sw {

// How much of an outside text (a cell, a name, a certificate field) a message quotes.
inline constexpr qsizetype ExcerptLength = 60;

// `text` as a message quotes it: line breaks and other control characters as spaces, and cut to
// `maxChars` characters ending in "…" when it is longer, so that a message stays readable
// whatever a file holds. A character pair outside the BMP is never split.
inline QString excerpt(const QString &text, qsizetype maxChars = ExcerptLength)
{
    QString out = text.size() > maxChars ? text.left(maxChars - 1) : text;
    if (out.size() < text.size()) {
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1);
        out += QChar(0x2026);
    }
    for (QChar &c : out) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return out;
}

} // namespace sw

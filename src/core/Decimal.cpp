#include "core/Decimal.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace sw {

QChar Decimal_Separator_From(std::optional<QChar> systemSeparator)
{
    if (systemSeparator && (*systemSeparator == u',' || *systemSeparator == u'.'))
        return *systemSeparator;
    return QChar(u',');
}

bool Text_To_Float(const QString &text, [[maybe_unused]] QChar separator, float &out)
{
    out = 1.0f;
    // Both marks are turned into the working separator before the conversion, so "," and "." are
    // equivalent whichever separator is in use and the result does not depend on it. Checking the
    // grammar by hand and handing std::from_chars a "." form keeps the result locale independent.
    std::string ascii;
    ascii.reserve(static_cast<size_t>(text.size()));

    qsizetype i = 0;
    const qsizetype n = text.size();
    auto at = [&](qsizetype k) -> char16_t { return k < n ? text[k].unicode() : u'\0'; };
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    auto isMark = [](char16_t c) { return c == u',' || c == u'.'; };

    if (at(i) == u'+' || at(i) == u'-') {
        if (at(i) == u'-')
            ascii.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    bool seenMark = false;
    for (; i < n; ++i) {
        const char16_t c = at(i);
        if (isDigit(c)) {
            ascii.push_back(static_cast<char>(c));
            ++mantissaDigits;
        } else if (isMark(c)) {
            // Either mark becomes the working one, so a second mark of any kind is a second mark.
            if (seenMark)
                return false;
            seenMark = true;
            ascii.push_back('.');
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (at(i) == u'e' || at(i) == u'E') {
        ascii.push_back('e');
        ++i;
        if (at(i) == u'+' || at(i) == u'-')
            ascii.push_back(static_cast<char>(at(i++)));
        if (!isDigit(at(i)))
            return false;
        while (isDigit(at(i)))
            ascii.push_back(static_cast<char>(at(i++)));
    }
    if (i != n)
        return false;

    double value = 0.0;
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last)
        return false;
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return false;
    out = static_cast<float>(value);
    return true;
}

} // namespace sw

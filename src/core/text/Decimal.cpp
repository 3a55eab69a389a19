#include "core/text/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace sw {

namespace {

// The power of ten of the first non-zero digit of a number in the checked ASCII form ("-12.5e-3"
// gives -2); its sign tells an overflow from an underflow. Zero never gets here: it cannot be out
// of range.
long long decimalExponent(std::string_view s)
{
    if (!s.empty() && s.front() == '-')
        s.remove_prefix(1);
    const size_t e = s.find('e');
    const std::string_view mantissa = s.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        // Saturated: an exponent this large decides the sign on its own.
        for (const char c : s.substr(e + 1)) {
            if (c >= '0' && c <= '9')
                exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000);
        }
        if (s.substr(e + 1).starts_with('-'))
            exponent = -exponent;
    }
    const auto point = static_cast<long long>(std::min(mantissa.find('.'), mantissa.size()));
    const auto digit = static_cast<long long>(mantissa.find_first_of("123456789"));
    return exponent + (digit < point ? point - digit - 1 : point - digit);
}

} // namespace

QChar decimalSeparatorFrom(std::optional<QChar> systemSeparator)
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

    // Parsed straight to float so that the text is rounded once, to the nearest float: the
    // printed form of the largest float (3.4028235e38) is that float, not an overflow.
    float value = 0.0f;
    const char *first = ascii.data();
    const char *last = first + ascii.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (end != last)
        return false;
    if (ec == std::errc::result_out_of_range) {
        // Too small for a float is zero with its sign; only too large is a failure.
        if (decimalExponent(ascii) >= 0)
            return false;
        out = ascii.front() == '-' ? -0.0f : 0.0f;
        return true;
    }
    if (ec != std::errc() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

std::optional<qint64> toInteger(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int i = 0;
    if (t[0] == u'+' || t[0] == u'-')
        i = 1;
    if (i >= t.size())
        return std::nullopt;
    for (int k = i; k < t.size(); ++k) {
        if (t[k] < u'0' || t[k] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 v = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace sw

#pragma once

#include <QChar>
#include <QString>
#include <optional>

// Decimal numbers typed by the user: the variable list and the image compiler accept either "," or
// "." as the decimal mark, whatever the system uses; integers are read the same way everywhere.
namespace sw {

// An integer as the documents hold it: optional sign and decimal digits, surrounding blanks
// allowed. nullopt when the text is not such an integer or does not fit in 64 bits.
std::optional<qint64> toInteger(const QString &text);

// A numeric field as the validation rules read it: -1 when the text is no integer, which every
// range they check refuses.
inline qint64 numberIn(const QString &text)
{
    return toInteger(text).value_or(-1);
}

// The decimal separator to work with, from the system's setting: "," or "." as the system has it,
// "," for any other character and when the setting cannot be read.
QChar decimalSeparatorFrom(std::optional<QChar> systemSeparator);

// Converts a decimal number written with either "," or "." as its decimal mark into a 32-bit
// float. Both marks are first turned into `separator` ("." or, for anything else, ","), so the two
// marks are equivalent and a text holding both a thousands mark and a decimal mark fails. Accepted: an optional sign,
// digits with at most one decimal mark (at least one digit), an optional exponent ("e" or "E", optional sign, digits);
// nothing else, no blanks. The result must be finite as a float. On failure `out` holds 1.0 and the result is false.
// Independent of the process locale.
// `separator` changes nothing, since either mark is accepted; it keeps the routine's usual form for
// callers that hold the system's separator.
bool Text_To_Float(const QString &text, QChar separator, float &out);
inline bool Text_To_Float(const QString &text, float &out)
{
    return Text_To_Float(text, QChar(u','), out);
}

} // namespace sw

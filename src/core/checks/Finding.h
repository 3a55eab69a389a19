#pragma once

#include <QString>

namespace sw {

enum class FindingSeverity { Error, Warning };

// One thing that a check found wrong in a configuration: the document file name, the 1-based row
// in a list document (0 for the whole document, as in ParGen.xml), the element or attribute name
// holding the value, and what is wrong, in the user's language.
struct Finding
{
    FindingSeverity severity = FindingSeverity::Error;
    QString document;
    int row = 0;
    QString field;
    QString text;

    friend bool operator==(const Finding &, const Finding &) = default;
};

} // namespace sw

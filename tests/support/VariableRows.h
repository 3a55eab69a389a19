#pragma once

#include "core/documents/VariablesDocument.h"

namespace sw::test {

// An enabled variable that passes every rule: an Int of 2 bytes at position 10.
inline VariableRow validRow(const QString &name)
{
    VariableRow r;
    r.Name = name;
    r.Type = QStringLiteral("Int");
    r.Length = QStringLiteral("2");
    r.Position = QStringLiteral("10");
    r.Conversion = QStringLiteral("None");
    r.MultiplicationFactor = QStringLiteral("None");
    return r;
}

} // namespace sw::test

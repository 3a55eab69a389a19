#pragma once

#include "core/documents/VariablesDocument.h"

#include <QChar>
#include <QStringList>
#include <optional>

namespace sw {

// Positions of the gateway's internal data array: a variable's Position lies in 0 to 1437.
inline constexpr int InternalDataBytes = 1438;

// A refused row: its 1-based table row, the catalogue entry of the error message, the text that
// follows that entry (the highest Position for a Position error, empty otherwise) and the
// attribute whose cell holds the refused value with its table column (1 to 12).
struct VariablesFailure
{
    int row = 0;
    int message = 0;
    QString detail;
    const char *attribute = nullptr;
    int column = 0;

    friend bool operator==(const VariablesFailure &, const VariablesFailure &) = default;
};

// Checks the table rows in order, up to the first row whose Name is blank (the end of the list);
// only rows whose Enable, trimmed, is "Y" are checked. In each such row, in this order: Length
// (1 to 4), Position (0 to nByteIn - 1), a Start Bit for the type "Digital (Bit)", a Conversion,
// and a Molt. Factor that is "None" in any letter case or a number read with Text_To_Float.
// Length and Position are their texts read as decimal integers; text that is no integer counts
// as -1. Returns the first failure, or nullopt when the list is valid.
std::optional<VariablesFailure> firstFailingVariable(
    const QList<VariableRow> &rows, QChar decimalSeparator, int nByteIn = InternalDataBytes);

// The text of the error box for a failure: "Error row ", the row number and the rule's message
// (followed by its detail), joined without separators, from `catalogue`.
QString variablesFailureText(const VariablesFailure &failure, const QStringList &catalogue);

} // namespace sw

#pragma once

#include "core/documents/VariablesDocument.h"
#include "core/documents/VariablesRules.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace sw {

// Why a point list was refused.
enum class VariablesCsvProblem {
    Unreadable, // not CSV (a stray or unclosed quote); detail is the CSV library's reason
    NoHeaderLine, // an empty file
    NotUtf8, // a cell that is not UTF-8
    UnknownColumn, // a header cell that names no attribute; detail is that cell
    DuplicateColumn, // an attribute named twice in the header; detail is its name
    CellCount, // a line whose number of cells differs from the header's; detail is that number
    TooManyRows, // a line beyond the table's capacity
    InvalidRow, // a row that the list's rules refuse; see VariablesCsvFailure::rule
};

// A refused point list: the 1-based line of the file where the offending record starts (the
// header is line 1), what is wrong and, for InvalidRow, the rule's own failure (its row is the
// table row the record would fill).
struct VariablesCsvFailure
{
    int line = 0;
    VariablesCsvProblem problem = VariablesCsvProblem::Unreadable;
    QString detail;
    std::optional<VariablesFailure> rule;

    friend bool operator==(const VariablesCsvFailure &, const VariablesCsvFailure &) = default;
};

// The outcome of an import: the rows in file order, or the failure (and then no rows).
struct VariablesCsvImport
{
    QList<VariableRow> rows;
    std::optional<VariablesCsvFailure> failure;
};

// The separator of a point list written where `decimalSeparator` is the decimal mark: ";" where
// it is ",", so that numbers with a decimal comma need no quotes, and "," otherwise.
char variablesCsvSeparator(QChar decimalSeparator);

// The point list of the stored rows (the rows before the first blank Name): UTF-8 with a
// byte-order mark, a header line with the twelve attribute names in document order, then one
// line per row, every line ended by CR LF. A cell is quoted, with its quotes doubled, when it
// holds the separator, a quote, a line break or starts or ends with a space or tab. A Name or
// Mnemonic that a spreadsheet would take as a formula (it starts, after any apostrophes, with
// "=", "+", "-", "@", tab or CR) is written behind one more apostrophe.
QByteArray exportVariablesCsv(const QList<VariableRow> &rows, QChar decimalSeparator);

// Reads a point list. The byte-order mark is optional; the separator is ";", "," or tab, taken
// from the header line. Columns are matched by their exact header name (blanks around it
// ignored) in any order; a column that is absent gives every row the reader's default text.
// Cells are taken unchanged, except that the apostrophe the export puts before a formula-like
// Name or Mnemonic is removed again. Refuses more than VariableListCapacity rows, and rows that
// firstFailingVariable refuses with `decimalSeparator`.
VariablesCsvImport importVariablesCsv(const QByteArray &bytes, QChar decimalSeparator);

// One line for a message box: "Line N: " and the reason, from `catalogue` (the rule's message for a
// refused row).
QString variablesCsvFailureText(const VariablesCsvFailure &failure, const QStringList &catalogue);

} // namespace sw

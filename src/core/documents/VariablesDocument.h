#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

namespace sw {

// The variable table has this many rows; a document's rows beyond it are not read.
inline constexpr int VariableListCapacity = 50;

// One IEC 61850 variable as the table holds it: every field is the text of its cell, stored
// unchanged. A new table row has Enable "Y" and every other field empty.
struct VariableRow
{
    QString Enable = QStringLiteral("Y");
    QString Name;
    QString Type;
    QString Length;
    QString ReadOnly;
    QString Position;
    QString StartBit;
    QString Conversion;
    QString MultiplicationFactor;
    QString Swap;
    QString SwapWord;
    QString Mnemonic;

    friend bool operator==(const VariableRow &, const VariableRow &) = default;
};

// One attribute of a stored row: its name, the field that holds it and the text a reader gives
// the field when the attribute is missing.
struct VariableAttribute
{
    const char *name;
    QString VariableRow::*member;
    const char *missing;
};

// The twelve attributes in document order, which is also the order of table columns 1 to 12.
// Reader and writer both walk this one list.
inline constexpr std::array<VariableAttribute, 12> VariableAttributes = { {
    { "Enable", &VariableRow::Enable, "Y" },
    { "Name", &VariableRow::Name, "" },
    { "Type", &VariableRow::Type, "" },
    { "Length", &VariableRow::Length, "" },
    { "ReadOnly", &VariableRow::ReadOnly, "N" },
    { "Position", &VariableRow::Position, "" },
    { "StartBit", &VariableRow::StartBit, "" },
    { "Conversion", &VariableRow::Conversion, "" },
    { "MultiplicationFactor", &VariableRow::MultiplicationFactor, "" },
    { "Swap", &VariableRow::Swap, "N" },
    { "SwapWord", &VariableRow::SwapWord, "N" },
    { "Mnemonic", &VariableRow::Mnemonic, "" },
} };

// The rows that make up the list: those before the first row whose Name is blank (empty after
// trimming). Rows after it are neither validated nor stored.
QList<VariableRow> cutAtBlankName(const QList<VariableRow> &rows);

// Reads the document at `path`: one row per child node of the root (the root element,
// whatever its name), in order, at most VariableListCapacity; text made only of blanks between
// nodes is no row. Each attribute is read on its own; a missing one gives its `missing` text.
// A missing file gives no rows. Throws sw::Error naming the file and the parser's message when
// the file is not well-formed.
QList<VariableRow> readVariablesFile(const QString &path);

// The document as written to disk: root IEC61850_Variables with one empty `row` element per row,
// each with all twelve attributes in order, then the version comment; UTF-8, no declaration, no
// indentation. Every row given is written: cut the list first with cutAtBlankName.
QByteArray variablesDocument(const QList<VariableRow> &rows);

// Replaces the file at `path` atomically with variablesDocument(rows). Throws sw::Error naming
// the file and the reason when it cannot be written; the earlier file is then left as it was.
void writeVariablesFile(const QString &path, const QList<VariableRow> &rows);

} // namespace sw

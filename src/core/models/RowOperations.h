#pragma once

#include "core/models/RowModel.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sw {

// The row operations of the list tables, in two families that differ in how they treat check
// boxes:
// - the plain family (Delete_Row ... Paste_Row) takes every cell as a text, a check box as "Y" or
//   "N";
// - the check-box family (Delete_Row_Check ... Paste_Row_Check) moves and sets the state of a check
//   box of its own (CellKind::StateCheck) and every other cell as a text.
//
// Each operation works on every column of the table and computes the rows as they are after it;
// the table itself is left as it is, so that the caller can make the change one step to undo.
// Rows move by whole rows and the number of rows stays: inserting loses the last row, deleting
// frees it. A row outside the table changes nothing.

// Whether a copied row may be pasted over a row, as Paste_Row and Paste_Row_Check see it.
enum class PasteCheck {
    TargetFree, // paste at once
    TargetInUse, // the target holds something: ask before the paste
    NothingCopied, // no row copied in this showing
    CopyDoesNotFit, // the copy does not hold one text per column of this table
    NoRow, // the target row is outside the table: nothing to do
};

// A paste as Paste_Row and Paste_Row_Check compute it: whether it may go ahead and the target row
// as the paste leaves it.
template <class Row> struct PastedRow
{
    PasteCheck check;
    Row row;
};

// A row copied by Copy_Row_Check: one text per column, and per column whether the text is the
// state of a check box of its own ("Y" checked, "N" unchecked).
struct RowCopy
{
    QStringList texts;
    QList<bool> isCheck;
};

namespace rowops {

template <class Row> bool isRow(const RowModel<Row> &table, int row)
{
    return row >= 0 && row < table.rowCount();
}

// The plain family's new row: every text empty and every check box of its own unchecked, except
// the first column, which holds "Y" (checked) when `enableFirst`.
template <class Row> Row plainRow(const RowModel<Row> &table, bool enableFirst)
{
    Row row {};
    const std::span<const RowColumn<Row>> columns = table.columns();
    for (size_t c = 0; c < columns.size(); ++c) {
        const bool enable = enableFirst && c == 0;
        if (columns[c].kind == CellKind::StateCheck)
            row.*columns[c].state = enable;
        else
            row.*columns[c].text = enable ? QStringLiteral("Y") : QString();
    }
    return row;
}

// The check-box family's new row: every text empty, every check box of its own unchecked except
// the first column's, which is checked when `checkFirst`.
template <class Row> Row checkRow(const RowModel<Row> &table, bool checkFirst)
{
    Row row {};
    const std::span<const RowColumn<Row>> columns = table.columns();
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].kind == CellKind::StateCheck)
            row.*columns[c].state = checkFirst && c == 0;
        else
            row.*columns[c].text = QString();
    }
    return row;
}

template <class Row> QList<Row> deleted(const RowModel<Row> &table, int row, const Row &freed)
{
    QList<Row> rows = table.rows();
    if (!isRow(table, row))
        return rows;
    rows.removeAt(row);
    rows.append(freed);
    return rows;
}

template <class Row> QList<Row> inserted(const RowModel<Row> &table, int row, const Row &fresh)
{
    QList<Row> rows = table.rows();
    if (!isRow(table, row))
        return rows;
    rows.insert(row, fresh);
    rows.removeLast();
    return rows;
}

// The checks before any paste; NoRow, NothingCopied or CopyDoesNotFit, else TargetFree.
template <class Row> PasteCheck mayPaste(const RowModel<Row> &table, int row, bool rowCopied, qsizetype copied)
{
    if (!isRow(table, row))
        return PasteCheck::NoRow;
    if (!rowCopied)
        return PasteCheck::NothingCopied;
    if (copied != table.columnCount())
        return PasteCheck::CopyDoesNotFit;
    return PasteCheck::TargetFree;
}

inline QString checkText(bool checked)
{
    return checked ? QStringLiteral("Y") : QStringLiteral("N");
}

} // namespace rowops

// Moves every row below `row` up by one; the freed last row is entirely empty.
template <class Row> QList<Row> Delete_Row(int row, const RowModel<Row> &table)
{
    return rowops::deleted(table, row, rowops::plainRow(table, false));
}

// Moves `row` and every row below it down by one, losing the last row's content; the new row is
// empty except the first column, which holds "Y" when `enableNewRow`.
template <class Row> QList<Row> Insert_Row(int row, const RowModel<Row> &table, bool enableNewRow)
{
    return rowops::inserted(table, row, rowops::plainRow(table, enableNewRow));
}

// The texts of the row, one per column (a check box of its own as "Y" or "N"): what Copy Row puts
// into Row_Copy_List. Empty for a row outside the table.
template <class Row> QStringList Copy_Row(const RowModel<Row> &table, int row)
{
    QStringList texts;
    if (!rowops::isRow(table, row))
        return texts;
    const Row &copied = table.rows().at(row);
    for (const RowColumn<Row> &column : table.columns())
        texts.append(
            column.kind == CellKind::StateCheck ? rowops::checkText(copied.*column.state) : copied.*column.text);
    return texts;
}

// Pastes `copy` (one text per column, from Copy_Row) into `row`, a check box of its own checked
// exactly for "Y". The row is in use when a text column (not a check box) holds a text that is not
// blank: a fresh row whose only content is the "Y" of a check box is free.
template <class Row>
PastedRow<Row> Paste_Row(const RowModel<Row> &table, int row, bool rowCopied, const QStringList &copy)
{
    PastedRow<Row> paste { rowops::mayPaste(table, row, rowCopied, copy.size()), table.row(row) };
    if (paste.check != PasteCheck::TargetFree)
        return paste;
    qsizetype c = 0;
    for (const RowColumn<Row> &column : table.columns()) {
        const QString &text = copy.at(c++);
        if (column.kind == CellKind::Text && !(paste.row.*column.text).trimmed().isEmpty())
            paste.check = PasteCheck::TargetInUse;
        if (column.kind == CellKind::StateCheck)
            paste.row.*column.state = text == u"Y";
        else
            paste.row.*column.text = text;
    }
    return paste;
}

// As Delete_Row; in the freed last row every check box of its own is unchecked except the first
// column's, which is checked when `checkFirst`.
template <class Row> QList<Row> Delete_Row_Check(int row, const RowModel<Row> &table, bool checkFirst)
{
    return rowops::deleted(table, row, rowops::checkRow(table, checkFirst));
}

// As Insert_Row; in the new row every check box of its own is unchecked except the first
// column's, which is checked when `checkFirst`.
template <class Row> QList<Row> Insert_Row_Check(int row, const RowModel<Row> &table, bool checkFirst)
{
    return rowops::inserted(table, row, rowops::checkRow(table, checkFirst));
}

// The texts of the row, a check box of its own as "Y" or "N" with its flag set: what Copy Row puts
// into Row_Copy_List and Row_Copy_Is_Check. Empty for a row outside the table.
template <class Row> RowCopy Copy_Row_Check(const RowModel<Row> &table, int row)
{
    RowCopy copy;
    if (!rowops::isRow(table, row))
        return copy;
    const Row &copied = table.rows().at(row);
    for (const RowColumn<Row> &column : table.columns()) {
        const bool check = column.kind == CellKind::StateCheck;
        copy.isCheck.append(check);
        copy.texts.append(check ? rowops::checkText(copied.*column.state) : copied.*column.text);
    }
    return copy;
}

// As Paste_Row, except that the row is in use when a column without a check box of its own holds
// any text at all (blanks count), and a check box of its own takes a flagged text: checked exactly
// for "Y". An unflagged text leaves such a check box as it is.
template <class Row>
PastedRow<Row> Paste_Row_Check(const RowModel<Row> &table, int row, bool rowCopied, const RowCopy &copy)
{
    PastedRow<Row> paste { rowops::mayPaste(table, row, rowCopied, copy.texts.size()), table.row(row) };
    if (paste.check != PasteCheck::TargetFree)
        return paste;
    qsizetype c = 0;
    for (const RowColumn<Row> &column : table.columns()) {
        const bool flagged = copy.isCheck.value(c);
        const QString &text = copy.texts.at(c++);
        if (column.kind != CellKind::StateCheck) {
            if (!(paste.row.*column.text).isEmpty())
                paste.check = PasteCheck::TargetInUse;
            paste.row.*column.text = text;
        } else if (flagged) {
            paste.row.*column.state = text == u"Y";
        }
    }
    return paste;
}

} // namespace sw

#pragma once

#include <QChar>

class QTableWidget;

namespace sw {

class Messages;
class RegionalSettings;
struct ProgramValues;

// Row operations shared by the list dialogs' tables, in two families:
// - the plain family (Delete_Row ... Paste_Row) keeps every check box as cell text, "Y" or "N",
//   and knows a check-box column by its CheckBoxDelegate;
// - the check-box family (Delete_Row_Check ... Paste_Row_Check) works on cells that carry a check
//   box of their own: an item whose Qt::CheckStateRole is set, beside its text.
//
// Table layout: the header row is the horizontal header and the row-number column is the vertical
// header, so list row r (1 = first) is Qt row r - 1 and data column c (1 = first) is Qt column
// c - 1. Every row and column argument here is a Qt index, as currentRow() gives it. The
// operations move contents between rows and never insert or remove rows, so the vertical header
// keeps reading 1, 2, 3... Hidden columns are moved like any other. A row outside the table is
// ignored.

// Moves every row below `row` up by one; the freed last row is entirely empty.
void Delete_Row(int row, QTableWidget *table);
// Moves `row` and every row below it down by one, losing the last row's content; the new row is
// empty except column 0, which holds "Y" when `enableNewRow`.
void Insert_Row(int row, QTableWidget *table, bool enableNewRow);
// Replaces Row_Copy_List by the texts of the row, one per column.
void Copy_Row(QTableWidget *table, int row, ProgramValues &values);
// Writes Row_Copy_List into the row. Error MsgId::RowNothingCopied when `rowCopied` is false,
// MsgId::RowCopyMismatch when the buffer does not hold one text per column; when a column that is
// not a check-box column holds a text that is not blank, asks MsgId::RowAlreadyUsed first and
// stops on No.
void Paste_Row(QTableWidget *table, int row, bool rowCopied, ProgramValues &values, Messages &messages);

// As Delete_Row, moving check-box states instead of texts; in the freed last row every check box
// is unchecked except column 0's, which is checked when `checkFirst`.
void Delete_Row_Check(int row, QTableWidget *table, bool checkFirst);
// As Insert_Row, moving check-box states instead of texts; in the new row every check box is
// unchecked except column 0's, which is checked when `checkFirst`.
void Insert_Row_Check(int row, QTableWidget *table, bool checkFirst);
// Replaces Row_Copy_List and Row_Copy_Is_Check: a cell with a check box is copied as "Y" or "N"
// with its flag set, any other cell as its text.
void Copy_Row_Check(QTableWidget *table, int row, ProgramValues &values);
// As Paste_Row, except that the row is in use when a cell without a check box holds any text at
// all (blanks count), and a flagged item sets the cell's check box: checked exactly for "Y".
void Paste_Row_Check(QTableWidget *table, int row, bool rowCopied, ProgramValues &values, Messages &messages);

// With Opt_Jump_Field_Tables on, Enter or Return (`key`, a Qt::Key) moves the current cell to the
// next visible column, after the last one to the first column of the next row, after the last
// row back to the first. Returns true when it took the key (then the table must do nothing more
// with it), also when there is no current cell; false when the key passes on unchanged.
bool Grid_Enter_Key(QTableWidget *table, int key, const ProgramValues &values);

// The row that Grid_Auto_Size takes for a double click on the horizontal header.
inline constexpr int HeaderRow = -1;
// With Opt_Double_Click_Auto_Size on and `row` HeaderRow, resizes `column` to its widest content,
// header included; a double click on a data cell does nothing here.
void Grid_Auto_Size(QTableWidget *table, int row, int column, const ProgramValues &values);

// The decimal separator to work with: the system's when it is "," or ".", otherwise ",".
QChar Get_Decimal_Separator(const RegionalSettings &regional);

} // namespace sw

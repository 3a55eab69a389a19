#pragma once

#include <QChar>

class QTableView;

namespace sw {

class RegionalSettings;
struct ProgramValues;

// What the list dialogs' tables share besides their row operations (core/models/RowOperations.h):
// how Enter moves and how a double click auto-sizes a column. The header row is the horizontal
// header and the row numbers the vertical header, so every row and column argument is a model
// index, as QTableView's current index gives it.

// With Opt_Jump_Field_Tables on, Enter or Return (`key`, a Qt::Key) moves the current cell to the
// next visible column, after the last one to the first column of the next row, after the last
// row back to the first. Returns true when it took the key (then the table must do nothing more
// with it), also when there is no current cell; false when the key passes on unchanged.
bool Grid_Enter_Key(QTableView *table, int key, const ProgramValues &values);

// The row that Grid_Auto_Size takes for a double click on the horizontal header.
inline constexpr int HeaderRow = -1;
// With Opt_Double_Click_Auto_Size on and `row` HeaderRow, resizes `column` to its widest content,
// header included; a double click on a data cell does nothing here.
void Grid_Auto_Size(QTableView *table, int row, int column, const ProgramValues &values);

// The decimal separator to work with: the system's when it is "," or ".", otherwise ",".
QChar Get_Decimal_Separator(const RegionalSettings &regional);

} // namespace sw

#pragma once

#include <QAbstractItemView>
#include <QBrush>
#include <QIcon>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QString>

namespace sw::test {

// The cells of a table view as a user sees and changes them, through its model: a text as the
// editors read and write it (Qt::EditRole), a check box of its own as its state. A change goes
// through the model's setData, as an edit in the table does.

inline QModelIndex cellAt(const QAbstractItemView *view, int row, int column)
{
    return view->model()->index(row, column);
}

inline QString cellText(const QAbstractItemView *view, int row, int column)
{
    return cellAt(view, row, column).data(Qt::EditRole).toString();
}

inline bool setCellText(const QAbstractItemView *view, int row, int column, const QString &text)
{
    return view->model()->setData(cellAt(view, row, column), text, Qt::EditRole);
}

// Whether the cell carries a check box of its own.
inline bool hasCheckBox(const QAbstractItemView *view, int row, int column)
{
    return cellAt(view, row, column).data(Qt::CheckStateRole).isValid();
}

inline bool isChecked(const QAbstractItemView *view, int row, int column)
{
    return cellAt(view, row, column).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

inline bool setChecked(const QAbstractItemView *view, int row, int column, bool checked)
{
    return view->model()->setData(cellAt(view, row, column), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

inline QBrush cellBackground(const QAbstractItemView *view, int row, int column)
{
    return cellAt(view, row, column).data(Qt::BackgroundRole).value<QBrush>();
}

inline QIcon cellIcon(const QAbstractItemView *view, int row, int column)
{
    return cellAt(view, row, column).data(Qt::DecorationRole).value<QIcon>();
}

// The tooltip that the cell itself holds (not the one the table makes for a text cut short).
inline QString cellTip(const QAbstractItemView *view, int row, int column)
{
    return cellAt(view, row, column).data(Qt::ToolTipRole).toString();
}

inline QString headerText(const QAbstractItemView *view, int column)
{
    return view->model()->headerData(column, Qt::Horizontal).toString();
}

inline QString headerTip(const QAbstractItemView *view, int column)
{
    return view->model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString();
}

// Selects the cells from (top, left) to (bottom, right) besides those selected already.
inline void selectCells(const QAbstractItemView *view, int top, int left, int bottom, int right)
{
    view->selectionModel()->select(
        QItemSelection(cellAt(view, top, left), cellAt(view, bottom, right)), QItemSelectionModel::Select);
}

} // namespace sw::test

#include "ui/widgets/TableOperations.h"

#include "core/ProgramValues.h"
#include "core/text/Decimal.h"
#include "core/text/MessageIds.h"
#include "platform/RegionalSettings.h"
#include "ui/Messages.h"
#include "ui/widgets/CellEditors.h"

#include <QTableWidget>

namespace sw {

namespace {

bool isDataRow(const QTableWidget *table, int row)
{
    return row >= 0 && row < table->rowCount();
}

QString textAt(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

// Through the model, so a missing item is made from the table's item prototype.
void setTextAt(QTableWidget *table, int row, int column, const QString &text)
{
    if (QTableWidgetItem *item = table->item(row, column))
        item->setText(text);
    else if (!text.isEmpty())
        table->model()->setData(table->model()->index(row, column), text, Qt::EditRole);
}

bool hasCheckAt(const QTableWidget *table, int row, int column)
{
    return carriesCheckBox(table->item(row, column));
}

bool checkedAt(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item && item->checkState() == Qt::Checked;
}

void setCheckedAt(QTableWidget *table, int row, int column, bool checked)
{
    table->model()->setData(
        table->model()->index(row, column), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

// Cell by cell from row `from` to row `to`: a check box passes its state, any other cell its text.
void moveCheckRow(QTableWidget *table, int from, int to)
{
    for (int c = 0; c < table->columnCount(); ++c) {
        if (hasCheckAt(table, from, c))
            setCheckedAt(table, to, c, checkedAt(table, from, c));
        else
            setTextAt(table, to, c, textAt(table, from, c));
    }
}

// A freed or new row: texts empty, check boxes unchecked except column 0's when `checkFirst`.
void clearCheckRow(QTableWidget *table, int row, bool checkFirst)
{
    for (int c = 0; c < table->columnCount(); ++c) {
        if (hasCheckAt(table, row, c))
            setCheckedAt(table, row, c, checkFirst && c == 0);
        else
            setTextAt(table, row, c, QString());
    }
}

// The two checks before any paste; true when the buffer may be written into `table`.
bool mayPaste(QTableWidget *table, bool rowCopied, const ProgramValues &values, Messages &messages)
{
    if (!rowCopied) {
        messages.error(table, values.msg(MsgId::RowNothingCopied));
        return false;
    }
    if (values.Row_Copy_List.size() != table->columnCount()) {
        messages.error(table, values.msg(MsgId::RowCopyMismatch));
        return false;
    }
    return true;
}

} // namespace

void Delete_Row(int row, QTableWidget *table)
{
    if (!isDataRow(table, row))
        return;
    const int last = table->rowCount() - 1;
    for (int r = row; r < last; ++r)
        for (int c = 0; c < table->columnCount(); ++c)
            setTextAt(table, r, c, textAt(table, r + 1, c));
    for (int c = 0; c < table->columnCount(); ++c)
        setTextAt(table, last, c, QString());
}

void Insert_Row(int row, QTableWidget *table, bool enableNewRow)
{
    if (!isDataRow(table, row))
        return;
    for (int r = table->rowCount() - 2; r >= row; --r)
        for (int c = 0; c < table->columnCount(); ++c)
            setTextAt(table, r + 1, c, textAt(table, r, c));
    for (int c = 0; c < table->columnCount(); ++c)
        setTextAt(table, row, c, c == 0 && enableNewRow ? QStringLiteral("Y") : QString());
}

void Copy_Row(QTableWidget *table, int row, ProgramValues &values)
{
    if (!isDataRow(table, row))
        return;
    values.Row_Copy_List.clear();
    for (int c = 0; c < table->columnCount(); ++c)
        values.Row_Copy_List.append(textAt(table, row, c));
}

void Paste_Row(QTableWidget *table, int row, bool rowCopied, ProgramValues &values, Messages &messages)
{
    if (!isDataRow(table, row) || !mayPaste(table, rowCopied, values, messages))
        return;
    // A check-box column always holds "Y" or "N", so it says nothing about the row being in use.
    bool inUse = false;
    for (int c = 0; c < table->columnCount() && !inUse; ++c)
        inUse = !isCheckBoxColumn(table, c) && !textAt(table, row, c).trimmed().isEmpty();
    if (inUse && !messages.confirm(table, values.msg(MsgId::RowAlreadyUsed)))
        return;
    for (int c = 0; c < table->columnCount(); ++c)
        setTextAt(table, row, c, values.Row_Copy_List.at(c));
}

void Delete_Row_Check(int row, QTableWidget *table, bool checkFirst)
{
    if (!isDataRow(table, row))
        return;
    const int last = table->rowCount() - 1;
    for (int r = row; r < last; ++r)
        moveCheckRow(table, r + 1, r);
    clearCheckRow(table, last, checkFirst);
}

void Insert_Row_Check(int row, QTableWidget *table, bool checkFirst)
{
    if (!isDataRow(table, row))
        return;
    for (int r = table->rowCount() - 2; r >= row; --r)
        moveCheckRow(table, r, r + 1);
    clearCheckRow(table, row, checkFirst);
}

void Copy_Row_Check(QTableWidget *table, int row, ProgramValues &values)
{
    if (!isDataRow(table, row))
        return;
    values.Row_Copy_List.clear();
    values.Row_Copy_Is_Check.clear();
    for (int c = 0; c < table->columnCount(); ++c) {
        const bool check = hasCheckAt(table, row, c);
        values.Row_Copy_Is_Check.append(check);
        if (check)
            values.Row_Copy_List.append(checkedAt(table, row, c) ? QStringLiteral("Y") : QStringLiteral("N"));
        else
            values.Row_Copy_List.append(textAt(table, row, c));
    }
}

void Paste_Row_Check(QTableWidget *table, int row, bool rowCopied, ProgramValues &values, Messages &messages)
{
    if (!isDataRow(table, row) || !mayPaste(table, rowCopied, values, messages))
        return;
    // Untrimmed: a cell holding only blanks counts as content here.
    bool inUse = false;
    for (int c = 0; c < table->columnCount() && !inUse; ++c)
        inUse = !hasCheckAt(table, row, c) && !textAt(table, row, c).isEmpty();
    if (inUse && !messages.confirm(table, values.msg(MsgId::RowAlreadyUsed)))
        return;
    for (int c = 0; c < table->columnCount(); ++c) {
        const QString &text = values.Row_Copy_List.at(c);
        if (values.Row_Copy_Is_Check.value(c))
            setCheckedAt(table, row, c, text == u"Y");
        else
            setTextAt(table, row, c, text);
    }
}

bool Grid_Enter_Key(QTableWidget *table, int key, const ProgramValues &values)
{
    if (!values.Opt_Jump_Field_Tables || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return false;
    const int row = table->currentRow();
    const int column = table->currentColumn();
    if (row < 0 || column < 0)
        return true;
    // Hidden columns are passed over: Enter lands only where the user can see.
    const auto nextVisible = [table](int from) {
        for (int c = from; c < table->columnCount(); ++c)
            if (!table->isColumnHidden(c))
                return c;
        return -1;
    };
    const int next = nextVisible(column + 1);
    if (next >= 0)
        table->setCurrentCell(row, next);
    else if (const int first = nextVisible(0); first >= 0)
        table->setCurrentCell(row < table->rowCount() - 1 ? row + 1 : 0, first);
    return true;
}

void Grid_Auto_Size(QTableWidget *table, int row, int column, const ProgramValues &values)
{
    if (!values.Opt_Double_Click_Auto_Size || row != HeaderRow || column < 0 || column >= table->columnCount())
        return;
    table->resizeColumnToContents(column);
}

QChar Get_Decimal_Separator(const RegionalSettings &regional)
{
    return decimalSeparatorFrom(regional.decimalSeparator());
}

} // namespace sw

#include "ui/widgets/TableOperations.h"

#include "core/ProgramValues.h"
#include "core/text/Decimal.h"
#include "platform/RegionalSettings.h"

#include <QTableView>

namespace sw {

bool Grid_Enter_Key(QTableView *table, int key, const ProgramValues &values)
{
    if (!values.Opt_Jump_Field_Tables || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return false;
    const QModelIndex current = table->currentIndex();
    if (!current.isValid())
        return true;
    const QAbstractItemModel *model = table->model();
    // Hidden columns are passed over: Enter lands only where the user can see.
    const auto nextVisible = [table, model](int from) {
        for (int c = from; c < model->columnCount(); ++c)
            if (!table->isColumnHidden(c))
                return c;
        return -1;
    };
    const int row = current.row();
    const int next = nextVisible(current.column() + 1);
    if (next >= 0)
        table->setCurrentIndex(model->index(row, next));
    else if (const int first = nextVisible(0); first >= 0)
        table->setCurrentIndex(model->index(row < model->rowCount() - 1 ? row + 1 : 0, first));
    return true;
}

void Grid_Auto_Size(QTableView *table, int row, int column, const ProgramValues &values)
{
    if (!values.Opt_Double_Click_Auto_Size || row != HeaderRow || column < 0 || column >= table->model()->columnCount())
        return;
    table->resizeColumnToContents(column);
}

QChar Get_Decimal_Separator(const RegionalSettings &regional)
{
    return decimalSeparatorFrom(regional.decimalSeparator());
}

} // namespace sw

#include "ui/documents/ListEditor.h"

#include "core/ErrorText.h"
#include "core/ProgramValues.h"
#include "core/text/MessageIds.h"
#include "ui/Controls.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/UndoKeys.h"
#include "ui/widgets/ListTable.h"
#include "ui/widgets/TableOperations.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QUndoStack>

namespace sw {

namespace {

// The width of the row numbers' column.
constexpr int RowNumberWidth = 40;

} // namespace

// The cells that one change altered, before and after it. Pushed once the change is made, so its
// first redo has nothing to do.
class ListEditor::CellStep final : public QUndoCommand
{
public:
    CellStep(ListEditor *editor, QList<CellChange> changes)
        : m_editor(editor)
        , m_changes(std::move(changes))
    {
    }

    void undo() override { m_editor->restoreCells(m_changes, false); }
    void redo() override
    {
        if (m_done) {
            m_editor->restoreCells(m_changes, true);
            return;
        }
        m_done = true;
    }

private:
    ListEditor *const m_editor;
    const QList<CellChange> m_changes;
    bool m_done = false;
};

ListEditor::ListEditor(ProgramValues &values, Services &svc, CheckBoxes checkBoxes, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
    , m_checkBoxes(checkBoxes)
    , m_history(new QUndoStack(this))
{
    centreOnScreenAtShow();
}

ListEditor::~ListEditor()
{
    // Hiding the dialog on its way out ends an open cell edit; its text must not be marked by a
    // dialog that is half gone.
    if (m_table) {
        disconnect(m_table->model(), nullptr, this, nullptr);
        disconnect(m_table, nullptr, this, nullptr);
    }
}

ListTable *ListEditor::newTable(const char *name, int rows, int columns, int rowHeight)
{
    auto *table = new ListTable(rows, columns, pv, this);
    table->setObjectName(QString::fromLatin1(name));
    table->verticalHeader()->setFixedWidth(RowNumberWidth);
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    for (int c = 0; c < columns; ++c) {
        table->setHorizontalHeaderItem(c, new QTableWidgetItem);
        for (int r = 0; r < rows; ++r)
            table->setItem(r, c, new QTableWidgetItem);
    }
    return table;
}

void ListEditor::setColumn(ListTable *table, int column, int width, QStyledItemDelegate *editor)
{
    table->setColumnWidth(column, width);
    table->setItemDelegateForColumn(column, editor);
}

void ListEditor::layOutList(
    ListTable *table, const ListEditorTexts &texts, const QList<ColumnText> &columns, bool selectFirstCell)
{
    m_table = table;
    m_texts = texts;
    m_columns = columns;
    m_selectFirstCell = selectFirstCell;

    const Frame frame = layOutFrame({ table }, table);
    L_SW_Code = frame.L_SW_Code;
    L_SW_Desc = frame.L_SW_Desc;
    Btn_OK = frame.Btn_OK;
    Btn_Cancel = frame.Btn_Cancel;

    // The row buttons follow OK and Cancel in the button band.
    QWidget *band = Btn_OK->parentWidget();
    const auto addRowButton = [band](const char *name) {
        auto *button = new QPushButton(band);
        button->setObjectName(QString::fromLatin1(name));
        enterPressesButton(button);
        band->layout()->addWidget(button);
        return button;
    };
    Btn_DelRow = addRowButton("Btn_DelRow");
    Btn_InsRow = addRowButton("Btn_InsRow");
    Btn_CopyRow = addRowButton("Btn_CopyRow");
    Btn_PasteRow = addRowButton("Btn_PasteRow");

    const QList<QWidget *> chain = { table, Btn_OK, Btn_Cancel, Btn_DelRow, Btn_InsRow, Btn_CopyRow, Btn_PasteRow };
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(Btn_OK, &QPushButton::clicked, this, &ListEditor::Btn_OKClick);
    connect(Btn_DelRow, &QPushButton::clicked, this, &ListEditor::Btn_DelRowClick);
    connect(Btn_InsRow, &QPushButton::clicked, this, &ListEditor::Btn_InsRowClick);
    connect(Btn_CopyRow, &QPushButton::clicked, this, &ListEditor::Btn_CopyRowClick);
    connect(Btn_PasteRow, &QPushButton::clicked, this, &ListEditor::Btn_PasteRowClick);

    // A cell's text or check box changed, by the user or by a row operation, may make or end a
    // finding. The marks' own tints and tooltips are other roles.
    connect(table->model(), &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
            if (m_holdMarks)
                return;
            if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole)
                && !roles.contains(Qt::CheckStateRole))
                return;
            {
                const QScopedValueRollback hold(m_holdMarks, true);
                refreshMarks(topLeft.row(), bottomRight.row());
            }
            takeStep();
        });
    // The Delete key empties a selection cell by cell: one step, and the marks once.
    connect(table, &ListTable::cellsClearing, this, [this] { m_holdMarks = true; });
    connect(table, &ListTable::cellsCleared, this, [this] {
        m_holdMarks = false;
        refreshAllMarks();
        takeStep();
    });

    const UndoActions undo = addUndoActions(this, m_history);
    connect(undo.undo, &QAction::triggered, this, &ListEditor::undoStep);
    connect(undo.redo, &QAction::triggered, this, &ListEditor::redoStep);
    takeCells();

    setCatalogueTexts({
        { this, texts.caption, NoText },
        { L_SW_Desc, texts.description, NoText },
        { Btn_OK, texts.ok, texts.okHint },
        { Btn_Cancel, texts.cancel, texts.cancelHint },
        { Btn_DelRow, texts.delRow, texts.delRowHint },
        { Btn_InsRow, texts.insRow, texts.insRowHint },
        { Btn_CopyRow, texts.copyRow, texts.copyRowHint },
        { Btn_PasteRow, texts.pasteRow, texts.pasteRowHint },
    });
}

void ListEditor::Set_Lang()
{
    CatalogueDialog::Set_Lang();
    m_table->setCornerText(pv.msg(m_texts.rowNumber));
    Hint_List.clear();
    for (int c = 0; c < int(m_columns.size()); ++c) {
        Hint_List.append(pv.msg(m_columns[c].hint));
        QTableWidgetItem *header = m_table->horizontalHeaderItem(c);
        header->setText(pv.msg(m_columns[c].header));
        header->setToolTip(plainTip(Hint_List.last()));
    }
    fitColumnsToHeaders();
    refreshAllMarks();
}

void ListEditor::fitColumnsToHeaders()
{
    // A column is widened (never narrowed) when its caption does not fit: the style draws the
    // caption between two margins and cuts it at both ends.
    QHeaderView *header = m_table->horizontalHeader();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 0; c < header->count(); ++c) {
        const int needed = header->fontMetrics().horizontalAdvance(m_table->horizontalHeaderItem(c)->text()) + margins;
        if (needed > m_table->columnWidth(c))
            m_table->setColumnWidth(c, needed);
    }
}

void ListEditor::changeEvent(QEvent *event)
{
    CatalogueDialog::changeEvent(event);
    if (m_table && event->type() == QEvent::FontChange)
        fitColumnsToHeaders();
}

void ListEditor::FormShow()
{
    QString failure;
    changeRows([&] {
        try {
            showDocumentRows();
        } catch (const std::exception &e) {
            // The default rows are on show; OK replaces the unreadable file with them.
            showDefaultRows();
            failure = errorText(e);
        }
    });
    Do_Copy = false;
    m_table->scrollToTop();
    if (m_selectFirstCell) {
        m_table->setCurrentCell(0, 0);
        m_table->setFocus(Qt::OtherFocusReason);
    } else {
        m_table->selectionModel()->setCurrentIndex(m_table->model()->index(0, 0), QItemSelectionModel::Clear);
    }
    takeCells();
    m_history->clear();
    if (!failure.isEmpty())
        services.messages->generalError(this, failure);
}

void ListEditor::reject()
{
    if (isVisible() && changedSinceShowing()
        && !services.messages->confirm(this, pv.msg(MsgId::ParGenExitWithoutSaving)))
        return;
    CatalogueDialog::reject();
}

bool ListEditor::changedSinceShowing() const
{
    return !m_history->isClean();
}

void ListEditor::changeRows(const std::function<void()> &change)
{
    {
        const QScopedValueRollback hold(m_holdMarks, true);
        change();
    }
    refreshAllMarks();
    takeStep();
}

ListEditor::CellState ListEditor::cellState(int row, int column) const
{
    const QTableWidgetItem *cell = m_table->item(row, column);
    if (!cell)
        return {};
    return { cell->text(), cell->data(Qt::CheckStateRole) };
}

void ListEditor::takeCells()
{
    m_cells.clear();
    m_cells.reserve(m_table->rowCount() * m_table->columnCount());
    for (int r = 0; r < m_table->rowCount(); ++r) {
        for (int c = 0; c < m_table->columnCount(); ++c)
            m_cells.append(cellState(r, c));
    }
}

void ListEditor::takeStep()
{
    if (m_restoring || !m_table)
        return;
    const int columns = m_table->columnCount();
    if (m_cells.size() != qsizetype(m_table->rowCount()) * columns) {
        takeCells();
        return;
    }
    QList<CellChange> changes;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        for (int c = 0; c < columns; ++c) {
            CellState &was = m_cells[qsizetype(r) * columns + c];
            CellState now = cellState(r, c);
            if (now == was)
                continue;
            changes.append({ r, c, was, now });
            was = std::move(now);
        }
    }
    if (!changes.isEmpty())
        m_history->push(new CellStep(this, std::move(changes)));
}

void ListEditor::restoreCells(const QList<CellChange> &changes, bool after)
{
    const QScopedValueRollback restoring(m_restoring, true);
    const int columns = m_table->columnCount();
    changeRows([&] {
        for (const CellChange &change : changes) {
            const CellState &state = after ? change.after : change.before;
            QTableWidgetItem *cell = m_table->item(change.row, change.column);
            if (!cell)
                continue;
            if (cell->text() != state.text)
                cell->setText(state.text);
            if (state.check.isValid() && cell->data(Qt::CheckStateRole) != state.check)
                cell->setData(Qt::CheckStateRole, state.check);
            m_cells[qsizetype(change.row) * columns + change.column] = state;
        }
    });
    // The first cell that changed comes into view.
    if (!changes.isEmpty()) {
        const CellChange &first = changes.first();
        m_table->setCurrentCell(first.row, first.column);
        m_table->scrollTo(m_table->model()->index(first.row, first.column));
    }
}

void ListEditor::undoStep()
{
    m_table->finishEdit();
    m_history->undo();
}

void ListEditor::redoStep()
{
    m_table->finishEdit();
    m_history->redo();
}

void ListEditor::refreshAllMarks()
{
    const QScopedValueRollback hold(m_holdMarks, true);
    refreshMarks(0, m_table->rowCount() - 1);
}

void ListEditor::Btn_OKClick()
{
    if (!Controllo_dati())
        return;
    // The list ends at the first blank key cell: rows below it would be dropped without a word.
    if (const int blank = blankRowAboveData(); blank >= 0) {
        constexpr int KeyColumn = 1; // Name or Certificate, after the Enable column
        m_table->focusCell(blank, KeyColumn);
        services.messages->error(this,
            pv.msg(MsgId::ListBlankRowAboveData).arg(blank + 1).arg(m_table->horizontalHeaderItem(KeyColumn)->text()));
        return;
    }
    try {
        storeDocument();
    } catch (const std::exception &e) {
        services.messages->generalError(this, errorText(e));
        return;
    }
    accept();
}

void ListEditor::Btn_DelRowClick()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    if (!services.messages->confirm(this, pv.msg(m_texts.deleteQuestion) + QString::number(row + 1)))
        return;
    changeRows([&] {
        if (m_checkBoxes == CheckBoxes::AsText)
            Delete_Row(row, m_table);
        else
            Delete_Row_Check(row, m_table, true);
    });
}

void ListEditor::Btn_InsRowClick()
{
    // Inserting moves every row below down by one: the last row's content falls off the table.
    const int last = m_table->rowCount() - 1;
    if (m_table->currentRow() >= 0 && rowInUse(last)
        && !services.messages->confirm(this, pv.msg(MsgId::ListInsertLosesLastRow).arg(last + 1)))
        return;
    changeRows([&] {
        if (m_checkBoxes == CheckBoxes::AsText)
            Insert_Row(m_table->currentRow(), m_table, true);
        else
            Insert_Row_Check(m_table->currentRow(), m_table, true);
    });
}

void ListEditor::Btn_CopyRowClick()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    if (m_checkBoxes == CheckBoxes::AsText)
        Copy_Row(m_table, row, pv);
    else
        Copy_Row_Check(m_table, row, pv);
    Do_Copy = true;
}

void ListEditor::Btn_PasteRowClick()
{
    changeRows([&] {
        if (m_checkBoxes == CheckBoxes::AsText)
            Paste_Row(m_table, m_table->currentRow(), Do_Copy, pv, *services.messages);
        else
            Paste_Row_Check(m_table, m_table->currentRow(), Do_Copy, pv, *services.messages);
    });
}

} // namespace sw

#include "ui/documents/ListEditor.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/text/MessageIds.h"
#include "ui/Controls.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/UndoKeys.h"
#include "ui/widgets/ListTable.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QUndoStack>

namespace sw {

namespace {

// The width of the row numbers' column.
constexpr int RowNumberWidth = 40;

} // namespace

ListEditor::ListEditor(ProgramValues &values, Services &svc, CheckBoxes checkBoxes, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
    , m_checkBoxes(checkBoxes)
    , m_history(new QUndoStack(this))
{
    centreOnScreenAtShow();
}

ListEditor::~ListEditor()
{
    // Hiding the dialog on its way out ends an open cell edit; its text must neither become a step
    // nor be marked by a dialog that is half gone.
    if (m_table) {
        m_table->rowModel()->setEditHandler(nullptr);
        disconnect(m_table->model(), nullptr, this, nullptr);
    }
}

ListTable *ListEditor::newTable(const char *name, RowTableModel *model, int rowHeight)
{
    auto *table = new ListTable(model, pv, this);
    table->setObjectName(QString::fromLatin1(name));
    table->verticalHeader()->setFixedWidth(RowNumberWidth);
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
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

    // A change of rows, by an edit, a row operation, a step undone or a load, may make or end a
    // finding. The marks' own tints and tooltips are other roles.
    connect(table->model(), &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
            if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole)
                && !roles.contains(Qt::CheckStateRole))
                return;
            refreshMarks(topLeft.row(), bottomRight.row());
        });

    const UndoActions undo = addUndoActions(this, m_history);
    connect(undo.undo, &QAction::triggered, this, &ListEditor::undoStep);
    connect(undo.redo, &QAction::triggered, this, &ListEditor::redoStep);

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
    QStringList headers;
    QStringList tips;
    for (const ColumnText &column : std::as_const(m_columns)) {
        Hint_List.append(pv.msg(column.hint));
        headers.append(pv.msg(column.header));
        tips.append(plainTip(Hint_List.last()));
    }
    m_table->rowModel()->setHeaders(headers, tips);
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
        const QString caption = m_table->model()->headerData(c, Qt::Horizontal).toString();
        const int needed = header->fontMetrics().horizontalAdvance(caption) + margins;
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
    try {
        showDocumentRows();
    } catch (const std::exception &e) {
        // The default rows are on show; OK replaces the unreadable file with them.
        showDefaultRows();
        failure = errorText(e);
    }
    Do_Copy = false;
    m_table->scrollToTop();
    if (m_selectFirstCell) {
        m_table->setCurrentCell(0, 0);
        m_table->setFocus(Qt::OtherFocusReason);
    } else {
        m_table->selectionModel()->setCurrentIndex(m_table->model()->index(0, 0), QItemSelectionModel::Clear);
    }
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
    refreshMarks(0, m_table->rowCount() - 1);
}

QString ListEditor::editStepName(const QList<int> &columns) const
{
    QStringList captions;
    for (int column : columns)
        captions.append(m_table->model()->headerData(column, Qt::Horizontal).toString());
    return captions.join(QStringLiteral(", "));
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
            pv.msg(MsgId::ListBlankRowAboveData)
                .arg(blank + 1)
                .arg(m_table->model()->headerData(KeyColumn, Qt::Horizontal).toString()));
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
    deleteRow(row, pv.msg(m_texts.delRow));
}

void ListEditor::Btn_InsRowClick()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    // Inserting moves every row below down by one: the last row's content falls off the table.
    const int last = m_table->rowCount() - 1;
    if (rowInUse(last) && !services.messages->confirm(this, pv.msg(MsgId::ListInsertLosesLastRow).arg(last + 1)))
        return;
    insertRow(row, pv.msg(m_texts.insRow));
}

void ListEditor::Btn_CopyRowClick()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    copyRow(row);
    Do_Copy = true;
}

void ListEditor::Btn_PasteRowClick()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    pasteRow(row, pv.msg(m_texts.pasteRow));
}

bool ListEditor::mayPaste(PasteCheck check)
{
    switch (check) {
    case PasteCheck::TargetFree:
        return true;
    case PasteCheck::TargetInUse:
        return services.messages->confirm(this, pv.msg(MsgId::RowAlreadyUsed));
    case PasteCheck::NothingCopied:
        services.messages->error(this, pv.msg(MsgId::RowNothingCopied));
        return false;
    case PasteCheck::CopyDoesNotFit:
        services.messages->error(this, pv.msg(MsgId::RowCopyMismatch));
        return false;
    case PasteCheck::NoRow:
        break;
    }
    return false;
}

} // namespace sw

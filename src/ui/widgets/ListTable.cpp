#include "ui/widgets/ListTable.h"

#include "core/ProgramValues.h"
#include "core/models/RowModel.h"
#include "ui/Controls.h"
#include "ui/widgets/TableOperations.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QToolTip>

namespace sw {

ListTable::ListTable(RowTableModel *model, const ProgramValues &values, QWidget *parent)
    : QTableView(parent)
    , m_model(model)
    , m_values(values)
{
    setModel(model);
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectItems);
    // One line per line of text; what does not fit is cut short and shown whole in the tooltip.
    setWordWrap(false);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);

    // Qt itself auto-sizes a column on a double click on its divider; here every double click on
    // the header goes through Grid_Auto_Size, so the option decides. Qt 6.4 makes that connection
    // by name; the form by function is undone as well, should a later Qt use it.
    QHeaderView *header = horizontalHeader();
    disconnect(header, SIGNAL(sectionHandleDoubleClicked(int)), this, SLOT(resizeColumnToContents(int)));
    disconnect(header, &QHeaderView::sectionHandleDoubleClicked, this, &QTableView::resizeColumnToContents);
    connect(header, &QHeaderView::sectionHandleDoubleClicked, this, &ListTable::headerDoubleClicked);
    connect(header, &QHeaderView::sectionDoubleClicked, this, &ListTable::headerDoubleClicked);
    // Column captions fill their fixed widths; the bold type of a highlighted section would cut
    // them whenever a whole row is selected.
    header->setHighlightSections(false);

    // The corner above the row numbers is a button of QTableView's own; its text is painted here.
    m_corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner)
        m_corner->installEventFilter(this);
}

int ListTable::rowCount() const
{
    return m_model->rowCount();
}

int ListTable::columnCount() const
{
    return m_model->columnCount();
}

void ListTable::setCurrentCell(int row, int column)
{
    setCurrentIndex(m_model->index(row, column));
}

void ListTable::setCornerText(const QString &text)
{
    m_cornerText = text;
    if (m_corner)
        m_corner->update();
}

void ListTable::focusCell(int row, int column)
{
    setCurrentCell(row, column);
    scrollTo(model()->index(row, column), EnsureVisible);
    setFocus(Qt::OtherFocusReason);
}

void ListTable::finishEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool ListTable::isCheckCell(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return false;
    return m_model->kind(column) != CellKind::Text;
}

QString ListTable::cellToolTip(int row, int column) const
{
    const QModelIndex index = model()->index(row, column);
    if (!index.isValid() || isCheckCell(row, column))
        return QString();
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.contains(u'\n') || text.contains(u'\r'))
        return text;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    const int needed = itemDelegateForIndex(index)->sizeHint(option, index).width();
    return needed > columnWidth(column) ? text : QString();
}

bool ListTable::focusNextPrevChild(bool next)
{
    // Tab past the last cell, or Shift+Tab before the first, leaves the table instead of wrapping
    // around, so the keyboard alone reaches the dialog's buttons.
    const bool atEdge = next ? currentRow() == rowCount() - 1 && currentColumn() == columnCount() - 1
                             : currentRow() <= 0 && currentColumn() <= 0;
    if (atEdge)
        return QWidget::focusNextPrevChild(next);
    return QTableView::focusNextPrevChild(next);
}

void ListTable::keyPressEvent(QKeyEvent *event)
{
    // Ctrl+Tab and Ctrl+Shift+Tab leave the table from any cell.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && event->modifiers().testFlag(Qt::ControlModifier)) {
        const bool back = event->key() == Qt::Key_Backtab || event->modifiers().testFlag(Qt::ShiftModifier);
        QWidget::focusNextPrevChild(!back);
        event->accept();
        return;
    }
    // Enter that ends an edit reaches here too (the line editors pass it on): the edit is ended
    // and the move made once, here.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && m_values.Opt_Jump_Field_Tables) {
        finishEdit();
        Grid_Enter_Key(this, event->key(), m_values);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        clearSelectedCells();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool ListTable::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        // A tooltip that the dialog set on the cell itself wins.
        if (index.isValid() && !index.data(Qt::ToolTipRole).isValid()) {
            const QString text = cellToolTip(index.row(), index.column());
            if (text.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(help->globalPos(), plainTip(text), viewport(), visualRect(index));
            }
            return true;
        }
    }
    return QTableView::viewportEvent(event);
}

bool ListTable::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner && event->type() == QEvent::Paint && !m_cornerText.isEmpty()) {
        QStyleOptionHeader option;
        option.initFrom(m_corner);
        option.state = QStyle::State_None;
        if (m_corner->isEnabled())
            option.state |= QStyle::State_Enabled;
        if (m_corner->isActiveWindow())
            option.state |= QStyle::State_Active;
        if (m_corner->isDown())
            option.state |= QStyle::State_Sunken;
        option.rect = m_corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.orientation = Qt::Horizontal;
        option.text = m_cornerText;
        option.textAlignment = Qt::AlignCenter;
        QStylePainter painter(m_corner);
        painter.setFont(horizontalHeader()->font());
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

bool ListTable::closedAlready(QWidget *editor)
{
    m_closedEditors.removeAll(nullptr);
    return m_closedEditors.contains(editor);
}

void ListTable::commitData(QWidget *editor)
{
    if (!closedAlready(editor))
        QTableView::commitData(editor);
}

void ListTable::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (closedAlready(editor))
        return;
    m_closedEditors.append(editor);
    // An editor that took Enter itself ends with this hint alone: the move is made here then.
    if (hint == QAbstractItemDelegate::SubmitModelCache && m_values.Opt_Jump_Field_Tables) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        Grid_Enter_Key(this, Qt::Key_Return, m_values);
        return;
    }
    QTableView::closeEditor(editor, hint);
}

void ListTable::headerDoubleClicked(int column)
{
    Grid_Auto_Size(this, HeaderRow, column, m_values);
}

void ListTable::clearSelectedCells()
{
    QModelIndexList cells = selectedIndexes();
    if (cells.isEmpty() && currentIndex().isValid())
        cells.append(currentIndex());
    QList<CellEdit> edits;
    for (const QModelIndex &index : std::as_const(cells)) {
        if (index.flags().testFlag(Qt::ItemIsEditable) && !isCheckCell(index.row(), index.column()))
            edits.append({ index.row(), index.column(), QString() });
    }
    m_model->setCells(edits);
}

} // namespace sw

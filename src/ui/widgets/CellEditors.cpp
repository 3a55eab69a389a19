#include "ui/widgets/CellEditors.h"

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextDocument>

#include <limits>

namespace sw {

namespace {

const QStyle *styleOf(const QStyleOptionViewItem &option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

QString cellText(const QModelIndex &index)
{
    return index.data(Qt::EditRole).toString();
}

QComboBox *makeCombo(QWidget *parent, const QStringList &choices, bool editable)
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(editable);
    combo->addItems(choices);
    if (editable) {
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
        // A typed text is kept in its own letter case, never replaced by a choice spelled otherwise.
        combo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    }
    return combo;
}

} // namespace

QWidget *TextDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setMaxLength(std::numeric_limits<int>::max());
    return editor;
}

ChoiceDelegate::ChoiceDelegate(const QStringList &choices, bool editable, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_choices(choices)
    , m_editable(editable)
{
}

QWidget *ChoiceDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    QComboBox *combo = makeCombo(parent, m_choices, m_editable);
    // A choice shows in the cell at once; the editor stays open until Enter, Tab or a click away.
    connect(combo, &QComboBox::activated, this,
        [this, combo] { Q_EMIT const_cast<ChoiceDelegate *>(this)->commitData(combo); });
    return combo;
}

void ChoiceDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = static_cast<QComboBox *>(editor);
    if (m_editable) {
        combo->setEditText(cellText(index));
        combo->lineEdit()->selectAll(); // typing replaces the text, as in a one-line cell
    } else {
        combo->setCurrentIndex(combo->findText(cellText(index), Qt::MatchExactly | Qt::MatchCaseSensitive));
    }
}

void ChoiceDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const auto *combo = static_cast<QComboBox *>(editor);
    if (m_editable || combo->currentIndex() >= 0)
        model->setData(index, combo->currentText(), Qt::EditRole);
}

QRect CentredCheckDelegate::checkRect(const QStyleOptionViewItem &option, const QRect &cell) const
{
    const QStyle *style = styleOf(option);
    const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget),
        style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget));
    return QStyle::alignedRect(option.direction, Qt::AlignCenter, size, cell);
}

void CentredCheckDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!hasCheckBox(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell's background, selection and focus as usual, without its text; then the box.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    cell.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator);
    const QStyle *style = styleOf(option);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, option.widget);

    QStyleOptionViewItem box = cell;
    box.rect = checkRect(option, option.rect);
    box.state &= ~QStyle::State_HasFocus;
    box.state |= isChecked(index) ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, option.widget);
}

QSize CentredCheckDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!hasCheckBox(index))
        return QStyledItemDelegate::sizeHint(option, index);
    const QStyle *style = styleOf(option);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, option.widget) + 1;
    return checkRect(option, QRect()).size() + QSize(2 * margin, 2 * margin);
}

QWidget *CentredCheckDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // A check box is toggled in place, never through an editor.
    return hasCheckBox(index) ? nullptr : QStyledItemDelegate::createEditor(parent, option, index);
}

bool CentredCheckDelegate::editorEvent(
    QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (!hasCheckBox(index) || !canToggle(index))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !checkRect(option, option.rect).contains(mouse->position().toPoint()))
            return false;
        // Press and double click are taken so the view does not act on them; the release toggles.
        if (event->type() == QEvent::MouseButtonRelease)
            setChecked(model, index, !isChecked(index));
        return true;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        setChecked(model, index, !isChecked(index));
        return true;
    }
    default:
        return false;
    }
}

bool CheckBoxDelegate::isChecked(const QModelIndex &index) const
{
    return cellText(index) == u"Y";
}

void CheckBoxDelegate::setChecked(QAbstractItemModel *model, const QModelIndex &index, bool checked) const
{
    model->setData(index, checked ? QStringLiteral("Y") : QStringLiteral("N"), Qt::EditRole);
}

bool CheckBoxDelegate::canToggle(const QModelIndex &index) const
{
    return index.flags().testFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable);
}

bool CellCheckDelegate::hasCheckBox(const QModelIndex &index) const
{
    return index.data(Qt::CheckStateRole).isValid();
}

bool CellCheckDelegate::isChecked(const QModelIndex &index) const
{
    return index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

void CellCheckDelegate::setChecked(QAbstractItemModel *model, const QModelIndex &index, bool checked) const
{
    model->setData(index, checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

bool CellCheckDelegate::canToggle(const QModelIndex &index) const
{
    return index.flags().testFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
}

QWidget *MultiLineDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new QPlainTextEdit(parent);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    return editor;
}

void MultiLineDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<QPlainTextEdit *>(editor)->setPlainText(cellText(index));
}

void MultiLineDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const QTextDocument *document = static_cast<QPlainTextEdit *>(editor)->document();
    if (!document->isModified())
        return;
    // The raw text keeps every character as typed (toPlainText would turn no-break spaces into
    // blanks); only the document's own line separators become line feeds.
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    model->setData(index, text, Qt::EditRole);
}

bool MultiLineDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QPlainTextEdit *>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return false; // the editor starts a new line
        case Qt::Key_Tab:
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, EditNextItem);
            return true;
        case Qt::Key_Backtab:
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, EditPreviousItem);
            return true;
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace sw

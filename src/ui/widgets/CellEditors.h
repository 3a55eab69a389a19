#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

namespace sw {

// Cell editors of the list tables, one delegate per column (setItemDelegateForColumn). Each
// reads and writes the cell's text (Qt::EditRole), except CellCheckDelegate, which works on the
// cell's own check box.

// One-line text without a length limit, so a long loaded text left alone is written back whole.
class TextDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// A drop-down list of `choices`. A fixed list (not `editable`) keeps a cell text that is not among
// its choices unless the user picks one; an editable list also takes any typed text.
class ChoiceDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    ChoiceDelegate(const QStringList &choices, bool editable, QObject *parent = nullptr);
    QStringList choices() const { return m_choices; }
    bool isEditable() const { return m_editable; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    QStringList m_choices;
    bool m_editable;
};

// A check box painted in the middle of the cell, toggled by a click on it or by Space, without an
// editor. The state lives where the subclass says (see below); a cell without a check box is
// shown and edited as text.
class CentredCheckDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    virtual bool hasCheckBox(const QModelIndex &) const { return true; }
    virtual bool isChecked(const QModelIndex &index) const = 0;
    virtual void setChecked(QAbstractItemModel *model, const QModelIndex &index, bool checked) const = 0;
    // Where the check box is painted within the cell rectangle `cell`.
    QRect checkRect(const QStyleOptionViewItem &option, const QRect &cell) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    // Whether the user may change the state of this cell.
    virtual bool canToggle(const QModelIndex &index) const = 0;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;
};

// A check box held as cell text: checked exactly when the text is "Y"; writes "Y" or "N".
class CheckBoxDelegate final : public CentredCheckDelegate
{
    Q_OBJECT
public:
    using CentredCheckDelegate::CentredCheckDelegate;
    bool isChecked(const QModelIndex &index) const override;
    void setChecked(QAbstractItemModel *model, const QModelIndex &index, bool checked) const override;

protected:
    bool canToggle(const QModelIndex &index) const override;
};

// The cell's own check box (Qt::CheckStateRole), centred; its text is not shown. A cell without a
// check box is plain text.
class CellCheckDelegate final : public CentredCheckDelegate
{
    Q_OBJECT
public:
    using CentredCheckDelegate::CentredCheckDelegate;
    bool hasCheckBox(const QModelIndex &index) const override;
    bool isChecked(const QModelIndex &index) const override;
    void setChecked(QAbstractItemModel *model, const QModelIndex &index, bool checked) const override;

protected:
    bool canToggle(const QModelIndex &index) const override;
};

// Multi-line text such as a certificate: Enter starts a new line (a pasted block keeps its
// lines), Tab and leaving the editor commit, Escape cancels. Text left unchanged is not written
// back, so its line ends stay exactly as loaded.
class MultiLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
};

} // namespace sw

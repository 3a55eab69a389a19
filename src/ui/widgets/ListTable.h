#pragma once

#include <QPointer>
#include <QTableView>

class QAbstractButton;

namespace sw {

class RowTableModel;
struct ProgramValues;

// The table of the list dialogs, a view over the list's row model. The header row is the
// horizontal header and the row numbers are the vertical header's own (1, 2, 3...), so every row
// and column of the model is a data row or column. Rows and columns can be resized by dragging and
// a range of cells selected. Keys: arrows and Tab move (Tab past the last cell, Shift+Tab before
// the first and Ctrl+Tab anywhere leave the table), F2 or typing starts an edit, Escape cancels it,
// Delete empties the selected cells that can be edited as text, as one edit of the model, and
// Enter, when Opt_Jump_Field_Tables is on, goes to the next field (Grid_Enter_Key), also at the end
// of an edit. A double click on the header auto-sizes the column when Opt_Double_Click_Auto_Size
// is on (Grid_Auto_Size). The options are read when the event comes, so a change made in the
// options dialog applies at once. A text shown cut short or over several lines appears whole in a
// tooltip.
class ListTable : public QTableView
{
    Q_OBJECT
public:
    ListTable(RowTableModel *model, const ProgramValues &values, QWidget *parent = nullptr);

    RowTableModel *rowModel() const { return m_model; }
    int rowCount() const;
    int columnCount() const;
    // The current cell's row and column; -1 when there is none.
    int currentRow() const { return currentIndex().row(); }
    int currentColumn() const { return currentIndex().column(); }
    void setCurrentCell(int row, int column);

    // The text of the corner cell above the row numbers.
    void setCornerText(const QString &text);
    QString cornerText() const { return m_cornerText; }

    // Makes the cell current, scrolls it into view and gives the table the keyboard focus, so the
    // user sees the cell that a failed check is about.
    void focusCell(int row, int column);

    // Ends an edit in progress as leaving the cell does: the editor's text goes into the cell. Does
    // nothing when no cell is being edited.
    void finishEdit();

    // The cell's whole text when the cell shows it cut short or over several lines; empty when it
    // shows in full, and for check boxes.
    QString cellToolTip(int row, int column) const;

    // True when the cell shows a check box, held as text or as a state of its own.
    bool isCheckCell(int row, int column) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

protected Q_SLOTS:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void commitData(QWidget *editor) override;

private:
    void headerDoubleClicked(int column);
    void clearSelectedCells();
    // Whether `editor` was closed here already: the delegate's own close of an editor that Enter
    // ended comes later, through the event queue, and must neither write nor move again.
    bool closedAlready(QWidget *editor);

    RowTableModel *const m_model;
    const ProgramValues &m_values;
    QString m_cornerText;
    QAbstractButton *m_corner = nullptr;
    QList<QPointer<QWidget>> m_closedEditors;
};

} // namespace sw

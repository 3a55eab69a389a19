#pragma once

#include <QPointer>
#include <QTableWidget>

class QAbstractButton;

namespace sw {

struct ProgramValues;

// The table of the list dialogs. The header row is the horizontal header and the row numbers are
// the vertical header's own (1, 2, 3...), so every row and column of the QTableWidget is a data
// row or column (see TableOperations.h). Rows and columns can be resized by dragging and a range
// of cells selected. Keys: arrows and Tab move (Tab past the last cell, Shift+Tab before the first
// and Ctrl+Tab anywhere leave the table), F2 or typing starts an edit, Escape cancels it,
// Delete empties the selected cells that can be edited as text, and Enter, when
// Opt_Jump_Field_Tables is on, goes to the next field (Grid_Enter_Key), also at the end of an edit.
// A double click on the header auto-sizes the column when Opt_Double_Click_Auto_Size is on
// (Grid_Auto_Size). The options are read when the event comes, so a change made in the options
// dialog applies at once. A text shown cut short or over several lines appears whole in a tooltip.
class ListTable : public QTableWidget
{
    Q_OBJECT
public:
    ListTable(int rows, int columns, const ProgramValues &values, QWidget *parent = nullptr);

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

Q_SIGNALS:
    // Around the Delete key's emptying of the selected cells, so that a listener can take the
    // change of several cells as one.
    void cellsClearing();
    void cellsCleared();

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

    const ProgramValues &m_values;
    QString m_cornerText;
    QAbstractButton *m_corner = nullptr;
    QList<QPointer<QWidget>> m_closedEditors;
};

} // namespace sw

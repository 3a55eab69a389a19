#pragma once

#include "core/ProgramValues.h"
#include "ui/CatalogueDialog.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <span>

class QLabel;
class QPushButton;
class QStyledItemDelegate;
class QUndoStack;

namespace sw {

class ListTable;

// The catalogue entries of a list editor's frame and row operations.
struct ListEditorTexts
{
    int caption;
    int description;
    int ok, okHint;
    int cancel, cancelHint;
    int delRow, delRowHint;
    int insRow, insRowHint;
    int copyRow, copyRowHint;
    int pasteRow, pasteRowHint;
    int rowNumber; // the corner cell above the row numbers
    int deleteQuestion; // followed by the row number

    // The catalogue keeps each list editor's frame texts in one block from `caption`: the caption,
    // the description, the captions of OK, Cancel, Delete, Insert, Copy and Paste Row, then the
    // hints of those six buttons in the same order.
    static constexpr ListEditorTexts fromBlock(int caption, int rowNumber, int deleteQuestion)
    {
        return { caption, caption + 1, caption + 2, caption + 8, caption + 3, caption + 9, caption + 4, caption + 10,
            caption + 5, caption + 11, caption + 6, caption + 12, caption + 7, caption + 13, rowNumber,
            deleteQuestion };
    }
};

// What the two list editors share: a table of rows between the title panel and a button band with
// OK, Cancel, Delete Row, Insert Row, Copy Row and Paste Row. Every showing reloads the document
// (the default rows when it is missing or cannot be read) and forgets a row copied before; OK
// validates with Controllo_dati and rewrites the document whole; Cancel discards.
//
// A derived editor builds its table, hands it to layOutList and supplies what differs: its
// column texts, how its rows are shown, read and stored, its rules, and its finding marks.
// Marks are refreshed one way: after every change of a cell's text or check box, and once after
// a row operation or a load, however many cells these touch.
//
// Every change of cells is one step that Ctrl+Z undoes and Ctrl+Shift+Z or Ctrl+Y redoes: a cell
// edit, a row operation, the Delete key on a selection, an import. A step restores the cells'
// texts and check boxes exactly, and the marks follow. Each showing starts with no steps; the
// list counts as changed while the steps lead away from the rows as shown.
class ListEditor : public CatalogueDialog
{
    Q_OBJECT
public:
    ~ListEditor() override;

    // The captions and hints of the frame, the table headers and hints, the corner text; then the
    // marks again, whose texts are in the user's language too.
    void Set_Lang() override;

    // Cancel, Escape and the close box ask before they discard changes made since the showing;
    // on No the dialog stays open with the changes.
    void reject() override;

protected:
    // How the table keeps its check boxes, which chooses the row operations of TableOperations.h.
    enum class CheckBoxes {
        AsText, // "Y"/"N" cell text: Delete_Row ... Paste_Row
        AsState, // a check box of the cell's own: Delete_Row_Check ... Paste_Row_Check
    };

    // The header text and hint of one data column.
    struct ColumnText
    {
        int header;
        int hint;
    };

    ListEditor(ProgramValues &values, Services &services, CheckBoxes checkBoxes, QWidget *parent = nullptr);

    // The texts of an editor's column table, whose rows carry `header` and `hint` entries.
    template <class Column> static QList<ColumnText> columnTexts(std::span<const Column> columns)
    {
        QList<ColumnText> texts;
        for (const Column &column : columns)
            texts.append({ column.header, column.hint });
        return texts;
    }

    // A column's cell editor, made for the table it is set on.
    using MakeEditor = QStyledItemDelegate *(*)(QObject *parent);
    template <class Delegate> static QStyledItemDelegate *cellEditor(QObject *parent) { return new Delegate(parent); }

    // Creates the editor's table with `rows` rows and one column per entry of `columns`, whose rows
    // carry a `width` and an `editor` (MakeEditor): the row numbers 40 wide, rows `rowHeight`
    // high, a header item for each column and an empty item in every cell.
    template <class Column>
    ListTable *makeTable(const char *name, int rows, std::span<const Column> columns, int rowHeight)
    {
        ListTable *table = newTable(name, rows, int(columns.size()), rowHeight);
        for (int c = 0; c < int(columns.size()); ++c)
            setColumn(table, c, columns[size_t(c)].width, columns[size_t(c)].editor(table));
        return table;
    }

    // Lays the dialog out around `table` and connects the buttons. `selectFirstCell`: each showing
    // selects the first cell, rather than only making it current (which keeps its colour in view).
    void layOutList(
        ListTable *table, const ListEditorTexts &texts, const QList<ColumnText> &columns, bool selectFirstCell);

    // Default rows, then the document; clears Do_Copy.
    void FormShow() override;
    void changeEvent(QEvent *event) override;
    // Widens the columns whose caption does not fit.
    void fitColumnsToHeaders();
    // Every list is accepted unless the editor has rules.
    virtual bool Controllo_dati() { return true; }

    // The 0-based row whose blank key cell ends the list while a row below it holds something,
    // which a save would drop; -1 when there is none.
    virtual int blankRowAboveData() const = 0;
    // Whether the table row holds anything besides its Enable check.
    virtual bool rowInUse(int row) const = 0;
    // Whether the steps taken since the showing lead to other rows than those shown then.
    bool changedSinceShowing() const;

    // Shows the default rows in every table row.
    virtual void showDefaultRows() = 0;
    // Shows the document's rows, default rows below them. Throws when it cannot be read.
    virtual void showDocumentRows() = 0;
    // Writes the rows the list holds to the document. Throws when it cannot be written.
    virtual void storeDocument() = 0;
    // Marks the findings that concern table rows first to last (0-based, inclusive).
    virtual void refreshMarks(int firstRow, int lastRow) = 0;

    // Runs `change` on the table, then refreshes the marks of every row once; what it changed is
    // one step.
    void changeRows(const std::function<void()> &change);

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_DelRow = nullptr;
    QPushButton *Btn_InsRow = nullptr;
    QPushButton *Btn_CopyRow = nullptr;
    QPushButton *Btn_PasteRow = nullptr;

    // The header hints of the data columns, in column order.
    QStringList Hint_List;
    // A row was copied with Copy Row during this showing.
    bool Do_Copy = false;

private:
    // What a step restores of one cell.
    struct CellState
    {
        QString text;
        QVariant check; // Qt::CheckStateRole; invalid for a cell without a check box
        friend bool operator==(const CellState &, const CellState &) = default;
    };
    struct CellChange
    {
        int row;
        int column;
        CellState before;
        CellState after;
    };
    class CellStep;

    ListTable *newTable(const char *name, int rows, int columns, int rowHeight);
    static void setColumn(ListTable *table, int column, int width, QStyledItemDelegate *editor);
    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();
    void refreshAllMarks();

    CellState cellState(int row, int column) const;
    // Takes the cells as they are now as the state that the next step starts from.
    void takeCells();
    // Makes the cells that differ from the state taken last one step.
    void takeStep();
    // Puts the cells of one step back as they were before it (or after it, for a redo).
    void restoreCells(const QList<CellChange> &changes, bool after);
    // An edit in progress ends before a step is undone or redone, as a step of its own.
    void undoStep();
    void redoStep();

    const CheckBoxes m_checkBoxes;
    ListTable *m_table = nullptr;
    ListEditorTexts m_texts {};
    QList<ColumnText> m_columns;
    bool m_selectFirstCell = false;
    // Set while a row operation, a load or the marking itself changes cells.
    bool m_holdMarks = false;
    QUndoStack *m_history = nullptr;
    // Every cell as the last step left it, row by row.
    QList<CellState> m_cells;
    // Set while a step is undone or redone: the cells it changes are no new step.
    bool m_restoring = false;
};

// A list document as its editor sees it: the program value that holds its path, how it is read
// and written, and which of the table's rows it stores.
template <class Row> struct ListDocumentAccess
{
    QString ProgramValues::*path;
    QList<Row> (*read)(const QString &path);
    void (*write)(const QString &path, const QList<Row> &rows);
    QList<Row> (*storedRows)(const QList<Row> &tableRows);
};

// Whether a row holds anything besides its Enable check: an enabled or disabled empty row is the
// row a load shows below the document's rows.
template <class Row> bool holdsData(Row row)
{
    row.Enable = Row {}.Enable;
    return !(row == Row {});
}

// A list editor whose table shows rows of type Row: the editor says how a row is shown and read
// back; loading and storing go through the document.
template <class Row> class ListEditorOf : public ListEditor
{
protected:
    ListEditorOf(ProgramValues &values, Services &services, CheckBoxes checkBoxes, ListDocumentAccess<Row> document,
        QWidget *parent)
        : ListEditor(values, services, checkBoxes, parent)
        , m_document(document)
    {
    }

    // Fills every table row: `rows` from the top, default rows below them.
    virtual void showRows(const QList<Row> &rows) = 0;
    // Every table row, as the table holds it.
    virtual QList<Row> tableRows() const = 0;

    void showDefaultRows() final { showRows({}); }
    void showDocumentRows() final { showRows(m_document.read(pv.*m_document.path)); }
    void storeDocument() final { m_document.write(pv.*m_document.path, m_document.storedRows(tableRows())); }

    int blankRowAboveData() const final
    {
        const QList<Row> rows = tableRows();
        const qsizetype end = m_document.storedRows(rows).size();
        for (qsizetype r = end + 1; r < rows.size(); ++r) {
            if (holdsData(rows[r]))
                return int(end);
        }
        return -1;
    }
    bool rowInUse(int row) const final { return holdsData(tableRows().value(row)); }

private:
    const ListDocumentAccess<Row> m_document;
};

} // namespace sw

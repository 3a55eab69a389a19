#pragma once

#include "core/ProgramValues.h"
#include "core/models/RowModel.h"
#include "core/models/RowOperations.h"
#include "ui/CatalogueDialog.h"
#include "ui/documents/RowsStep.h"

#include <QList>
#include <QStringList>
#include <QUndoStack>
#include <span>

class QLabel;
class QPushButton;
class QStyledItemDelegate;

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
// The rows live in a row model (core/models) that the table shows; a derived editor builds its
// table over that model, hands it to layOutList and supplies what differs: its column texts, how
// its rows are read and stored, its rules, and its finding marks. Marks are refreshed one way:
// after every change of the rows, once for the rows it touches.
//
// Every change of the rows is one step that Ctrl+Z undoes and Ctrl+Shift+Z or Ctrl+Y redoes: a
// cell edit, a row operation, the Delete key on a selection, an import. A step keeps the rows it
// changed as they were before and after it, and restores them exactly; the marks follow. Each
// showing starts with no steps; the list counts as changed while the steps lead away from the rows
// as shown.
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
    // How the table keeps its check boxes, which chooses the family of row operations
    // (core/models/RowOperations.h).
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

    // Creates the editor's table over `model`, whose columns are those of `columns`, whose rows
    // carry a `width` and an `editor` (MakeEditor): the row numbers 40 wide, rows `rowHeight` high.
    template <class Column>
    ListTable *makeTable(const char *name, RowTableModel *model, std::span<const Column> columns, int rowHeight)
    {
        ListTable *table = newTable(name, model, rowHeight);
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

    // The row operations of the buttons on `row`, each one step named `step`.
    virtual void deleteRow(int row, const QString &step) = 0;
    virtual void insertRow(int row, const QString &step) = 0;
    virtual void copyRow(int row) = 0;
    virtual void pasteRow(int row, const QString &step) = 0;
    // Says why a paste cannot go ahead, or asks before a paste over a row in use; true when the
    // paste goes ahead.
    bool mayPaste(PasteCheck check);

    // The name of a step that edits cells of these columns: their captions.
    QString editStepName(const QList<int> &columns) const;

    ListTable *listTable() const { return m_table; }
    QUndoStack *history() const { return m_history; }

    // How the table keeps its check boxes: the family of row operations.
    const CheckBoxes m_checkBoxes;

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
    ListTable *newTable(const char *name, RowTableModel *model, int rowHeight);
    static void setColumn(ListTable *table, int column, int width, QStyledItemDelegate *editor);
    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();
    void refreshAllMarks();
    // An edit in progress ends before a step is undone or redone, as a step of its own.
    void undoStep();
    void redoStep();

    ListTable *m_table = nullptr;
    ListEditorTexts m_texts {};
    QList<ColumnText> m_columns;
    bool m_selectFirstCell = false;
    QUndoStack *m_history = nullptr;
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

// A list editor whose rows are of type Row, held by its row model: loading and storing go through
// the document, the row operations through core/models/RowOperations.h, and every change of rows
// through replaceRows, one step each.
template <class Row> class ListEditorOf : public ListEditor
{
public:
    // Puts `rows` in place of the rows from `first` down, as many as the list holds, as one step
    // that Ctrl+Z undoes, named `name`. Rows that stay as they were are left out of the step, and a
    // change that changes nothing is no step.
    void replaceRows(int first, const QList<Row> &rows, const QString &name) { pushStep(first, rows, name, -1); }

    // Every row of the list, as the table shows it.
    const QList<Row> &rows() const { return m_model->rows(); }

protected:
    ListEditorOf(ProgramValues &values, Services &services, CheckBoxes checkBoxes, ListDocumentAccess<Row> document,
        std::span<const RowColumn<Row>> columns, int capacity, QWidget *parent)
        : ListEditor(values, services, checkBoxes, parent)
        , m_document(document)
        , m_model(new RowModel<Row>(columns, capacity, this))
    {
        m_model->setEditHandler([this](const QList<CellEdit> &edits) { editCells(edits); });
    }

    RowModel<Row> *rowModel() const { return m_model; }

    void showDefaultRows() final { m_model->setRows({}); }
    void showDocumentRows() final { m_model->setRows(m_document.read(pv.*m_document.path)); }
    void storeDocument() final { m_document.write(pv.*m_document.path, m_document.storedRows(rows())); }

    int blankRowAboveData() const final
    {
        const QList<Row> &all = rows();
        const qsizetype end = m_document.storedRows(all).size();
        for (qsizetype r = end + 1; r < all.size(); ++r) {
            if (holdsData(all[r]))
                return int(end);
        }
        return -1;
    }
    bool rowInUse(int row) const final { return holdsData(m_model->row(row)); }

    void deleteRow(int row, const QString &step) final
    {
        replaceRows(0,
            m_checkBoxes == CheckBoxes::AsText ? Delete_Row(row, *m_model) : Delete_Row_Check(row, *m_model, true),
            step);
    }
    void insertRow(int row, const QString &step) final
    {
        replaceRows(0,
            m_checkBoxes == CheckBoxes::AsText ? Insert_Row(row, *m_model, true)
                                               : Insert_Row_Check(row, *m_model, true),
            step);
    }
    void copyRow(int row) final
    {
        if (m_checkBoxes == CheckBoxes::AsText) {
            pv.Row_Copy_List = Copy_Row(*m_model, row);
            return;
        }
        RowCopy copy = Copy_Row_Check(*m_model, row);
        pv.Row_Copy_List = std::move(copy.texts);
        pv.Row_Copy_Is_Check = std::move(copy.isCheck);
    }
    void pasteRow(int row, const QString &step) final
    {
        const PastedRow<Row> paste = m_checkBoxes == CheckBoxes::AsText
            ? Paste_Row(*m_model, row, Do_Copy, pv.Row_Copy_List)
            : Paste_Row_Check(*m_model, row, Do_Copy, RowCopy { pv.Row_Copy_List, pv.Row_Copy_Is_Check });
        if (mayPaste(paste.check))
            replaceRows(row, { paste.row }, step);
    }

private:
    // Edits made in the table (typed, toggled, emptied by Delete) become one step; an edit of one
    // cell merges with an edit of the same cell just before it.
    void editCells(const QList<CellEdit> &edits)
    {
        int first = edits.first().row;
        int last = first;
        QList<int> columns;
        for (const CellEdit &edit : edits) {
            first = std::min(first, edit.row);
            last = std::max(last, edit.row);
            if (!columns.contains(edit.column))
                columns.append(edit.column);
        }
        pushStep(first, m_model->withCells(first, last, edits), editStepName(columns),
            edits.size() == 1 ? edits.first().column : -1);
    }

    void pushStep(int first, QList<Row> after, const QString &name, int column)
    {
        if (first < 0 || first >= m_model->rowCount())
            return;
        QList<Row> before = rows().mid(first, after.size());
        after.resize(before.size());
        // Only the rows that change are kept.
        while (!after.isEmpty() && after.first() == before.first()) {
            after.removeFirst();
            before.removeFirst();
            ++first;
        }
        while (!after.isEmpty() && after.last() == before.last()) {
            after.removeLast();
            before.removeLast();
        }
        if (after.isEmpty())
            return;
        history()->push(new RowsStep<Row>(m_model, listTable(), first, before, after, name, column));
    }

    const ListDocumentAccess<Row> m_document;
    RowModel<Row> *const m_model;
};

} // namespace sw

#pragma once

#include "core/checks/VariablesRules.h"
#include "core/documents/VariablesDocument.h"
#include "ui/CatalogueDialog.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>
#include <span>
#include <utility>

class QAction;
class QKeySequence;
class QLabel;
class QPushButton;

namespace sw {

class ListTable;

// Step 3, "IEC61850 Access": edits the active configuration's IEC61850_Variables.xml in the table
// ACG, one variable per row, at most 50. Created once at start-up; every showing reloads the file
// (50 default rows when it is missing or not well-formed), OK validates the list and rewrites the
// file whole, Cancel discards. The list ends at the first row whose Name is blank: rows below it
// are neither validated nor stored.
//
// One table of columns (columns() in UIEC61850_Variables.cpp) gives every column's header, hint,
// cell editor, choices, width and the field of VariableRow it shows; creation, Set_Lang, loading
// and storing all walk that table.
//
// The table's context menu and the window's keys Ctrl+E and Ctrl+I export the rows on show to a
// CSV point list and import one into the table (written only on OK). While the user edits, the
// cells that the configuration check finds fault with (overlapping byte ranges, names used twice
// or not fit for IEC 61850) are marked, with the findings in their tooltips.
class TFIEC61850_Variables final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFIEC61850_Variables(ProgramValues &values, Services &services, QWidget *parent = nullptr);
    ~TFIEC61850_Variables() override;

    void Set_Lang() override;

private:
    struct Column;
    static std::span<const Column> columns();

    void FormCreate();
    // Default rows, then the document; clears Do_Copy.
    void FormShow() override;
    // Gathers the rows and shows the first failure that core finds, with its cell focused; true
    // when the list is valid.
    bool Controllo_dati();
    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();

    // Fills all 50 rows: `rows` from the top, default rows below them.
    void showRows(const QList<VariableRow> &rows);
    // The 50 rows as the table holds them.
    QList<VariableRow> tableRows() const;
    QPushButton *addRowButton(const char *name);
    QAction *addTableAction(const char *name, const QKeySequence &keys, void (TFIEC61850_Variables::*handler)());

    // Writes the rows on show to a point list that the user chooses.
    void exportCsv();
    // Replaces the table by a point list that the user chooses, when every row of it is valid.
    void importCsv();
    // Where the file choosers start: the configuration's folder.
    QString configurationFolder() const;

    // Runs `change` on the table, then marks the findings once instead of after every cell.
    void changeRows(const std::function<void()> &change);
    // Marks the cells that checkVariables finds fault with, and clears the marks that no longer
    // apply.
    void markFindings();

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    ListTable *ACG = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_DelRow = nullptr;
    QPushButton *Btn_InsRow = nullptr;
    QPushButton *Btn_CopyRow = nullptr;
    QPushButton *Btn_PasteRow = nullptr;
    QAction *m_exportCsv = nullptr;
    QAction *m_importCsv = nullptr;

    // Hints of table columns 1 to 12, shown over their headers.
    QStringList Hint_List;
    // A row was copied with Copy Row during this showing.
    bool Do_Copy = false;
    // Positions of the internal data array that a variable may take.
    int NByte_IN = InternalDataBytes;

    // What a marked cell shows: the findings' texts, and whether one of them is an error.
    struct CellMark
    {
        bool error = false;
        QStringList texts;
        friend bool operator==(const CellMark &, const CellMark &) = default;
    };
    // The marked cells, by (row, column).
    QMap<std::pair<int, int>, CellMark> m_marks;
    // Set while changeRows runs.
    bool m_holdMarks = false;
};

} // namespace sw

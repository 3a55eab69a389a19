#pragma once

#include "core/documents/VariablesDocument.h"
#include "core/documents/VariablesRules.h"
#include "core/models/ListColumns.h"
#include "ui/documents/ListEditor.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <span>
#include <utility>

class QAction;
class QKeySequence;

namespace sw {

// Step 3, "IEC61850 Access": edits the active configuration's IEC61850_Variables.xml in the table
// ACG, one variable per row, at most 50. OK validates the list and rewrites the file whole. The
// list ends at the first row whose Name is blank: rows below it are neither validated nor stored.
//
// The rows are those of a VariableModel, whose columns (VariableColumns) say which field of
// VariableRow each column shows; one table of columns (columns() in UIEC61850_Variables.cpp) gives,
// in the same order, every column's header, hint, cell editor, choices and width.
//
// The table's context menu and the window's keys Ctrl+E and Ctrl+I export the rows on show to a
// CSV point list and import one into the table (written only on OK). While the user edits, the
// cells that the configuration check finds fault with (overlapping byte ranges, names used twice
// or not fit for IEC 61850) are marked, with the findings in their tooltips.
class TFIEC61850_Variables final : public ListEditorOf<VariableRow>
{
    Q_OBJECT
public:
    TFIEC61850_Variables(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    void Set_Lang() override;

private:
    struct Column;
    static std::span<const Column> columns();

    void FormCreate();
    void FormShow() override;
    // Gathers the rows and shows the first failure that core finds, with its cell focused; true
    // when the list is valid.
    bool Controllo_dati() override;
    // Marks the cells that checkVariables finds fault with, and clears the marks that no longer
    // apply. The check looks at the whole list, whichever rows changed.
    void refreshMarks(int firstRow, int lastRow) override;

    QAction *addTableAction(const char *name, const QKeySequence &keys, void (TFIEC61850_Variables::*handler)());

    // Writes the rows on show to a point list that the user chooses.
    void exportCsv();
    // Replaces the table by a point list that the user chooses, when every row of it is valid.
    void importCsv();
    // Where the file choosers start: the configuration's folder.
    QString configurationFolder() const;

    ListTable *ACG = nullptr;
    QAction *m_exportCsv = nullptr;
    QAction *m_importCsv = nullptr;

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
};

} // namespace sw

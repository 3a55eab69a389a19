#pragma once

#include "core/VariablesDocument.h"
#include "core/VariablesRules.h"
#include "ui/CatalogueDialog.h"

#include <QList>
#include <QStringList>
#include <span>

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
class TFIEC61850_Variables final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFIEC61850_Variables(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    void Set_Lang() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Column;
    static std::span<const Column> columns();

    void FormCreate();
    // Default rows, then the document; clears Do_Copy.
    void FormShow();
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

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    ListTable *ACG = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_DelRow = nullptr;
    QPushButton *Btn_InsRow = nullptr;
    QPushButton *Btn_CopyRow = nullptr;
    QPushButton *Btn_PasteRow = nullptr;

    // Hints of table columns 1 to 12, shown over their headers.
    QStringList Hint_List;
    // A row was copied with Copy Row during this showing.
    bool Do_Copy = false;
    // Positions of the internal data array that a variable may take.
    int NByte_IN = InternalDataBytes;
};

} // namespace sw

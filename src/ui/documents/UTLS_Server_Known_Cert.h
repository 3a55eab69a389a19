#pragma once

#include "ui/CatalogueDialog.h"

#include <QList>
#include <QStringList>
#include <span>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace sw {

class ListTable;
struct KnownCertRow;

// Step 4, "TLS Known Certificates": edits the active configuration's TLS_Known_Cert.xml, the
// client certificates that the device's TLS server accepts, in a table of ten rows (Enable check
// box, Certificate, Mnemonic). Created once at start-up; every showing reloads the file and
// forgets a row copied before; OK writes the rows down to the first blank Certificate; Cancel
// discards.
//
// One table of columns (columns() in the .cpp) names each column's header, hint, cell editor,
// width, colour and the row field it shows; creation, Set_Lang, loading and storing all walk it.
class TFTLS_Server_Known_Cert final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFTLS_Server_Known_Cert(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    void Set_Lang() override;

private:
    struct Column;
    static std::span<const Column> columns();

    void FormCreate();
    void Init_Table();
    // Default rows, then the document when there is one; clears Do_Copy.
    void FormShow() override;
    // Every list is accepted: any text is a certificate as far as this configurator knows.
    bool Controllo_dati();
    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();

    // Describes the row's certificate in the cell's tooltip and, in an enabled row, marks a cell
    // whose certificate cannot be read, is expired or not yet valid (red) or ends soon (amber)
    // with a tint and a sign. Runs on load, on each change of a row and after row operations.
    void showCertificateState(int row);
    void showCertificateStates();
    void showRows(const QList<KnownCertRow> &rows);
    QList<KnownCertRow> tableRows() const;

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    ListTable *ASG = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_DelRow = nullptr;
    QPushButton *Btn_InsRow = nullptr;
    QPushButton *Btn_CopyRow = nullptr;
    QPushButton *Btn_PasteRow = nullptr;

    // The header hints of the three columns, in column order.
    QStringList Hint_List;
    // A row was copied with Btn_CopyRow during this showing.
    bool Do_Copy = false;
    // Set while the dialog itself writes a cell's tooltip and colours.
    bool m_marking = false;
};

} // namespace sw

#pragma once

#include "core/documents/KnownCertDocument.h"
#include "core/models/ListColumns.h"
#include "ui/documents/ListEditor.h"

#include <QList>
#include <span>

namespace sw {

// Step 4, "TLS Known Certificates": edits the active configuration's TLS_Known_Cert.xml, the
// client certificates that the device's TLS server accepts, in a table of ten rows (Enable check
// box, Certificate, Mnemonic). OK writes the rows down to the first blank Certificate; every list
// is accepted, since any text is a certificate as far as this configurator knows.
//
// The rows are those of a KnownCertModel (columns KnownCertColumns); one table of columns
// (columns() in the .cpp) names, in the same order, each column's header, hint, cell editor, width,
// colour and alignment.
class TFTLS_Server_Known_Cert final : public ListEditorOf<KnownCertRow>
{
    Q_OBJECT
public:
    TFTLS_Server_Known_Cert(ProgramValues &values, Services &services, QWidget *parent = nullptr);

private:
    struct Column;
    static std::span<const Column> columns();

    void FormCreate();
    void Init_Table();
    // Describes each row's certificate in the cell's tooltip and, in an enabled row, marks a cell
    // whose certificate cannot be read, is expired or not yet valid (red) or ends soon (amber)
    // with a tint and a sign.
    void refreshMarks(int firstRow, int lastRow) override;

    ListTable *ASG = nullptr;
};

} // namespace sw

#include "ui/CatalogueDialog.h"

namespace sw {

CatalogueDialog::CatalogueDialog(ProgramValues &values, Services &svc, QWidget *parent)
    : QDialog(parent), pv(values), services(svc)
{
    // Only the close box in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

} // namespace sw

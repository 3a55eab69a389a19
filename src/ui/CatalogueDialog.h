#pragma once

#include <QDialog>

namespace sw {

struct ProgramValues;
struct Services;

// A dialog created once at start-up that takes its texts from the message catalogue.
// Set_Lang copies the dialog's catalogue entries into its captions, hints and headers; it runs
// at creation and at every language change.
class CatalogueDialog : public QDialog
{
    Q_OBJECT
public:
    CatalogueDialog(ProgramValues &values, Services &services, QWidget *parent = nullptr);
    virtual void Set_Lang() = 0;

protected:
    ProgramValues &pv;
    Services &services;
};

} // namespace sw

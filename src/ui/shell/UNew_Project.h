#pragma once

#include "ui/CatalogueDialog.h"

class QLabel;
class QLineEdit;

namespace sw {

// Step 1, new configuration: creates the folder PROJECTS/<name> with its "bin" folder and makes it
// the active configuration. Accepted only once the folder exists.
class TFNew_Project final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFNew_Project(ProgramValues &values, Services &services, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Runs the checks and the creation; closes the dialog with OK only when it succeeded.
    // Enter in E_New_Proj runs it too.
    void Btn_OKClick();

    QLabel *Label1 = nullptr;
    QLineEdit *E_New_Proj = nullptr;
};

} // namespace sw

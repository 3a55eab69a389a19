#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace sw {

// The header panel of the configuration dialogs: `P_Title` with the software code `L_SW_Code`
// over the dialog's description `L_SW_Desc`. The labels are returned through `code` and `desc`.
QWidget *makeTitlePanel(QWidget *parent, QLabel *&code, QLabel *&desc);

// The button band at the bottom of a dialog: `P_Button` with the confirming button `okName` and
// `Btn_Cancel` at its right, and with `status` a status line `L_Status` above them. The buttons are
// returned through `ok` and `cancel`; neither is a default button, and Enter presses whichever of
// them has the focus.
QWidget *makeButtonPanel(QWidget *parent, QPushButton *&ok, QPushButton *&cancel, QLabel **status = nullptr,
    const QString &okName = QStringLiteral("Btn_OK"));

} // namespace sw

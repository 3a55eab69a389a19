#pragma once

class QLabel;
class QWidget;

namespace sw {

// The header panel of the configuration dialogs: `P_Title` with the software code `L_SW_Code`
// over the dialog's description `L_SW_Desc`. The labels are returned through `code` and `desc`.
QWidget *makeTitlePanel(QWidget *parent, QLabel *&code, QLabel *&desc);

} // namespace sw

#pragma once

#include "ui/CatalogueDialog.h"

#include <array>
#include <chrono>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sw {

class EchoError;
class InputGate;
struct StartResult;

// Step 5, the device update: the user gives the device's IP address and what to update; the
// update button checks with ICMP echo requests that the device answers, remembers the address and
// choices, writes Ethernet_Update.xml and runs the external updater, waiting at most 150 s for it;
// the status line then says how the updater ended. The dialog stays open afterwards; Cancel closes
// it. While the check or the updater runs, no window of the program takes input, and none given
// meanwhile is acted on later. Created once at start-up; its texts are applied at every showing.
class TFBoot final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFBoot(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    void Set_Lang() override;
    // The mode of the dialog; the main window sets 1, the update over Ethernet, before each showing.
    void setFormType(int type) { Form_Type = type; }
    int formType() const { return Form_Type; }

public Q_SLOTS:
    // Ignored while a check or the updater runs, so the dialog cannot close under them.
    void reject() override;

private:
    void FormCreate();
    // Texts, layout, the last address and the last choices.
    void FormShow() override;
    void Btn_UpdateClick();
    // Sends echo requests to the address in the boxes until two are answered or 5000 ms have
    // passed; true when the last one was answered. Throws when a request cannot be sent.
    bool Send_Ping();
    void PingReply(bool carriedData);
    // The catalogue's text for why an echo request could not be sent, with the detail inside.
    QString echoFailureText(const EchoError &e) const;
    // The catalogue's text for why the updater could not be started.
    QString startFailureText(const StartResult &start) const;
    // The status line's text for how the updater ended, or that it still runs.
    QString endText(const StartResult &start) const;
    // Writes Ethernet_Update.xml beside the program from the boxes and the choices.
    void Compile_XML_Parameter_New_Boot();

    // The four box texts joined with ".", exactly as typed.
    QString addressText() const;
    // Busy: no input to any window, the wait cursor and the buttons disabled; idle again: all
    // undone and the status line cleared.
    void setBusy(bool busy);
    // The status line: entry `lead` (what is awaited), then `progress`.
    void showStatus(int lead, const QString &progress);

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QWidget *P_IP_Address = nullptr;
    QWidget *P_Options = nullptr;
    QLabel *L_IP_Address = nullptr;
    std::array<QLineEdit *, 4> E_IP {}; // E_IP1 .. E_IP4
    QLabel *L_Update_Option = nullptr;
    QComboBox *CB_Update_Options = nullptr;
    QCheckBox *CB_Update_Option_Read_Back = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_Update = nullptr;
    QLabel *L_Status = nullptr;

    // Result of the last echo: 0 none yet, 1 the reply carried data, 2 no reply or an empty one.
    int ping_res = 0;
    int Form_Type = 0;
    bool m_busy = false;
    InputGate *m_inputGate = nullptr;
};

} // namespace sw

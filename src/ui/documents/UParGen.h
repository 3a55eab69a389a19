#pragma once

#include "ui/CatalogueDialog.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QWheelEvent;

namespace sw {

class CollapsibleSection;
struct ParGenValues;

// Step 2, "Set Communication": edits the active configuration's ParGen.xml in four numbered,
// collapsible sections (IEC 61850 server, TLS server, Modbus slave, Ethernet). Created once at
// start-up; every opening reloads the file, OK validates and rewrites it whole, Cancel discards
// after a confirmation when something was changed. The close box discards without a question.
class TFParGen final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFParGen(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    void Set_Lang() override;

    // Loads ParGen.xml into the controls (defaults when it is missing or not well-formed).
    void FormShow();
    // Shows the sections, stacks and numbers them and gives them their tab order. The captions
    // are composed here only, so they keep the language that was in force at start-up.
    void Order_TAB_Panels();
    // Fits every section to its visible rows: the TLS rows follow "Enable TLS"; the DNS and port
    // rows of the Ethernet section are always hidden.
    void Move_GroupBoxs();
    // The checks of the entries, in order; the first that fails shows its message and gives false.
    bool Controllo_Dati();

    void Btn_OKClick();
    void Btn_CancelClick();

    // Set by any edit of a field or click on a check box; cleared when a load succeeded.
    bool Is_Change = false;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void On_Change();
    void On_Click(QCheckBox *sender);
    bool KeyPress(QLineEdit *box, QKeyEvent *event);
    bool FormMouseWheel(QWheelEvent *event);
    void RePosition_Object_IEC61850_Server();
    void RePosition_Object_TLS_Server();
    void RePosition_Object_Modbus_Slave();
    void RePosition_Object_Ethernet();

    void showValues(const ParGenValues &values);
    ParGenValues currentValues() const;

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QScrollArea *CPG = nullptr;
    CollapsibleSection *CP_IEC61850_Server = nullptr;
    CollapsibleSection *CP_TLS_Server = nullptr;
    CollapsibleSection *CP_Modbus_Slave = nullptr;
    CollapsibleSection *CP_Ethernet = nullptr;

    QLabel *L_IEC61850_Server_Port = nullptr;
    QLineEdit *E_IEC61850_Server_Port = nullptr;
    QLabel *L_IEC61850_Server_Password = nullptr;
    QLineEdit *E_IEC61850_Server_Password = nullptr;

    QCheckBox *CB_TLS_Server_Enable = nullptr;
    QLabel *L_TLS_Server_Key = nullptr;
    QPlainTextEdit *E_TLS_Server_Key = nullptr;
    QLabel *L_TLS_Server_Key_Pass = nullptr;
    QLineEdit *E_TLS_Server_Key_Pass = nullptr;
    QLabel *L_TLS_Server_Server_Cert = nullptr;
    QPlainTextEdit *E_TLS_Server_Server_Cert = nullptr;
    QLabel *L_TLS_Server_Root_Cert = nullptr;
    QPlainTextEdit *E_TLS_Server_Root_Cert = nullptr;
    QCheckBox *CB_TLS_Server_En_Known_Cert = nullptr;

    QLabel *L_ModbusSlave_Serial = nullptr;
    QComboBox *CB_ModbusSlave_Serial = nullptr;
    QLabel *L_ModbusSlave_Baudrate = nullptr;
    QComboBox *CB_ModbusSlave_Baudrate = nullptr;
    QLabel *L_ModbusSlave_Parity = nullptr;
    QComboBox *CB_ModbusSlave_Parity = nullptr;
    QLabel *L_ModbusSlave_StopBits = nullptr;
    QComboBox *CB_ModbusSlave_StopBits = nullptr;
    QLabel *L_ModbusSlave_IDDevice = nullptr;
    QLineEdit *E_ModbusSlave_IDDevice = nullptr;
    QCheckBox *CB_ModbusSlave_ReadInput = nullptr;

    QLabel *L_Ethernet_IP = nullptr;
    std::array<QLineEdit *, 4> E_Ethernet_IP {};
    QLabel *L_Ethernet_SM = nullptr;
    std::array<QLineEdit *, 4> E_Ethernet_SM {};
    QCheckBox *CB_Ethernet_En_GAT = nullptr;
    std::array<QLineEdit *, 4> E_Ethernet_GAT {};
    QCheckBox *CB_Ethernet_DNS = nullptr;
    std::array<QLineEdit *, 4> E_Ethernet_DNS {};
    std::array<QLabel *, 3> L_Ethernet_DNS_Dot {};
    QLabel *L_Ethernet_TCP_Port = nullptr;
    QLineEdit *E_Ethernet_TCP_Port = nullptr;
    QLabel *L_Ethernet_UDP_Port = nullptr;
    QLineEdit *E_Ethernet_UDP_Port = nullptr;

    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;

    // IP 1..4, mask 1..4, gateway 1..4, DNS 1..4: where "." moves the focus.
    std::array<QLineEdit *, 16> addressChain {};
};

} // namespace sw

#pragma once

#include "ui/CatalogueDialog.h"

#include <QString>
#include <array>
#include <map>
#include <span>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTimer;
class QUndoStack;
class QVariant;
class QWheelEvent;

namespace sw {

class AddressEdit;

class CollapsibleSection;
class LatestResult;
struct TlsInspection;
struct ParGenValues;

// Step 2, "Set Communication": edits the active configuration's ParGen.xml in four numbered,
// collapsible sections (IEC 61850 server, TLS server, Modbus slave, Ethernet). Created once at
// start-up; every opening reloads the file, OK validates and rewrites it whole, Cancel discards
// after a confirmation when something was changed. The close box discards without a question.
//
// Every change of a field is one step that Ctrl+Z undoes and Ctrl+Shift+Z or Ctrl+Y redoes, in
// whichever field the keyboard is: typing into one box is one step until another field is taken.
// Each opening starts with no steps.
//
// One table of fields (fields() in UParGen.cpp) names every field's control, label, catalogue
// texts, kind, section and value; creation, Set_Lang, loading and storing all walk that table.
class TFParGen final : public CatalogueDialog
{
    Q_OBJECT
public:
    TFParGen(ProgramValues &values, Services &services, QWidget *parent = nullptr);

    void Set_Lang() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Field;
    static std::span<const Field> fields();

    void FormCreate();
    // Loads ParGen.xml into the controls (defaults when it is missing or not well-formed).
    void FormShow() override;
    // Shows the sections, stacks and numbers them and gives them their tab order.
    void Order_TAB_Panels();
    // "1. " and the section's catalogue text on each section, in its display order; Set_Lang
    // composes them again, so they follow the language on screen as every other caption does.
    void captionSections();
    // Fits every section to its visible rows: the TLS rows follow "Enable TLS"; the DNS and port
    // rows of the Ethernet section are always hidden.
    void Move_GroupBoxs();
    void RePosition_Object_IEC61850_Server();
    void RePosition_Object_TLS_Server();
    void RePosition_Object_Modbus_Slave();
    void RePosition_Object_Ethernet();
    // Gathers the entries and shows the message of the first check that fails; true when all pass.
    bool Controllo_Dati();
    void Btn_OKClick();
    void Btn_CancelClick();
    // Makes the field's new value a step, or part of the step of the typing under way in it.
    void On_Change(QWidget *control);
    // Reads the key and certificate boxes and shows what they hold in their tooltips (after each
    // box's hint), with a red frame around a box in error and an amber one around a certificate
    // that ends soon. Never asks anything. Runs on load, on a change of language and shortly
    // after the last edit of a key, its password or a certificate.
    void showCertificateState();
    // Shows one inspection's findings and summaries as the boxes' frames and tooltips.
    void showInspection(const TlsInspection &inspection);
    void On_Click(QCheckBox *sender);
    bool FormMouseWheel(QWheelEvent *event);

    void createField(const Field &field, QWidget *body, QGridLayout *rows, int &row);
    // The four sections in their display order.
    std::array<CollapsibleSection *, 4> sectionPanels() const;
    void fitSection(int section);
    void showValues(const ParGenValues &values);
    ParGenValues currentValues() const;
    // Whether a field differs from the opening: after steps that lead elsewhere, or when the
    // document could not be read and the defaults are on show.
    bool changedSinceShowing() const;
    // One field's value as a step keeps it, and puts it back.
    static QVariant fieldValue(const QWidget *control);
    static void setFieldValue(QWidget *control, const QVariant &value);
    // Takes every field's value as the state that the next step starts from.
    void takeFields();
    // Shows `value` in the field at `index` of m_fieldControls, as an undo or redo does.
    void restoreField(int index, const QVariant &value);
    class FieldStep;
    // A text box shows a loaded value and gives back the loaded value for as long as its text is
    // what it showed: a paste box turns CR and CR LF into line feeds, and a box left alone must
    // not change a value.
    template <class Box> void showText(Box *box, const QString &value);
    template <class Box> QString storedText(const Box *box) const;

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
    QLabel *L_Ethernet_TCP_Port = nullptr;
    QLineEdit *E_Ethernet_TCP_Port = nullptr;
    QLabel *L_Ethernet_UDP_Port = nullptr;
    QLineEdit *E_Ethernet_UDP_Port = nullptr;

    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;

    // Started by each edit of a box that showCertificateState reads; its timeout reads them.
    QTimer *m_inspection = nullptr;
    LatestResult *m_inspector = nullptr;
    // The defaults are on show because the document could not be read.
    bool m_defaultsShown = false;
    QUndoStack *m_history = nullptr;
    // Every field's control in table order, each box of an address on its own, and its value as
    // the last step left it.
    std::vector<QWidget *> m_fieldControls;
    std::vector<QVariant> m_fieldValues;
    // The box being typed into, whose next change joins the last step; null after a step was
    // undone or redone, or once the box lost the keyboard.
    QWidget *m_typingIn = nullptr;
    // Set while fields are loaded or restored: their changes are no new step.
    bool m_restoring = false;

    // Every widget of each field's row (label, control, address dots), by the field's position
    // in the table, so that a row is shown or hidden whole.
    std::vector<std::vector<QWidget *>> rowWidgets;
    // The address made last, whose "." runs on into the next one (IP, mask, gateway, DNS).
    AddressEdit *m_lastAddress = nullptr;
    // What each text box was given at the last load, and the text it showed then.
    struct Loaded
    {
        QString value;
        QString shown;
    };
    std::map<const QObject *, Loaded> loaded;
};

} // namespace sw

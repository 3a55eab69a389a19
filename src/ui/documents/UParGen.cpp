#include "ui/documents/UParGen.h"

#include "core/Error.h"
#include "core/ProgramValues.h"
#include "core/checks/CertificateInspection.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/ParGenRules.h"
#include "core/text/MessageIds.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/LatestResult.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/UndoKeys.h"
#include "ui/widgets/AddressEdit.h"
#include "ui/widgets/CollapsibleSection.h"
#include "ui/widgets/FindingMarks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <variant>

namespace sw {

namespace {

constexpr int ClientWidth = 460;
constexpr int ClientHeight = 700;
constexpr int LabelColumn = 130;
constexpr int NumberWidth = 90;
constexpr int ListWidth = 130;
constexpr int ByteWidth = 44;
// Reading an encrypted key takes some milliseconds: the boxes are read again once typing pauses.
constexpr int InspectionDelayMs = 200;

// The sections in their display, numbering and tab order.
enum Section { IEC61850, TLS, Modbus, Ethernet, SectionCount };
constexpr std::array<const char *, SectionCount> SectionNames
    = { "CP_IEC61850_Server", "CP_TLS_Server", "CP_Modbus_Slave", "CP_Ethernet" };
constexpr std::array<int, SectionCount> SectionCaptions
    = { MsgId::ParGenIEC61850Server, MsgId::ParGenTLSServer, MsgId::ParGenModbusSlave, MsgId::ParGenEthernet };

} // namespace

// One field of the dialog: where it stands, how it is edited, its catalogue texts and the value
// of the document that it shows.
struct TFParGen::Field
{
    enum class Kind {
        Text, // one-line box across the field column
        Number, // short one-line box
        Paste, // multi-line box one line high, for pasted keys and certificates
        Check, // check box with its own caption
        List, // drop-down list of fixed items
        Bytes, // four one-line boxes of an address, separated by "." labels
    };
    enum class Place {
        Row, // label in the label column, control in the field column
        Wide, // control across both columns
        Left, // control in the label column, starting a row...
        Right, // ...whose field column the next control takes
    };
    enum class Shown { Always, WithTls, Never };
    // A box whose text the dialog reads as a key or certificate, showing what it finds in the
    // box's tooltip and frame. `element` is the document element the core's findings name.
    struct Inspected
    {
        enum What {
            Nothing,
            Key, // a PEM private key, read with the key password
            KeyPassword, // the key's password: a change reads the key again
            Certificate, // a PEM certificate
        };
        What what = Nothing;
        const char *element = nullptr;
    };

    using Control = std::variant<QLineEdit * TFParGen::*, QPlainTextEdit * TFParGen::*, QCheckBox * TFParGen::*,
        QComboBox * TFParGen::*, std::array<QLineEdit *, 4> TFParGen::*>;
    struct Choice
    {
        int ParGenValues::*index;
        std::span<const char *const> items;
    };
    using Address = std::array<QString ParGenValues::*, 4>;
    using Value = std::variant<QString ParGenValues::*, bool ParGenValues::*, Choice, Address>;

    Section section;
    Kind kind;
    Place place;
    Shown shown;
    Control control;
    const char *name; // object name; a Bytes row numbers its boxes 1 to 4 after it
    QLabel *TFParGen::*label; // named "L_" + the name without its kind prefix; Place::Row only
    int caption; // a check box's own caption, else its label's
    int hint; // for Bytes the first of four entries, one per box
    Value value;
    Inspected inspected = {};

    QString labelName() const
    {
        const QString n = QString::fromLatin1(name);
        return QStringLiteral("L_") + n.mid(n.indexOf(u'_') + 1);
    }
};

// The fields in display and tab order, section by section.
std::span<const TFParGen::Field> TFParGen::fields()
{
    using enum Field::Kind;
    using enum Field::Place;
    using enum Field::Shown;
    using namespace MsgId;
    using F = TFParGen;
    using V = ParGenValues;
    using Choice = Field::Choice;
    using Address = Field::Address;
    using Inspected = Field::Inspected;
#define SW_CONTROL(member) &F::member, #member
    // clang-format off
    static const Field table[] = {
        { IEC61850, Number, Row,  Always,  SW_CONTROL(E_IEC61850_Server_Port),      &F::L_IEC61850_Server_Port,
          ParGenPort,         ParGenHintPort,         &V::IEC61850_Server_Port },
        { IEC61850, Text,   Row,  Always,  SW_CONTROL(E_IEC61850_Server_Password),  &F::L_IEC61850_Server_Password,
          ParGenPassword,     ParGenHintPassword,     &V::IEC61850_Server_Password },

        { TLS,      Check,  Wide, Always,  SW_CONTROL(CB_TLS_Server_Enable),        nullptr,
          ParGenEnableTLS,    ParGenHintEnableTLS,    &V::TLS_Server_Enable },
        { TLS,      Paste,  Row,  WithTls, SW_CONTROL(E_TLS_Server_Key),            &F::L_TLS_Server_Key,
          ParGenKey,          ParGenHintKey,          &V::TLS_Server_Key,
          Inspected { Inspected::Key, "TLS_Server_Key" } },
        { TLS,      Text,   Row,  WithTls, SW_CONTROL(E_TLS_Server_Key_Pass),       &F::L_TLS_Server_Key_Pass,
          ParGenKeyPassword,  ParGenHintKeyPassword,  &V::TLS_Server_Key_Password,
          Inspected { Inspected::KeyPassword } },
        { TLS,      Paste,  Row,  WithTls, SW_CONTROL(E_TLS_Server_Server_Cert),    &F::L_TLS_Server_Server_Cert,
          ParGenServerCert,   ParGenHintServerCert,   &V::TLS_Server_Server_Certificate,
          Inspected { Inspected::Certificate, "TLS_Server_Server_Certificate" } },
        { TLS,      Paste,  Row,  WithTls, SW_CONTROL(E_TLS_Server_Root_Cert),      &F::L_TLS_Server_Root_Cert,
          ParGenRootCert,     ParGenHintRootCert,     &V::TLS_Server_Root_Certificate,
          Inspected { Inspected::Certificate, "TLS_Server_Root_Certificate" } },
        { TLS,      Check,  Wide, WithTls, SW_CONTROL(CB_TLS_Server_En_Known_Cert), nullptr,
          ParGenKnownCert,    ParGenHintKnownCert,    &V::TLS_Server_Enable_Known_Cert },

        { Modbus,   List,   Row,  Always,  SW_CONTROL(CB_ModbusSlave_Serial),       &F::L_ModbusSlave_Serial,
          ParGenSerial,       ParGenHintSerial,       Choice { &V::MODBUS_SLAVE_SERIAL, ParGenSerialItems } },
        { Modbus,   List,   Row,  Always,  SW_CONTROL(CB_ModbusSlave_Baudrate),     &F::L_ModbusSlave_Baudrate,
          ParGenBaudrate,     ParGenHintBaudrate,     Choice { &V::MODBUS_SLAVE_BAUDRATE, ParGenBaudrateItems } },
        { Modbus,   List,   Row,  Always,  SW_CONTROL(CB_ModbusSlave_Parity),       &F::L_ModbusSlave_Parity,
          ParGenParity,       ParGenHintParity,       Choice { &V::MODBUS_SLAVE_PARITY, ParGenParityItems } },
        { Modbus,   List,   Row,  Always,  SW_CONTROL(CB_ModbusSlave_StopBits),     &F::L_ModbusSlave_StopBits,
          ParGenStopBits,     ParGenHintStopBits,     Choice { &V::MODBUS_SLAVE_STOPBITS, ParGenStopBitsItems } },
        { Modbus,   Number, Row,  Always,  SW_CONTROL(E_ModbusSlave_IDDevice),      &F::L_ModbusSlave_IDDevice,
          ParGenIDDevice,     ParGenHintIDDevice,     &V::MODBUS_SLAVE_IDDEVICE },
        { Modbus,   Check,  Wide, Always,  SW_CONTROL(CB_ModbusSlave_ReadInput),    nullptr,
          ParGenReadInput,    ParGenHintReadInput,    &V::MODBUS_SLAVE_READ_INPUT_REGISTER },

        { Ethernet, Bytes,  Row,  Always,  SW_CONTROL(E_Ethernet_IP),               &F::L_Ethernet_IP,
          ParGenIPAddress,    ParGenHintIP1,
          Address { &V::Ethernet_IP1, &V::Ethernet_IP2, &V::Ethernet_IP3, &V::Ethernet_IP4 } },
        { Ethernet, Bytes,  Row,  Always,  SW_CONTROL(E_Ethernet_SM),               &F::L_Ethernet_SM,
          ParGenSubNetMask,   ParGenHintSM1,
          Address { &V::Ethernet_SM1, &V::Ethernet_SM2, &V::Ethernet_SM3, &V::Ethernet_SM4 } },
        { Ethernet, Check,  Left, Always,  SW_CONTROL(CB_Ethernet_En_GAT),          nullptr,
          ParGenGateway,      ParGenHintGateway,      &V::Ethernet_EN_GAT },
        { Ethernet, Bytes,  Right, Always, SW_CONTROL(E_Ethernet_GAT),              nullptr,
          0,                   ParGenHintGAT1,
          Address { &V::Ethernet_GAT1, &V::Ethernet_GAT2, &V::Ethernet_GAT3, &V::Ethernet_GAT4 } },
        // Carried values of the document, which this configurator does not offer for editing.
        { Ethernet, Check,  Left, Never,   SW_CONTROL(CB_Ethernet_DNS),             nullptr,
          ParGenDNS,          ParGenHintDNS,          &V::Ethernet_EN_DNS },
        { Ethernet, Bytes,  Right, Never,  SW_CONTROL(E_Ethernet_DNS),              nullptr,
          0,                   ParGenHintDNS1,
          Address { &V::Ethernet_DNS1, &V::Ethernet_DNS2, &V::Ethernet_DNS3, &V::Ethernet_DNS4 } },
        { Ethernet, Number, Row,  Never,   SW_CONTROL(E_Ethernet_TCP_Port),         &F::L_Ethernet_TCP_Port,
          ParGenTCPPort,      ParGenHintTCPPort,      &V::Ethernet_TCP_Port },
        { Ethernet, Number, Row,  Never,   SW_CONTROL(E_Ethernet_UDP_Port),         &F::L_Ethernet_UDP_Port,
          ParGenUDPPort,      ParGenHintUDPPort,      &V::Ethernet_UDP_Port },
    };
    // clang-format on
#undef SW_CONTROL
    return table;
}

namespace {

// The section's body: label column and field column, 12 pixels below the last visible row.
QGridLayout *makeRows(CollapsibleSection *section)
{
    auto *grid = new QGridLayout(section->body());
    grid->setContentsMargins(8, 6, 8, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnMinimumWidth(0, LabelColumn);
    grid->setColumnStretch(1, 1);
    return grid;
}

template <class W> W *make(QWidget *parent, const QString &name)
{
    auto *w = new W(parent);
    w->setObjectName(name);
    return w;
}

QLineEdit *makeEdit(QWidget *parent, const QString &name, int width = 0)
{
    QLineEdit *e = makeLineEdit(parent, name);
    if (width > 0)
        e->setFixedWidth(width);
    return e;
}

// A multi-line box one line high, for pasted keys and certificates: Enter starts a new line,
// Tab leaves the box. It never scrolls down, so a box that holds text always shows its first line
// rather than looking empty; the tooltip shows the rest.
QPlainTextEdit *makePasteBox(QWidget *parent, const QString &name)
{
    auto *e = make<QPlainTextEdit>(parent, name);
    e->setTabChangesFocus(true);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The box moves its lines with the scroll bar's signals blocked, but reports every move.
    QScrollBar *lines = e->verticalScrollBar();
    QObject::connect(e, &QPlainTextEdit::updateRequest, e, [lines] {
        if (lines->value() != 0)
            lines->setValue(0);
    });
    const int margins = int(2 * e->document()->documentMargin()) + 2 * e->frameWidth();
    e->setFixedHeight(e->fontMetrics().lineSpacing() + margins);
    return e;
}

QComboBox *makeList(QWidget *parent, const QString &name, std::span<const char *const> items)
{
    auto *c = make<QComboBox>(parent, name);
    for (const char *item : items)
        c->addItem(QString::fromLatin1(item));
    c->setFixedWidth(ListWidth);
    return c;
}

QString boxText(const QLineEdit *box)
{
    return box->text();
}
QString boxText(const QPlainTextEdit *box)
{
    return box->toPlainText();
}
void setBoxText(QLineEdit *box, const QString &text)
{
    box->setText(text);
}
void setBoxText(QPlainTextEdit *box, const QString &text)
{
    box->setPlainText(text);
}

} // namespace

// One field's change. Pushed once the field shows its new value, so its first redo has nothing
// to do. Typing on in the same box joins the step; typing back to where it began drops it.
class TFParGen::FieldStep final : public QUndoCommand
{
public:
    FieldStep(TFParGen *dialog, int index, QVariant before, QVariant after, bool joins)
        : m_dialog(dialog)
        , m_index(index)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_joins(joins)
    {
    }

    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const FieldStep *>(other);
        if (!next->m_joins || next->m_index != m_index)
            return false;
        m_after = next->m_after;
        setObsolete(m_after == m_before);
        return true;
    }
    void undo() override { m_dialog->restoreField(m_index, m_before); }
    void redo() override
    {
        if (m_done)
            m_dialog->restoreField(m_index, m_after);
        m_done = true;
    }

private:
    TFParGen *const m_dialog;
    const int m_index;
    const QVariant m_before;
    QVariant m_after;
    const bool m_joins;
    bool m_done = false;
};

TFParGen::TFParGen(ProgramValues &values, Services &svc, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
    , m_history(new QUndoStack(this))
{
    centreOnScreenAtShow();
    FormCreate();
}

void TFParGen::FormCreate()
{
    setObjectName(QStringLiteral("TFParGen"));
    m_inspector = new LatestResult(this);
    m_inspection = new QTimer(this);
    m_inspection->setSingleShot(true);
    m_inspection->setInterval(InspectionDelayMs);
    connect(m_inspection, &QTimer::timeout, this, &TFParGen::showCertificateState);

    CPG = make<QScrollArea>(this, QStringLiteral("CPG"));
    CPG->setWidgetResizable(true);
    CPG->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CPG->setFrameShape(QFrame::NoFrame);
    CPG->setFocusPolicy(Qt::NoFocus);
    auto *content = make<QWidget>(CPG, QStringLiteral("CPG_Content"));
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(4, 4, 4, 4);
    stack->setSpacing(4);
    stack->addStretch();
    CPG->setWidget(content);

    const std::array<CollapsibleSection * TFParGen::*, SectionCount> panels = { &TFParGen::CP_IEC61850_Server,
        &TFParGen::CP_TLS_Server, &TFParGen::CP_Modbus_Slave, &TFParGen::CP_Ethernet };
    for (int s = 0; s < SectionCount; ++s) {
        CollapsibleSection *section = make<CollapsibleSection>(content, QString::fromLatin1(SectionNames[s]));
        this->*panels[s] = section;
        QGridLayout *rows = makeRows(section);
        int row = 0;
        for (const Field &field : fields()) {
            if (field.section == s)
                createField(field, section->body(), rows, row);
        }
    }

    // Enter belongs to the fields (a new line in the key and certificate boxes): there is no
    // default button, so Enter confirms or discards only on a focused OK or Cancel. The section
    // group fills the frame from side to side.
    FrameOptions frameOptions;
    frameOptions.bodyMargins = {};
    frameOptions.bodySpacing = 0;
    frameOptions.cancelCloses = false; // Btn_CancelClick asks first when something changed
    const Frame frame = layOutFrame({ CPG }, CPG, frameOptions);
    L_SW_Code = frame.L_SW_Code;
    L_SW_Desc = frame.L_SW_Desc;
    Btn_OK = frame.Btn_OK;
    Btn_Cancel = frame.Btn_Cancel;

    // Only the height can change.
    setMinimumWidth(ClientWidth);
    setMaximumWidth(ClientWidth);
    resize(ClientWidth, ClientHeight);

    for (const Field &field : fields()) {
        std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), std::array<QLineEdit *, 4> TFParGen::*>) {
                    for (QLineEdit *box : this->*member)
                        m_fieldControls.push_back(box);
                } else {
                    m_fieldControls.push_back(this->*member);
                }
            },
            field.control);
    }
    const UndoActions undo = addUndoActions(this, m_history);
    connect(undo.undo, &QAction::triggered, m_history, &QUndoStack::undo);
    connect(undo.redo, &QAction::triggered, m_history, &QUndoStack::redo);

    // The wheel over the section group scrolls the group and never reaches a field or list; the
    // undo keys undo a step of the dialog, not the typing inside one box.
    CPG->viewport()->installEventFilter(this);
    for (QWidget *w : content->findChildren<QWidget *>())
        w->installEventFilter(this);

    connect(Btn_OK, &QPushButton::clicked, this, &TFParGen::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFParGen::Btn_CancelClick);

    setCatalogueTexts({
        { this, MsgId::ParGenCaption, NoText },
        { L_SW_Desc, MsgId::ParGenDesc, NoText },
        { Btn_OK, MsgId::ParGenOK, MsgId::ParGenHintOK },
        { Btn_Cancel, MsgId::ParGenCancel, MsgId::ParGenHintCancel },
    });
    {
        const QScopedValueRollback restoring(m_restoring, true);
        showValues(ParGenValues {});
    }
    for (CollapsibleSection *section : sectionPanels())
        section->hide();
    Order_TAB_Panels();
    Move_GroupBoxs();
    Set_Lang();
    takeFields();
}

// Creates the field's control (and its label) in the section's grid, starting a new grid row
// unless the control takes the field column of the row that a Place::Left control began.
void TFParGen::createField(const Field &field, QWidget *body, QGridLayout *rows, int &row)
{
    using Kind = Field::Kind;
    using Place = Field::Place;
    const QString name = QString::fromLatin1(field.name);
    std::vector<QWidget *> &made = rowWidgets.emplace_back();

    QLabel *label = nullptr;
    if (field.place == Place::Row) {
        label = makeLabel(body, field.labelName());
        this->*field.label = label;
        made.push_back(label);
        rows->addWidget(label, row, 0);
    }
    QWidget *control = nullptr;
    QWidget *first = nullptr; // the control that the label names
    switch (field.kind) {
    case Kind::Text:
    case Kind::Number: {
        QLineEdit *edit = makeEdit(body, name, field.kind == Kind::Number ? NumberWidth : 0);
        this->*std::get<QLineEdit * TFParGen::*>(field.control) = edit;
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { On_Change(edit); });
        if (field.inspected.what != Field::Inspected::Nothing)
            connect(edit, &QLineEdit::textChanged, m_inspection, qOverload<>(&QTimer::start));
        control = edit;
        break;
    }
    case Kind::Paste: {
        QPlainTextEdit *edit = makePasteBox(body, name);
        this->*std::get<QPlainTextEdit * TFParGen::*>(field.control) = edit;
        connect(edit, &QPlainTextEdit::textChanged, this, [this, edit] { On_Change(edit); });
        if (field.inspected.what != Field::Inspected::Nothing)
            connect(edit, &QPlainTextEdit::textChanged, m_inspection, qOverload<>(&QTimer::start));
        control = edit;
        break;
    }
    case Kind::Check: {
        auto *box = make<QCheckBox>(body, name);
        this->*std::get<QCheckBox * TFParGen::*>(field.control) = box;
        connect(box, &QCheckBox::toggled, this, [this, box] { On_Click(box); });
        control = box;
        break;
    }
    case Kind::List: {
        QComboBox *list = makeList(body, name, std::get<Field::Choice>(field.value).items);
        this->*std::get<QComboBox * TFParGen::*>(field.control) = list;
        connect(list, &QComboBox::currentIndexChanged, this, [this, list] { On_Change(list); });
        control = list;
        break;
    }
    case Kind::Bytes: {
        auto *address = new AddressEdit(body, name, field.labelName() + QStringLiteral("_Dot"), ByteWidth);
        std::array<QLineEdit *, 4> &boxes = this->*std::get<std::array<QLineEdit *, 4> TFParGen::*>(field.control);
        boxes = address->boxes();
        for (QLineEdit *box : boxes)
            connect(box, &QLineEdit::textChanged, this, [this, box] { On_Change(box); });
        // "." runs on from one address into the next, which is scrolled into view.
        if (m_lastAddress)
            m_lastAddress->setNext(address);
        m_lastAddress = address;
        connect(address, &AddressEdit::jumped, this, [this](QLineEdit *box) { CPG->ensureWidgetVisible(box); });
        control = address;
        first = boxes[0];
        break;
    }
    }
    made.push_back(control);
    first = first ? first : control;
    if (label)
        label->setBuddy(first); // names the field for screen readers
    // Short boxes and lists keep their width at the left of the field column.
    const bool fixedWidth = field.kind == Kind::Number || field.kind == Kind::List;
    switch (field.place) {
    case Place::Row:
    case Place::Right:
        rows->addWidget(control, row, 1, fixedWidth ? Qt::AlignLeft : Qt::Alignment());
        ++row;
        break;
    case Place::Wide:
        rows->addWidget(control, row++, 0, 1, 2);
        break;
    case Place::Left:
        rows->addWidget(control, row, 0);
        break;
    }
}

std::array<CollapsibleSection *, 4> TFParGen::sectionPanels() const
{
    return { CP_IEC61850_Server, CP_TLS_Server, CP_Modbus_Slave, CP_Ethernet };
}

void TFParGen::captionSections()
{
    const std::array<CollapsibleSection *, 4> order = sectionPanels();
    for (size_t i = 0; i < order.size(); ++i)
        order[i]->setCaption(QStringLiteral("%1. %2").arg(i + 1).arg(pv.msg(SectionCaptions[i])));
}

void TFParGen::Set_Lang()
{
    CatalogueDialog::Set_Lang();
    captionSections();

    for (const Field &field : fields()) {
        const QString caption = pv.msg(field.caption);
        const QString hint = pv.msg(field.hint);
        if (const auto *box = std::get_if<QCheckBox * TFParGen::*>(&field.control)) {
            (this->*(*box))->setText(caption);
            setPlainToolTip(this->*(*box), hint);
            continue;
        }
        if (const auto *bytes = std::get_if<std::array<QLineEdit *, 4> TFParGen::*>(&field.control)) {
            // Each byte box has a hint of its own, which also names it for screen readers.
            if (field.label)
                (this->*field.label)->setText(caption);
            for (int k = 0; k < 4; ++k) {
                QLineEdit *box = (this->*(*bytes))[size_t(k)];
                setPlainToolTip(box, pv.msg(field.hint + k));
                box->setAccessibleName(pv.msg(field.hint + k));
            }
            continue;
        }
        // A labelled field: caption on the label, hint on both, and the caption as the field's name.
        QLabel *label = this->*field.label;
        label->setText(caption);
        setPlainToolTip(label, hint);
        setPlainToolTip(label->buddy(), hint);
        label->buddy()->setAccessibleName(caption);
    }
    showCertificateState(); // the key and certificate tooltips begin with the hints
}

void TFParGen::showCertificateState()
{
    m_inspection->stop();
    // Opening a key may take long (its key derivation), so the texts are read off the
    // user-interface thread; until the result comes, the boxes keep what they show.
    m_inspector->run([values = currentValues(), now = services.clock->nowUtc(),
                         catalogue = pv.Msg_Catalogue] { return inspectTls(values, {}, now, catalogue); },
        [this](const TlsInspection &inspection) { showInspection(inspection); });
}

void TFParGen::showInspection(const TlsInspection &inspection)
{
    // The pair checks (key against server certificate, server certificate against root) are the
    // core's: its findings for each box decide the frame and add to the summary in the tooltip.
    const QList<Finding> &findings = inspection.findings;
    for (const Field &field : fields()) {
        const Field::Inspected &inspected = field.inspected;
        if (inspected.what != Field::Inspected::Key && inspected.what != Field::Inspected::Certificate)
            continue;
        QList<Finding> own;
        for (const Finding &finding : findings) {
            if (finding.field == QLatin1String(inspected.element))
                own << finding;
        }
        const QString hint = pv.msg(field.hint);
        QPlainTextEdit *box = this->*std::get<QPlainTextEdit * TFParGen::*>(field.control);
        const QLatin1String element(inspected.element);
        setPlainToolTip(box,
            inspected.what == Field::Inspected::Key
                ? keyTip(hint, inspection.key, own, pv.Msg_Catalogue)
                : certificateTip(hint,
                    element == QLatin1String("TLS_Server_Root_Certificate") ? inspection.root : inspection.server, own,
                    pv.Msg_Catalogue));
        const FindingMark mark = markOf(own);
        const QString frame = mark == FindingMark::None
            ? QString()
            : QStringLiteral("QPlainTextEdit { border: 2px solid %1; }").arg(markFrameColour(mark).name());
        if (box->styleSheet() != frame) // a new style sheet polishes the box again
            box->setStyleSheet(frame);
    }
}

void TFParGen::Order_TAB_Panels()
{
    auto *stack = static_cast<QVBoxLayout *>(CPG->widget()->layout());
    const std::array<CollapsibleSection *, 4> order = sectionPanels();
    for (size_t i = 0; i < order.size(); ++i) {
        stack->removeWidget(order[i]);
        stack->insertWidget(int(i), order[i]);
        order[i]->show();
    }
    captionSections();

    // Tab order: each section's header, then its fields in table order, then the buttons.
    // Hidden controls are passed over by the focus chain.
    QList<QWidget *> chain;
    for (size_t s = 0; s < order.size(); ++s) {
        chain << order[s]->header();
        for (const Field &field : fields()) {
            if (size_t(field.section) != s)
                continue;
            std::visit(
                [&](auto member) {
                    if constexpr (std::is_same_v<decltype(member), std::array<QLineEdit *, 4> TFParGen::*>) {
                        for (QLineEdit *box : this->*member)
                            chain << box;
                    } else {
                        chain << this->*member;
                    }
                },
                field.control);
        }
    }
    chain << Btn_OK << Btn_Cancel;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void TFParGen::Move_GroupBoxs()
{
    RePosition_Object_IEC61850_Server();
    RePosition_Object_TLS_Server();
    RePosition_Object_Modbus_Slave();
    RePosition_Object_Ethernet();
    // Sections below a resized one move with it.
    CPG->widget()->layout()->activate();
}

void TFParGen::RePosition_Object_IEC61850_Server()
{
    fitSection(IEC61850);
}

void TFParGen::RePosition_Object_TLS_Server()
{
    fitSection(TLS);
}

void TFParGen::RePosition_Object_Modbus_Slave()
{
    fitSection(Modbus);
}

void TFParGen::RePosition_Object_Ethernet()
{
    fitSection(Ethernet);
}

// Each section is as tall as its header plus the rows down to its last visible control plus
// 12 pixels (the bottom margin of its rows): showing and hiding rows is all a fit needs.
void TFParGen::fitSection(int section)
{
    const bool tls = CB_TLS_Server_Enable->isChecked();
    const std::span<const Field> all = fields();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].section != section || all[i].shown == Field::Shown::Always)
            continue;
        const bool visible = all[i].shown == Field::Shown::WithTls && tls;
        for (QWidget *w : rowWidgets[i])
            w->setVisible(visible);
    }
    sectionPanels()[size_t(section)]->body()->layout()->activate();
}

void TFParGen::FormShow()
{
    QString failure;
    {
        const QScopedValueRollback restoring(m_restoring, true);
        try {
            showValues(readParGenFile(pv.File_ParGen));
            m_defaultsShown = false;
        } catch (const std::exception &e) {
            // The fields show the defaults, not the file: leaving with Cancel asks before
            // discarding, and OK replaces the unreadable file.
            showValues(ParGenValues {});
            m_defaultsShown = true;
            failure = errorText(e);
        }
    }
    takeFields();
    m_history->clear();
    Move_GroupBoxs();
    showCertificateState();
    if (!failure.isEmpty())
        services.messages->generalError(this, failure);
}

template <class Box> void TFParGen::showText(Box *box, const QString &value)
{
    setBoxText(box, value);
    loaded[box] = Loaded { value, boxText(box) };
}

template <class Box> QString TFParGen::storedText(const Box *box) const
{
    QString text = boxText(box);
    const auto it = loaded.find(box);
    if (it != loaded.end() && text == it->second.shown)
        return it->second.value;
    return text;
}

void TFParGen::showValues(const ParGenValues &v)
{
    for (const Field &field : fields()) {
        std::visit(
            [&](auto control) {
                using Control = decltype(control);
                if constexpr (std::is_same_v<Control, QCheckBox * TFParGen::*>) {
                    (this->*control)->setChecked(v.*std::get<bool ParGenValues::*>(field.value));
                } else if constexpr (std::is_same_v<Control, QComboBox * TFParGen::*>) {
                    (this->*control)->setCurrentIndex(v.*std::get<Field::Choice>(field.value).index);
                } else if constexpr (std::is_same_v<Control, std::array<QLineEdit *, 4> TFParGen::*>) {
                    const auto &bytes = std::get<Field::Address>(field.value);
                    for (size_t k = 0; k < 4; ++k)
                        showText((this->*control)[k], v.*bytes[k]);
                } else {
                    showText(this->*control, v.*std::get<QString ParGenValues::*>(field.value));
                }
            },
            field.control);
    }
}

ParGenValues TFParGen::currentValues() const
{
    ParGenValues v;
    for (const Field &field : fields()) {
        std::visit(
            [&](auto control) {
                using Control = decltype(control);
                if constexpr (std::is_same_v<Control, QCheckBox * TFParGen::*>) {
                    v.*std::get<bool ParGenValues::*>(field.value) = (this->*control)->isChecked();
                } else if constexpr (std::is_same_v<Control, QComboBox * TFParGen::*>) {
                    v.*std::get<Field::Choice>(field.value).index = (this->*control)->currentIndex();
                } else if constexpr (std::is_same_v<Control, std::array<QLineEdit *, 4> TFParGen::*>) {
                    const auto &bytes = std::get<Field::Address>(field.value);
                    for (size_t k = 0; k < 4; ++k)
                        v.*bytes[k] = storedText((this->*control)[k]);
                } else {
                    v.*std::get<QString ParGenValues::*>(field.value) = storedText(this->*control);
                }
            },
            field.control);
    }
    return v;
}

bool TFParGen::changedSinceShowing() const
{
    return m_defaultsShown || !m_history->isClean();
}

QVariant TFParGen::fieldValue(const QWidget *control)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(control))
        return line->text();
    if (const auto *text = qobject_cast<const QPlainTextEdit *>(control))
        return text->toPlainText();
    if (const auto *check = qobject_cast<const QCheckBox *>(control))
        return check->isChecked();
    if (const auto *list = qobject_cast<const QComboBox *>(control))
        return list->currentIndex();
    return {};
}

void TFParGen::setFieldValue(QWidget *control, const QVariant &value)
{
    if (auto *line = qobject_cast<QLineEdit *>(control))
        line->setText(value.toString());
    else if (auto *text = qobject_cast<QPlainTextEdit *>(control))
        text->setPlainText(value.toString());
    else if (auto *check = qobject_cast<QCheckBox *>(control))
        check->setChecked(value.toBool());
    else if (auto *list = qobject_cast<QComboBox *>(control))
        list->setCurrentIndex(value.toInt());
}

void TFParGen::takeFields()
{
    m_fieldValues.clear();
    for (const QWidget *control : m_fieldControls)
        m_fieldValues.push_back(fieldValue(control));
    m_typingIn = nullptr;
}

void TFParGen::restoreField(int index, const QVariant &value)
{
    QWidget *control = m_fieldControls[size_t(index)];
    {
        const QScopedValueRollback restoring(m_restoring, true);
        setFieldValue(control, value);
        m_fieldValues[size_t(index)] = value;
    }
    // The field whose value came back is shown with the keyboard in it.
    if (control->isVisibleTo(this)) {
        control->setFocus(Qt::OtherFocusReason);
        CPG->ensureWidgetVisible(control);
    }
    m_typingIn = nullptr;
}

void TFParGen::On_Change(QWidget *control)
{
    if (m_restoring || m_fieldValues.empty())
        return;
    const auto at = std::find(m_fieldControls.begin(), m_fieldControls.end(), control);
    if (at == m_fieldControls.end())
        return;
    const auto index = size_t(at - m_fieldControls.begin());
    QVariant value = fieldValue(control);
    if (value == m_fieldValues[index])
        return;
    QVariant before = std::exchange(m_fieldValues[index], value);
    // A box typed into takes the following keys into the same step; a check box or list does not.
    const bool typed = qobject_cast<QLineEdit *>(control) || qobject_cast<QPlainTextEdit *>(control);
    const bool joins = typed && m_typingIn == control;
    m_history->push(new FieldStep(this, int(index), std::move(before), std::move(value), joins));
    m_typingIn = typed ? control : nullptr;
}

void TFParGen::On_Click(QCheckBox *sender)
{
    On_Change(sender);
    if (sender == CB_TLS_Server_Enable)
        Move_GroupBoxs();
}

bool TFParGen::Controllo_Dati()
{
    const std::optional<ParGenFailure> failure = firstFailingRule(currentValues());
    if (!failure)
        return true;
    services.messages->error(this, pv.msg(failure->message));
    return false;
}

void TFParGen::Btn_OKClick()
{
    if (!Controllo_Dati())
        return;
    try {
        writeParGenFile(pv.File_ParGen, currentValues());
    } catch (const std::exception &e) {
        services.messages->generalError(this, errorText(e));
        return;
    }
    accept();
}

void TFParGen::Btn_CancelClick()
{
    if (changedSinceShowing() && !services.messages->confirm(this, pv.msg(MsgId::ParGenExitWithoutSaving)))
        return;
    reject();
}

void TFParGen::keyPressEvent(QKeyEvent *event)
{
    // Escape behaves as the Cancel button, with its question; the close box discards silently.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Btn_CancelClick();
        return;
    }
    CatalogueDialog::keyPressEvent(event);
}

bool TFParGen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel) {
        return FormMouseWheel(static_cast<QWheelEvent *>(event));
    }
    // A box would take the undo keys for its own typing: they are the dialog's. Claimed as an
    // override, they come back as a key press.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool undo = isUndoKey(key);
        if (undo || isRedoKey(key)) {
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                if (undo)
                    m_history->undo();
                else
                    m_history->redo();
            }
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && watched == m_typingIn)
        m_typingIn = nullptr;
    return CatalogueDialog::eventFilter(watched, event);
}

bool TFParGen::FormMouseWheel(QWheelEvent *event)
{
    QWidget *viewport = CPG->viewport();
    if (!viewport->rect().contains(viewport->mapFromGlobal(event->globalPosition().toPoint())))
        return false;
    const int delta = event->angleDelta().y();
    if (delta != 0) {
        QScrollBar *bar = CPG->verticalScrollBar();
        const auto action = delta > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd;
        for (int i = 0; i < QApplication::wheelScrollLines(); ++i)
            bar->triggerAction(action);
    }
    event->accept();
    return true;
}

} // namespace sw

#include "ui/documents/UParGen.h"

#include "core/Error.h"
#include "core/MessageIds.h"
#include "core/ParGenDocument.h"
#include "core/ProgramValues.h"
#include "core/Xml.h"
#include "ui/Controls.h"
#include "ui/DialogPanels.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/documents/CollapsibleSection.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace sw {

namespace {

constexpr int kClientWidth = 460;
constexpr int kClientHeight = 700;
constexpr int kLabelColumn = 130;
constexpr int kNumberWidth = 90;
constexpr int kListWidth = 130;
constexpr int kByteWidth = 44;

// The section's body: label column and field column, 12 pixels below the last visible row.
QGridLayout *makeRows(CollapsibleSection *section)
{
    auto *grid = new QGridLayout(section->body());
    grid->setContentsMargins(8, 6, 8, 12);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnMinimumWidth(0, kLabelColumn);
    grid->setColumnStretch(1, 1);
    return grid;
}

template <class W> W *make(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
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
// Tab leaves the box.
QPlainTextEdit *makePasteBox(QWidget *parent, const char *name)
{
    auto *e = make<QPlainTextEdit>(parent, name);
    e->setTabChangesFocus(true);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int margins = int(2 * e->document()->documentMargin()) + 2 * e->frameWidth();
    e->setFixedHeight(e->fontMetrics().lineSpacing() + margins);
    return e;
}

QComboBox *makeList(QWidget *parent, const char *name, const auto &items)
{
    auto *c = make<QComboBox>(parent, name);
    for (const char *item : items)
        c->addItem(QString::fromLatin1(item));
    c->setFixedWidth(kListWidth);
    return c;
}

// Four byte boxes separated by "." labels, left-aligned in the field column.
QHBoxLayout *makeAddressRow(
    QWidget *parent, const char *prefix, std::array<QLineEdit *, 4> &boxes, std::array<QLabel *, 3> *dots = nullptr)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(2);
    for (int k = 0; k < 4; ++k) {
        if (k > 0) {
            QLabel *dot = makeLabel(
                parent, QStringLiteral("L_%1_Dot%2").arg(QLatin1String(prefix)).arg(k), QStringLiteral("."));
            row->addWidget(dot);
            if (dots)
                (*dots)[size_t(k - 1)] = dot;
        }
        boxes[size_t(k)] = makeEdit(parent, QStringLiteral("E_%1%2").arg(QLatin1String(prefix)).arg(k + 1), kByteWidth);
        boxes[size_t(k)]->setAlignment(Qt::AlignCenter);
        row->addWidget(boxes[size_t(k)]);
    }
    row->addStretch();
    return row;
}

// A field read as a decimal integer; text that is not an integer counts as -1.
qint64 fieldValue(const QLineEdit *edit)
{
    return xml::toInteger(edit->text()).value_or(-1);
}

bool inRange(const QLineEdit *edit, qint64 low, qint64 high)
{
    const qint64 v = fieldValue(edit);
    return v >= low && v <= high;
}

QString errorText(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return error->message();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

TFParGen::TFParGen(ProgramValues &values, Services &svc, QWidget *parent)
    : CatalogueDialog(values, svc, parent)
{
    FormCreate();
}

void TFParGen::FormCreate()
{
    setObjectName(QStringLiteral("TFParGen"));

    QWidget *title = makeTitlePanel(this, L_SW_Code, L_SW_Desc);
    L_SW_Code->setText(pv.SW_Code);

    CPG = make<QScrollArea>(this, "CPG");
    CPG->setWidgetResizable(true);
    CPG->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CPG->setFrameShape(QFrame::NoFrame);
    CPG->setFocusPolicy(Qt::NoFocus);
    auto *content = make<QWidget>(CPG, "CPG_Content");
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(4, 4, 4, 4);
    stack->setSpacing(4);
    stack->addStretch();
    CPG->setWidget(content);

    // Section 1: IEC 61850 server.
    CP_IEC61850_Server = make<CollapsibleSection>(content, "CP_IEC61850_Server");
    {
        QWidget *b = CP_IEC61850_Server->body();
        QGridLayout *g = makeRows(CP_IEC61850_Server);
        L_IEC61850_Server_Port = makeLabel(b, QStringLiteral("L_IEC61850_Server_Port"));
        E_IEC61850_Server_Port = makeEdit(b, QStringLiteral("E_IEC61850_Server_Port"), kNumberWidth);
        L_IEC61850_Server_Password = makeLabel(b, QStringLiteral("L_IEC61850_Server_Password"));
        E_IEC61850_Server_Password = makeEdit(b, QStringLiteral("E_IEC61850_Server_Password"));
        g->addWidget(L_IEC61850_Server_Port, 0, 0);
        g->addWidget(E_IEC61850_Server_Port, 0, 1, Qt::AlignLeft);
        g->addWidget(L_IEC61850_Server_Password, 1, 0);
        g->addWidget(E_IEC61850_Server_Password, 1, 1);
    }

    // Section 2: TLS server.
    CP_TLS_Server = make<CollapsibleSection>(content, "CP_TLS_Server");
    {
        QWidget *b = CP_TLS_Server->body();
        QGridLayout *g = makeRows(CP_TLS_Server);
        CB_TLS_Server_Enable = make<QCheckBox>(b, "CB_TLS_Server_Enable");
        L_TLS_Server_Key = makeLabel(b, QStringLiteral("L_TLS_Server_Key"));
        E_TLS_Server_Key = makePasteBox(b, "E_TLS_Server_Key");
        L_TLS_Server_Key_Pass = makeLabel(b, QStringLiteral("L_TLS_Server_Key_Pass"));
        E_TLS_Server_Key_Pass = makeEdit(b, QStringLiteral("E_TLS_Server_Key_Pass"));
        L_TLS_Server_Server_Cert = makeLabel(b, QStringLiteral("L_TLS_Server_Server_Cert"));
        E_TLS_Server_Server_Cert = makePasteBox(b, "E_TLS_Server_Server_Cert");
        L_TLS_Server_Root_Cert = makeLabel(b, QStringLiteral("L_TLS_Server_Root_Cert"));
        E_TLS_Server_Root_Cert = makePasteBox(b, "E_TLS_Server_Root_Cert");
        CB_TLS_Server_En_Known_Cert = make<QCheckBox>(b, "CB_TLS_Server_En_Known_Cert");
        g->addWidget(CB_TLS_Server_Enable, 0, 0, 1, 2);
        g->addWidget(L_TLS_Server_Key, 1, 0);
        g->addWidget(E_TLS_Server_Key, 1, 1);
        g->addWidget(L_TLS_Server_Key_Pass, 2, 0);
        g->addWidget(E_TLS_Server_Key_Pass, 2, 1);
        g->addWidget(L_TLS_Server_Server_Cert, 3, 0);
        g->addWidget(E_TLS_Server_Server_Cert, 3, 1);
        g->addWidget(L_TLS_Server_Root_Cert, 4, 0);
        g->addWidget(E_TLS_Server_Root_Cert, 4, 1);
        g->addWidget(CB_TLS_Server_En_Known_Cert, 5, 0, 1, 2);
    }

    // Section 3: Modbus slave.
    CP_Modbus_Slave = make<CollapsibleSection>(content, "CP_Modbus_Slave");
    {
        QWidget *b = CP_Modbus_Slave->body();
        QGridLayout *g = makeRows(CP_Modbus_Slave);
        L_ModbusSlave_Serial = makeLabel(b, QStringLiteral("L_ModbusSlave_Serial"));
        CB_ModbusSlave_Serial = makeList(b, "CB_ModbusSlave_Serial", ParGen_Serial_Items);
        L_ModbusSlave_Baudrate = makeLabel(b, QStringLiteral("L_ModbusSlave_Baudrate"));
        CB_ModbusSlave_Baudrate = makeList(b, "CB_ModbusSlave_Baudrate", ParGen_Baudrate_Items);
        L_ModbusSlave_Parity = makeLabel(b, QStringLiteral("L_ModbusSlave_Parity"));
        CB_ModbusSlave_Parity = makeList(b, "CB_ModbusSlave_Parity", ParGen_Parity_Items);
        L_ModbusSlave_StopBits = makeLabel(b, QStringLiteral("L_ModbusSlave_StopBits"));
        CB_ModbusSlave_StopBits = makeList(b, "CB_ModbusSlave_StopBits", ParGen_StopBits_Items);
        L_ModbusSlave_IDDevice = makeLabel(b, QStringLiteral("L_ModbusSlave_IDDevice"));
        E_ModbusSlave_IDDevice = makeEdit(b, QStringLiteral("E_ModbusSlave_IDDevice"), kNumberWidth);
        CB_ModbusSlave_ReadInput = make<QCheckBox>(b, "CB_ModbusSlave_ReadInput");
        g->addWidget(L_ModbusSlave_Serial, 0, 0);
        g->addWidget(CB_ModbusSlave_Serial, 0, 1, Qt::AlignLeft);
        g->addWidget(L_ModbusSlave_Baudrate, 1, 0);
        g->addWidget(CB_ModbusSlave_Baudrate, 1, 1, Qt::AlignLeft);
        g->addWidget(L_ModbusSlave_Parity, 2, 0);
        g->addWidget(CB_ModbusSlave_Parity, 2, 1, Qt::AlignLeft);
        g->addWidget(L_ModbusSlave_StopBits, 3, 0);
        g->addWidget(CB_ModbusSlave_StopBits, 3, 1, Qt::AlignLeft);
        g->addWidget(L_ModbusSlave_IDDevice, 4, 0);
        g->addWidget(E_ModbusSlave_IDDevice, 4, 1, Qt::AlignLeft);
        g->addWidget(CB_ModbusSlave_ReadInput, 5, 0, 1, 2);
    }

    // Section 4: Ethernet. The DNS and port rows carry values of the document that this
    // configurator does not offer; they stay hidden.
    CP_Ethernet = make<CollapsibleSection>(content, "CP_Ethernet");
    {
        QWidget *b = CP_Ethernet->body();
        QGridLayout *g = makeRows(CP_Ethernet);
        L_Ethernet_IP = makeLabel(b, QStringLiteral("L_Ethernet_IP"));
        g->addWidget(L_Ethernet_IP, 0, 0);
        g->addLayout(makeAddressRow(b, "Ethernet_IP", E_Ethernet_IP), 0, 1);
        L_Ethernet_SM = makeLabel(b, QStringLiteral("L_Ethernet_SM"));
        g->addWidget(L_Ethernet_SM, 1, 0);
        g->addLayout(makeAddressRow(b, "Ethernet_SM", E_Ethernet_SM), 1, 1);
        CB_Ethernet_En_GAT = make<QCheckBox>(b, "CB_Ethernet_En_GAT");
        g->addWidget(CB_Ethernet_En_GAT, 2, 0);
        g->addLayout(makeAddressRow(b, "Ethernet_GAT", E_Ethernet_GAT), 2, 1);
        CB_Ethernet_DNS = make<QCheckBox>(b, "CB_Ethernet_DNS");
        g->addWidget(CB_Ethernet_DNS, 3, 0);
        g->addLayout(makeAddressRow(b, "Ethernet_DNS", E_Ethernet_DNS, &L_Ethernet_DNS_Dot), 3, 1);
        L_Ethernet_TCP_Port = makeLabel(b, QStringLiteral("L_Ethernet_TCP_Port"));
        E_Ethernet_TCP_Port = makeEdit(b, QStringLiteral("E_Ethernet_TCP_Port"), kNumberWidth);
        L_Ethernet_UDP_Port = makeLabel(b, QStringLiteral("L_Ethernet_UDP_Port"));
        E_Ethernet_UDP_Port = makeEdit(b, QStringLiteral("E_Ethernet_UDP_Port"), kNumberWidth);
        g->addWidget(L_Ethernet_TCP_Port, 4, 0);
        g->addWidget(E_Ethernet_TCP_Port, 4, 1, Qt::AlignLeft);
        g->addWidget(L_Ethernet_UDP_Port, 5, 0);
        g->addWidget(E_Ethernet_UDP_Port, 5, 1, Qt::AlignLeft);
    }

    // Each label names its field for accessibility tools.
    L_IEC61850_Server_Port->setBuddy(E_IEC61850_Server_Port);
    L_IEC61850_Server_Password->setBuddy(E_IEC61850_Server_Password);
    L_TLS_Server_Key->setBuddy(E_TLS_Server_Key);
    L_TLS_Server_Key_Pass->setBuddy(E_TLS_Server_Key_Pass);
    L_TLS_Server_Server_Cert->setBuddy(E_TLS_Server_Server_Cert);
    L_TLS_Server_Root_Cert->setBuddy(E_TLS_Server_Root_Cert);
    L_ModbusSlave_Serial->setBuddy(CB_ModbusSlave_Serial);
    L_ModbusSlave_Baudrate->setBuddy(CB_ModbusSlave_Baudrate);
    L_ModbusSlave_Parity->setBuddy(CB_ModbusSlave_Parity);
    L_ModbusSlave_StopBits->setBuddy(CB_ModbusSlave_StopBits);
    L_ModbusSlave_IDDevice->setBuddy(E_ModbusSlave_IDDevice);
    L_Ethernet_IP->setBuddy(E_Ethernet_IP[0]);
    L_Ethernet_SM->setBuddy(E_Ethernet_SM[0]);
    L_Ethernet_TCP_Port->setBuddy(E_Ethernet_TCP_Port);
    L_Ethernet_UDP_Port->setBuddy(E_Ethernet_UDP_Port);

    // Enter belongs to the fields (a new line in the key and certificate boxes): there is no
    // default button, so Enter confirms or discards only on a focused OK or Cancel.
    QWidget *buttons = makeButtonPanel(this, Btn_OK, Btn_Cancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    layout->addWidget(CPG, 1);
    layout->addWidget(buttons);

    // Only the height can change.
    setMinimumWidth(kClientWidth);
    setMaximumWidth(kClientWidth);
    resize(kClientWidth, kClientHeight);

    for (int k = 0; k < 4; ++k) {
        addressChain[size_t(k)] = E_Ethernet_IP[size_t(k)];
        addressChain[size_t(4 + k)] = E_Ethernet_SM[size_t(k)];
        addressChain[size_t(8 + k)] = E_Ethernet_GAT[size_t(k)];
        addressChain[size_t(12 + k)] = E_Ethernet_DNS[size_t(k)];
    }
    for (QLineEdit *box : addressChain)
        box->installEventFilter(this);

    // The wheel over the section group scrolls the group and never reaches a field or list.
    CPG->viewport()->installEventFilter(this);
    for (QWidget *w : content->findChildren<QWidget *>())
        w->installEventFilter(this);

    for (QLineEdit *edit : CPG->findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, this, &TFParGen::On_Change);
    for (QPlainTextEdit *edit : CPG->findChildren<QPlainTextEdit *>())
        connect(edit, &QPlainTextEdit::textChanged, this, &TFParGen::On_Change);
    for (QComboBox *list : CPG->findChildren<QComboBox *>())
        connect(list, &QComboBox::currentIndexChanged, this, &TFParGen::On_Change);
    for (QCheckBox *box : CPG->findChildren<QCheckBox *>())
        connect(box, &QCheckBox::toggled, this, [this, box] { On_Click(box); });

    connect(Btn_OK, &QPushButton::clicked, this, &TFParGen::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFParGen::Btn_CancelClick);

    showValues(ParGenValues {});
    CP_IEC61850_Server->hide();
    CP_TLS_Server->hide();
    CP_Modbus_Slave->hide();
    CP_Ethernet->hide();
    Order_TAB_Panels();
    Move_GroupBoxs();
    Set_Lang();
    Is_Change = false;
}

void TFParGen::Set_Lang()
{
    setWindowTitle(pv.msg(MsgId::ParGen_Caption));
    L_SW_Desc->setText(pv.msg(MsgId::ParGen_Desc));
    Btn_OK->setText(pv.msg(MsgId::ParGen_OK));
    Btn_OK->setToolTip(pv.msg(MsgId::ParGen_HintOK));
    Btn_Cancel->setText(pv.msg(MsgId::ParGen_Cancel));
    Btn_Cancel->setToolTip(pv.msg(MsgId::ParGen_HintCancel));

    // A labelled field: caption on the label, hint on both, and the caption as the field's name.
    const auto row = [this](QLabel *label, QWidget *field, int caption, int hint) {
        label->setText(pv.msg(caption));
        label->setToolTip(pv.msg(hint));
        field->setToolTip(pv.msg(hint));
        field->setAccessibleName(pv.msg(caption));
    };
    const auto check = [this](QCheckBox *box, int caption, int hint) {
        box->setText(pv.msg(caption));
        box->setToolTip(pv.msg(hint));
    };
    const auto bytes = [this](const std::array<QLineEdit *, 4> &boxes, int firstHint) {
        for (int k = 0; k < 4; ++k) {
            boxes[size_t(k)]->setToolTip(pv.msg(firstHint + k));
            boxes[size_t(k)]->setAccessibleName(pv.msg(firstHint + k));
        }
    };

    row(L_IEC61850_Server_Port, E_IEC61850_Server_Port, MsgId::ParGen_Port, MsgId::ParGen_HintPort);
    row(L_IEC61850_Server_Password, E_IEC61850_Server_Password, MsgId::ParGen_Password, MsgId::ParGen_HintPassword);

    check(CB_TLS_Server_Enable, MsgId::ParGen_EnableTLS, MsgId::ParGen_HintEnableTLS);
    row(L_TLS_Server_Key, E_TLS_Server_Key, MsgId::ParGen_Key, MsgId::ParGen_HintKey);
    row(L_TLS_Server_Key_Pass, E_TLS_Server_Key_Pass, MsgId::ParGen_KeyPassword, MsgId::ParGen_HintKeyPassword);
    row(L_TLS_Server_Server_Cert, E_TLS_Server_Server_Cert, MsgId::ParGen_ServerCert, MsgId::ParGen_HintServerCert);
    row(L_TLS_Server_Root_Cert, E_TLS_Server_Root_Cert, MsgId::ParGen_RootCert, MsgId::ParGen_HintRootCert);
    check(CB_TLS_Server_En_Known_Cert, MsgId::ParGen_KnownCert, MsgId::ParGen_HintKnownCert);

    row(L_ModbusSlave_Serial, CB_ModbusSlave_Serial, MsgId::ParGen_Serial, MsgId::ParGen_HintSerial);
    row(L_ModbusSlave_Baudrate, CB_ModbusSlave_Baudrate, MsgId::ParGen_Baudrate, MsgId::ParGen_HintBaudrate);
    row(L_ModbusSlave_Parity, CB_ModbusSlave_Parity, MsgId::ParGen_Parity, MsgId::ParGen_HintParity);
    row(L_ModbusSlave_StopBits, CB_ModbusSlave_StopBits, MsgId::ParGen_StopBits, MsgId::ParGen_HintStopBits);
    row(L_ModbusSlave_IDDevice, E_ModbusSlave_IDDevice, MsgId::ParGen_IDDevice, MsgId::ParGen_HintIDDevice);
    check(CB_ModbusSlave_ReadInput, MsgId::ParGen_ReadInput, MsgId::ParGen_HintReadInput);

    L_Ethernet_IP->setText(pv.msg(MsgId::ParGen_IPAddress));
    bytes(E_Ethernet_IP, MsgId::ParGen_HintIP1);
    L_Ethernet_SM->setText(pv.msg(MsgId::ParGen_SubNetMask));
    bytes(E_Ethernet_SM, MsgId::ParGen_HintSM1);
    check(CB_Ethernet_En_GAT, MsgId::ParGen_Gateway, MsgId::ParGen_HintGateway);
    bytes(E_Ethernet_GAT, MsgId::ParGen_HintGAT1);
    check(CB_Ethernet_DNS, MsgId::ParGen_DNS, MsgId::ParGen_HintDNS);
    bytes(E_Ethernet_DNS, MsgId::ParGen_HintDNS1);
    row(L_Ethernet_TCP_Port, E_Ethernet_TCP_Port, MsgId::ParGen_TCPPort, MsgId::ParGen_HintTCPPort);
    row(L_Ethernet_UDP_Port, E_Ethernet_UDP_Port, MsgId::ParGen_UDPPort, MsgId::ParGen_HintUDPPort);
}

void TFParGen::Order_TAB_Panels()
{
    auto *stack = static_cast<QVBoxLayout *>(CPG->widget()->layout());
    const std::array<CollapsibleSection *, 4> order
        = { CP_IEC61850_Server, CP_TLS_Server, CP_Modbus_Slave, CP_Ethernet };
    const std::array<int, 4> captions
        = { MsgId::ParGen_IEC61850Server, MsgId::ParGen_TLSServer, MsgId::ParGen_ModbusSlave, MsgId::ParGen_Ethernet };
    for (size_t i = 0; i < order.size(); ++i) {
        stack->removeWidget(order[i]);
        stack->insertWidget(int(i), order[i]);
        order[i]->setCaption(QStringLiteral("%1. %2").arg(i + 1).arg(pv.msg(captions[i])));
        order[i]->show();
    }

    // Tab order: each section's header, then its fields top to bottom, then the buttons.
    // Hidden controls are passed over by the focus chain.
    QList<QWidget *> chain;
    chain << CP_IEC61850_Server->header() << E_IEC61850_Server_Port << E_IEC61850_Server_Password;
    chain << CP_TLS_Server->header() << CB_TLS_Server_Enable << E_TLS_Server_Key << E_TLS_Server_Key_Pass
          << E_TLS_Server_Server_Cert << E_TLS_Server_Root_Cert << CB_TLS_Server_En_Known_Cert;
    chain << CP_Modbus_Slave->header() << CB_ModbusSlave_Serial << CB_ModbusSlave_Baudrate << CB_ModbusSlave_Parity
          << CB_ModbusSlave_StopBits << E_ModbusSlave_IDDevice << CB_ModbusSlave_ReadInput;
    chain << CP_Ethernet->header();
    for (QLineEdit *e : E_Ethernet_IP)
        chain << e;
    for (QLineEdit *e : E_Ethernet_SM)
        chain << e;
    chain << CB_Ethernet_En_GAT;
    for (QLineEdit *e : E_Ethernet_GAT)
        chain << e;
    chain << CB_Ethernet_DNS;
    for (QLineEdit *e : E_Ethernet_DNS)
        chain << e;
    chain << E_Ethernet_TCP_Port << E_Ethernet_UDP_Port << Btn_OK << Btn_Cancel;
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

// Each section is as tall as its header plus the rows down to its last visible control plus
// 12 pixels (the bottom margin of its rows): hiding rows is all a fit needs.
void TFParGen::RePosition_Object_IEC61850_Server()
{
    CP_IEC61850_Server->body()->layout()->activate();
}

void TFParGen::RePosition_Object_TLS_Server()
{
    const bool on = CB_TLS_Server_Enable->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *> { L_TLS_Server_Key, E_TLS_Server_Key, L_TLS_Server_Key_Pass,
             E_TLS_Server_Key_Pass, L_TLS_Server_Server_Cert, E_TLS_Server_Server_Cert, L_TLS_Server_Root_Cert,
             E_TLS_Server_Root_Cert, CB_TLS_Server_En_Known_Cert })
        w->setVisible(on);
    CP_TLS_Server->body()->layout()->activate();
}

void TFParGen::RePosition_Object_Modbus_Slave()
{
    CP_Modbus_Slave->body()->layout()->activate();
}

void TFParGen::RePosition_Object_Ethernet()
{
    CB_Ethernet_DNS->hide();
    for (QLineEdit *e : E_Ethernet_DNS)
        e->hide();
    for (QLabel *dot : L_Ethernet_DNS_Dot)
        dot->hide();
    L_Ethernet_TCP_Port->hide();
    E_Ethernet_TCP_Port->hide();
    L_Ethernet_UDP_Port->hide();
    E_Ethernet_UDP_Port->hide();
    CP_Ethernet->body()->layout()->activate();
}

void TFParGen::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        if (const QScreen *s = screen())
            move(s->availableGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        FormShow();
    }
    CatalogueDialog::showEvent(event);
}

void TFParGen::FormShow()
{
    try {
        showValues(Read_ParGen_File(pv.File_ParGen));
        Is_Change = false;
    } catch (const std::exception &e) {
        // The fields show the defaults, not the file: leaving with Cancel asks before
        // discarding, and OK replaces the unreadable file.
        showValues(ParGenValues {});
        Is_Change = true;
        services.messages->generalError(this, errorText(e));
    }
    Move_GroupBoxs();
}

void TFParGen::showValues(const ParGenValues &v)
{
    E_IEC61850_Server_Port->setText(v.IEC61850_Server_Port);
    E_IEC61850_Server_Password->setText(v.IEC61850_Server_Password);
    CB_TLS_Server_Enable->setChecked(v.TLS_Server_Enable);
    E_TLS_Server_Key->setPlainText(v.TLS_Server_Key);
    E_TLS_Server_Key_Pass->setText(v.TLS_Server_Key_Password);
    E_TLS_Server_Server_Cert->setPlainText(v.TLS_Server_Server_Certificate);
    E_TLS_Server_Root_Cert->setPlainText(v.TLS_Server_Root_Certificate);
    CB_TLS_Server_En_Known_Cert->setChecked(v.TLS_Server_Enable_Known_Cert);
    const std::array<const QString *, 4> ip = { &v.Ethernet_IP1, &v.Ethernet_IP2, &v.Ethernet_IP3, &v.Ethernet_IP4 };
    const std::array<const QString *, 4> sm = { &v.Ethernet_SM1, &v.Ethernet_SM2, &v.Ethernet_SM3, &v.Ethernet_SM4 };
    const std::array<const QString *, 4> gat
        = { &v.Ethernet_GAT1, &v.Ethernet_GAT2, &v.Ethernet_GAT3, &v.Ethernet_GAT4 };
    const std::array<const QString *, 4> dns
        = { &v.Ethernet_DNS1, &v.Ethernet_DNS2, &v.Ethernet_DNS3, &v.Ethernet_DNS4 };
    for (size_t k = 0; k < 4; ++k) {
        E_Ethernet_IP[k]->setText(*ip[k]);
        E_Ethernet_SM[k]->setText(*sm[k]);
        E_Ethernet_GAT[k]->setText(*gat[k]);
        E_Ethernet_DNS[k]->setText(*dns[k]);
    }
    CB_Ethernet_En_GAT->setChecked(v.Ethernet_EN_GAT);
    CB_Ethernet_DNS->setChecked(v.Ethernet_EN_DNS);
    E_Ethernet_TCP_Port->setText(v.Ethernet_TCP_Port);
    E_Ethernet_UDP_Port->setText(v.Ethernet_UDP_Port);
    CB_ModbusSlave_Serial->setCurrentIndex(v.MODBUS_SLAVE_SERIAL);
    CB_ModbusSlave_Baudrate->setCurrentIndex(v.MODBUS_SLAVE_BAUDRATE);
    CB_ModbusSlave_Parity->setCurrentIndex(v.MODBUS_SLAVE_PARITY);
    CB_ModbusSlave_StopBits->setCurrentIndex(v.MODBUS_SLAVE_STOPBITS);
    E_ModbusSlave_IDDevice->setText(v.MODBUS_SLAVE_IDDEVICE);
    CB_ModbusSlave_ReadInput->setChecked(v.MODBUS_SLAVE_READ_INPUT_REGISTER);
}

ParGenValues TFParGen::currentValues() const
{
    ParGenValues v;
    v.IEC61850_Server_Port = E_IEC61850_Server_Port->text();
    v.IEC61850_Server_Password = E_IEC61850_Server_Password->text();
    v.TLS_Server_Enable = CB_TLS_Server_Enable->isChecked();
    v.TLS_Server_Key = E_TLS_Server_Key->toPlainText();
    v.TLS_Server_Key_Password = E_TLS_Server_Key_Pass->text();
    v.TLS_Server_Server_Certificate = E_TLS_Server_Server_Cert->toPlainText();
    v.TLS_Server_Root_Certificate = E_TLS_Server_Root_Cert->toPlainText();
    v.TLS_Server_Enable_Known_Cert = CB_TLS_Server_En_Known_Cert->isChecked();
    const std::array<QString *, 4> ip = { &v.Ethernet_IP1, &v.Ethernet_IP2, &v.Ethernet_IP3, &v.Ethernet_IP4 };
    const std::array<QString *, 4> sm = { &v.Ethernet_SM1, &v.Ethernet_SM2, &v.Ethernet_SM3, &v.Ethernet_SM4 };
    const std::array<QString *, 4> gat = { &v.Ethernet_GAT1, &v.Ethernet_GAT2, &v.Ethernet_GAT3, &v.Ethernet_GAT4 };
    const std::array<QString *, 4> dns = { &v.Ethernet_DNS1, &v.Ethernet_DNS2, &v.Ethernet_DNS3, &v.Ethernet_DNS4 };
    for (size_t k = 0; k < 4; ++k) {
        *ip[k] = E_Ethernet_IP[k]->text();
        *sm[k] = E_Ethernet_SM[k]->text();
        *gat[k] = E_Ethernet_GAT[k]->text();
        *dns[k] = E_Ethernet_DNS[k]->text();
    }
    v.Ethernet_EN_GAT = CB_Ethernet_En_GAT->isChecked();
    v.Ethernet_EN_DNS = CB_Ethernet_DNS->isChecked();
    v.Ethernet_TCP_Port = E_Ethernet_TCP_Port->text();
    v.Ethernet_UDP_Port = E_Ethernet_UDP_Port->text();
    v.MODBUS_SLAVE_SERIAL = CB_ModbusSlave_Serial->currentIndex();
    v.MODBUS_SLAVE_BAUDRATE = CB_ModbusSlave_Baudrate->currentIndex();
    v.MODBUS_SLAVE_PARITY = CB_ModbusSlave_Parity->currentIndex();
    v.MODBUS_SLAVE_STOPBITS = CB_ModbusSlave_StopBits->currentIndex();
    v.MODBUS_SLAVE_IDDEVICE = E_ModbusSlave_IDDevice->text();
    v.MODBUS_SLAVE_READ_INPUT_REGISTER = CB_ModbusSlave_ReadInput->isChecked();
    return v;
}

void TFParGen::On_Change()
{
    Is_Change = true;
}

void TFParGen::On_Click(QCheckBox *sender)
{
    Is_Change = true;
    if (sender == CB_TLS_Server_Enable)
        Move_GroupBoxs();
}

bool TFParGen::Controllo_Dati()
{
    const auto fail = [this](int entry) {
        services.messages->error(this, pv.msg(entry));
        return false;
    };
    const qint64 port = fieldValue(E_IEC61850_Server_Port);
    if (port < 0 || port > 65535 || port == 10000)
        return fail(MsgId::ParGen_ErrPort);
    for (int k = 0; k < 4; ++k) {
        if (!inRange(E_Ethernet_IP[size_t(k)], 0, 255))
            return fail(MsgId::ParGen_ErrIP1 + k);
    }
    for (int k = 0; k < 4; ++k) {
        if (!inRange(E_Ethernet_SM[size_t(k)], 0, 255))
            return fail(MsgId::ParGen_ErrSM1 + k);
    }
    // The gateway boxes stay editable when the gateway is off; only then are they free.
    if (CB_Ethernet_En_GAT->isChecked()) {
        for (int k = 0; k < 4; ++k) {
            if (!inRange(E_Ethernet_GAT[size_t(k)], 0, 255))
                return fail(MsgId::ParGen_ErrGAT1 + k);
        }
    }
    if (CB_ModbusSlave_StopBits->currentIndex() == 1 && CB_ModbusSlave_Parity->currentIndex() != 0)
        return fail(MsgId::ParGen_ErrStopBits);
    if (!inRange(E_ModbusSlave_IDDevice, 1, 247))
        return fail(MsgId::ParGen_ErrIDDevice);
    return true;
}

void TFParGen::Btn_OKClick()
{
    if (!Controllo_Dati())
        return;
    try {
        Write_ParGen_File(pv.File_ParGen, currentValues());
    } catch (const std::exception &e) {
        services.messages->generalError(this, errorText(e));
        return;
    }
    accept();
}

void TFParGen::Btn_CancelClick()
{
    if (Is_Change && !services.messages->confirm(this, pv.msg(MsgId::ParGen_ExitWithoutSaving)))
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
    if (event->type() == QEvent::KeyPress) {
        if (auto *box = qobject_cast<QLineEdit *>(watched);
            box && std::find(addressChain.begin(), addressChain.end(), box) != addressChain.end())
            return KeyPress(box, static_cast<QKeyEvent *>(event));
    } else if (event->type() == QEvent::Wheel) {
        return FormMouseWheel(static_cast<QWheelEvent *>(event));
    }
    return CatalogueDialog::eventFilter(watched, event);
}

bool TFParGen::KeyPress(QLineEdit *box, QKeyEvent *event)
{
    if (event->text() != QStringLiteral("."))
        return false; // every other key reaches the box; validation catches letters
    const auto it = std::find(addressChain.begin(), addressChain.end(), box);
    if (it + 1 != addressChain.end()) {
        QLineEdit *next = *(it + 1);
        if (next->isVisible() && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason); // selects its text, so the next byte replaces it
            CPG->ensureWidgetVisible(next);
        }
    }
    return true; // "." is never inserted
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

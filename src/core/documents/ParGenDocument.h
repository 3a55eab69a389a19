#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace sw {

// The fixed items of the Modbus slave lists; a document stores the 0-based position.
inline constexpr std::array<const char *, 2> ParGenSerialItems = { "RS232", "RS485" };
inline constexpr std::array<const char *, 8> ParGenBaudrateItems
    = { "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200" };
inline constexpr std::array<const char *, 3> ParGenParityItems = { "NONE", "ODD", "EVEN" };
inline constexpr std::array<const char *, 2> ParGenStopBitsItems = { "1 Stop Bits", "2 Stop Bits" };

// The communication parameters of one configuration (ParGen.xml), one member per element under
// the element's name, in document order. Texts hold the fields exactly as typed; the Ethernet DNS
// and port values are carried from load to save without being offered for editing.
struct ParGenValues
{
    QString IEC61850_Server_Port = QStringLiteral("102");
    QString IEC61850_Server_Password;
    bool TLS_Server_Enable = false;
    QString TLS_Server_Key;
    QString TLS_Server_Key_Password;
    QString TLS_Server_Server_Certificate;
    QString TLS_Server_Root_Certificate;
    bool TLS_Server_Enable_Known_Cert = false;
    QString Ethernet_IP1 = QStringLiteral("192");
    QString Ethernet_IP2 = QStringLiteral("168");
    QString Ethernet_IP3 = QStringLiteral("0");
    QString Ethernet_IP4 = QStringLiteral("10");
    QString Ethernet_SM1 = QStringLiteral("255");
    QString Ethernet_SM2 = QStringLiteral("255");
    QString Ethernet_SM3 = QStringLiteral("255");
    QString Ethernet_SM4 = QStringLiteral("0");
    QString Ethernet_GAT1 = QStringLiteral("192");
    QString Ethernet_GAT2 = QStringLiteral("168");
    QString Ethernet_GAT3 = QStringLiteral("0");
    QString Ethernet_GAT4 = QStringLiteral("1");
    bool Ethernet_EN_GAT = false;
    QString Ethernet_DNS1 = QStringLiteral("8");
    QString Ethernet_DNS2 = QStringLiteral("8");
    QString Ethernet_DNS3 = QStringLiteral("8");
    QString Ethernet_DNS4 = QStringLiteral("8");
    bool Ethernet_EN_DNS = false;
    QString Ethernet_TCP_Port = QStringLiteral("10001");
    QString Ethernet_UDP_Port = QStringLiteral("10001");
    int MODBUS_SLAVE_SERIAL = 0; // position in ParGenSerialItems
    int MODBUS_SLAVE_BAUDRATE = 7; // position in ParGenBaudrateItems
    int MODBUS_SLAVE_PARITY = 0; // position in ParGenParityItems
    int MODBUS_SLAVE_STOPBITS = 0; // position in ParGenStopBitsItems
    QString MODBUS_SLAVE_IDDEVICE = QStringLiteral("10");
    bool MODBUS_SLAVE_READ_INPUT_REGISTER = true;

    friend bool operator==(const ParGenValues &, const ParGenValues &) = default;
};

// Reads the document at `path`. A missing file gives every default; each missing or unreadable
// element gives its own default. A list position that is not an integer, or lies outside its list,
// gives the element's default position, so the values always name an item of each list.
// Throws sw::Error naming the file and the parser's message when the file is not well-formed.
ParGenValues readParGenFile(const QString &path);

// The document as written to disk: root Par_Gen with the 34 elements in order, then the version
// comment; UTF-8, no declaration, no indentation.
QByteArray parGenDocument(const ParGenValues &values);

// Replaces the file at `path` atomically with parGenDocument(values). Throws sw::Error naming the
// file and the reason when it cannot be written; the earlier file is then left as it was.
void writeParGenFile(const QString &path, const ParGenValues &values);

} // namespace sw

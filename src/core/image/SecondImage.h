#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The second configuration image, bank2.bin: everything of variable length (IEC 61850 server,
// TLS material, known certificates, variable table and their texts). It is written at device
// address 0x80000 and every address inside it is an absolute device address.
namespace sw::image {

inline constexpr quint32 Bank2Base = 0x80000;
// bank2.bin occupies 0x80000 to 0xFFFFF in the device.
inline constexpr qint64 Bank2MaxSize = 0x80000;

inline constexpr int Bank2HeaderSize = 54;
inline constexpr int KnownCertEntrySize = 8;
inline constexpr int VariableEntrySize = 32;

struct TTLS_Certificate
{
    QString Certificate;
    quint32 Certificate_Add = 0;
    quint32 Certificate_Length = 0; // UTF-8 byte count of the text + 1
};

struct TTLS_Bank
{
    QString key;
    quint32 key_add = 0;
    quint32 Key_Length = 0; // UTF-8 byte count of `key` + 1
    QString Key_Password;
    quint32 Key_Password_Add = 0;
    TTLS_Certificate Server_Cert;
    TTLS_Certificate Root_Cert;
    quint32 Known_Cert_En = 0; // only known client certificates accepted when 1
    quint32 Known_Cert_Num = 0;
    quint32 Known_Cert_Add = 0;
    QList<TTLS_Certificate> Known_Cert; // Known_Cert_Num entries
};

struct TIEC61850_Var
{
    QString Name;
    quint32 Name_Add = 0;
    quint32 Data_Type = 0; // 2 digital (one bit), 4 integer, 6 float
    quint32 Position = 0;
    quint32 Start_Bit = 0;
    quint32 Length = 0;
    quint32 Read_Only = 0;
    float Multiplication_Factor = 0.0f;
    quint16 Operation = 0; // 0 none, 1 integer to float, 2 float to integer
    quint16 Options = 0; // bit 0 swap bytes, bit 1 swap words
};

inline constexpr quint32 DataTypeDigital = 2;
inline constexpr quint32 DataTypeInteger = 4;
inline constexpr quint32 DataTypeFloat = 6;
inline constexpr quint16 OptionSwap = 0x0001;
inline constexpr quint16 OptionSwapWord = 0x0002;

struct TIEC61850
{
    quint16 port = 102;
    quint32 TLS_Enable = 0;
    TTLS_Bank TLS_Data;
    QString Password;
    quint32 Password_Add = 0;
    quint32 Var_Number = 0;
    quint32 Var_Add = 0;
    QList<TIEC61850_Var> Variables; // Var_Number entries
};

// True when the known-certificate table goes into the image: TLS on and only known certificates.
bool knownCertsInImage(const TIEC61850 &record);

// Appends `text` in UTF-8 followed by a 0x00 byte at `position` of `buffer` (which must have room)
// and returns the position after it; an empty text writes nothing.
qsizetype Put_UTF8_Text(const QString &text, QByteArray &buffer, qsizetype position);

// Likewise with one byte per UTF-16 code unit: Latin-1 up to U+00FF, "?" for any other unit.
qsizetype Put_Byte_Text(const QString &text, QByteArray &buffer, qsizetype position);

// Encodes bank2.bin for the device address `base` and stores the addresses it assigns into
// `record`. The counts written are those of the arrays, which must equal Var_Number and
// Known_Cert_Num. Throws sw::Error when they differ, or when the image would exceed
// Bank2MaxSize bytes (checked before anything is encoded).
QByteArray Build_Bank2(quint32 base, TIEC61850 &record);

} // namespace sw::image

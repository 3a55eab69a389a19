#include "core/image/SecondImage.h"

#include "core/Error.h"

#include <QLocale>
#include <bit>
#include <cstring>
#include <vector>

namespace sw::image {

namespace {

void put16(char *at, quint16 value)
{
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>(value >> 8);
}

void put32(char *at, quint32 value)
{
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>((value >> 8) & 0xFF);
    at[2] = static_cast<char>((value >> 16) & 0xFF);
    at[3] = static_cast<char>(value >> 24);
}

qsizetype putTerminated(const QByteArray &bytes, QByteArray &buffer, qsizetype position)
{
    if (bytes.isEmpty())
        return position;
    char *out = buffer.data() + position;
    std::memcpy(out, bytes.constData(), static_cast<size_t>(bytes.size()));
    out[bytes.size()] = '\0';
    return position + bytes.size() + 1;
}

// Room a text takes in the text area: nothing when empty, else its bytes and the terminator.
qint64 textRoom(qsizetype byteCount)
{
    return byteCount == 0 ? 0 : byteCount + 1;
}

QString bytesText(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

} // namespace

bool knownCertsInImage(const TIEC61850 &record)
{
    return record.TLS_Enable == 1 && record.TLS_Data.Known_Cert_En == 1;
}

qsizetype Put_UTF8_Text(const QString &text, QByteArray &buffer, qsizetype position)
{
    return putTerminated(text.toUtf8(), buffer, position);
}

qsizetype Put_Byte_Text(const QString &text, QByteArray &buffer, qsizetype position)
{
    if (text.isEmpty())
        return position;
    char *out = buffer.data() + position;
    const QChar *in = text.constData();
    const qsizetype n = text.size();
    // The device reads these texts as Latin-1. A character beyond it has no byte of its own: its
    // low 8 bits would stand for another character, or for 0x00 and cut the text short in the
    // device, so it is written as "?". One byte per code unit either way, so no address moves.
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = in[i].unicode();
        out[i] = static_cast<char>(unit <= 0xFF ? unit : u'?');
    }
    out[n] = '\0';
    return position + n + 1;
}

QByteArray Build_Bank2(quint32 base, TIEC61850 &record)
{
    TTLS_Bank &tls = record.TLS_Data;
    if (record.Var_Number != static_cast<quint64>(record.Variables.size())
        || tls.Known_Cert_Num != static_cast<quint64>(tls.Known_Cert.size()))
        throw Error(QStringLiteral("Inconsistent configuration record: the variable or certificate count "
                                   "does not match its list"));

    const bool withKnown = knownCertsInImage(record);
    const qsizetype knownCount = withKnown ? tls.Known_Cert.size() : 0;
    const qsizetype varCount = record.Variables.size();

    // The UTF-8 texts are encoded once: their lengths place the texts, their bytes fill the area.
    const QByteArray key = tls.key.toUtf8();
    const QByteArray keyPassword = tls.Key_Password.toUtf8();
    const QByteArray serverCert = tls.Server_Cert.Certificate.toUtf8();
    const QByteArray rootCert = tls.Root_Cert.Certificate.toUtf8();
    std::vector<QByteArray> knownCerts;
    knownCerts.reserve(static_cast<size_t>(knownCount));
    for (qsizetype i = 0; i < knownCount; ++i)
        knownCerts.push_back(tls.Known_Cert[i].Certificate.toUtf8());

    // Address pass. Offsets are 64-bit so that an oversized image is measured, not wrapped.
    auto address = [base](qint64 offset) { return static_cast<quint32>(base + offset); };
    qint64 c = Bank2HeaderSize;
    tls.Known_Cert_Add = address(Bank2HeaderSize);
    c += qint64(KnownCertEntrySize) * knownCount;
    record.Var_Add = address(c);
    c += qint64(VariableEntrySize) * varCount;
    const qint64 separator = c;
    c += 1;

    auto place = [&](qsizetype byteCount, qint64 emptyOffset) -> quint32 {
        if (byteCount == 0)
            return emptyOffset < 0 ? 0 : address(emptyOffset);
        const quint32 at = address(c);
        c += textRoom(byteCount);
        return at;
    };
    tls.key_add = place(key.size(), separator);
    tls.Key_Password_Add = place(keyPassword.size(), -1);
    tls.Server_Cert.Certificate_Add = place(serverCert.size(), separator);
    tls.Root_Cert.Certificate_Add = place(rootCert.size(), separator);
    record.Password_Add = place(record.Password.size(), -1);
    // An empty certificate or name takes the address at which the next text begins.
    for (qsizetype i = 0; i < knownCount; ++i) {
        tls.Known_Cert[i].Certificate_Add = address(c);
        c += textRoom(knownCerts[static_cast<size_t>(i)].size());
    }
    for (TIEC61850_Var &var : record.Variables) {
        var.Name_Add = address(c);
        c += textRoom(var.Name.size());
    }

    if (c > Bank2MaxSize)
        throw Error(QStringLiteral("The configuration image bank2.bin would be %1 bytes long, more than the "
                                   "%2 bytes the device can hold; shorten the key or the certificates")
                        .arg(bytesText(c), bytesText(Bank2MaxSize)));

    QByteArray out(static_cast<qsizetype>(c), '\0');
    char *p = out.data();

    put16(p + 0, record.port);
    put32(p + 2, record.TLS_Enable);
    put32(p + 6, tls.key_add);
    put32(p + 10, static_cast<quint32>(key.size()));
    put32(p + 14, tls.Key_Password_Add);
    put32(p + 18, tls.Server_Cert.Certificate_Add);
    put32(p + 22, static_cast<quint32>(serverCert.size()));
    put32(p + 26, tls.Root_Cert.Certificate_Add);
    put32(p + 30, static_cast<quint32>(rootCert.size()));
    put32(p + 34, static_cast<quint32>(knownCount));
    put32(p + 38, tls.Known_Cert_Add);
    put32(p + 42, record.Password_Add);
    put32(p + 46, static_cast<quint32>(varCount));
    put32(p + 50, record.Var_Add);

    char *entry = p + Bank2HeaderSize;
    for (qsizetype i = 0; i < knownCount; ++i, entry += KnownCertEntrySize) {
        put32(entry, tls.Known_Cert[i].Certificate_Add);
        put32(entry + 4, static_cast<quint32>(knownCerts[static_cast<size_t>(i)].size()));
    }
    for (const TIEC61850_Var &var : std::as_const(record.Variables)) {
        put32(entry, var.Name_Add);
        put32(entry + 4, var.Data_Type);
        put32(entry + 8, var.Position);
        put32(entry + 12, var.Start_Bit);
        put32(entry + 16, var.Length);
        put32(entry + 20, var.Read_Only);
        put32(entry + 24, std::bit_cast<quint32>(var.Multiplication_Factor));
        put16(entry + 28, var.Operation);
        put16(entry + 30, var.Options);
        entry += VariableEntrySize;
    }
    // The separator byte at `separator` is already 0: it doubles as the empty text.

    qsizetype pos = separator + 1;
    pos = putTerminated(key, out, pos);
    pos = putTerminated(keyPassword, out, pos);
    pos = putTerminated(serverCert, out, pos);
    pos = putTerminated(rootCert, out, pos);
    pos = Put_Byte_Text(record.Password, out, pos);
    for (const QByteArray &cert : knownCerts)
        pos = putTerminated(cert, out, pos);
    for (const TIEC61850_Var &var : std::as_const(record.Variables))
        pos = Put_Byte_Text(var.Name, out, pos);
    Q_ASSERT(pos == out.size());
    return out;
}

} // namespace sw::image

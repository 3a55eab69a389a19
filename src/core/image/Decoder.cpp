#include "core/image/Decoder.h"

#include "core/Error.h"
#include "core/documents/ProjectFiles.h"
#include "core/files/RegularFile.h"
#include "core/image/Compiler.h"
#include "core/image/ParamBlock.h"
#include "core/image/SecondImage.h"
#include "core/text/Decimal.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace sw::image {

namespace {

Error refused(const char *file, const QString &reason)
{
    return Error(QStringLiteral("%1: %2").arg(QLatin1StringView(file), reason));
}

QString hexText(qint64 value)
{
    return QStringLiteral("0x%1").arg(QString::number(value, 16).toUpper());
}

quint16 get16(const QByteArray &b, qint64 at)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint16(p[0] | (p[1] << 8));
}

quint32 get32(const QByteArray &b, qint64 at)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData() + at);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

// A document keeps tab, line feed and carriage return among the control characters, and no
// noncharacter U+FFFE or U+FFFF; a text holding anything else would not read back.
bool documentCanHold(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D) || u == 0xFFFE || u == 0xFFFF)
            return false;
    }
    return true;
}

// Reads the texts of bank2.bin, every access bounded by the file.
class Bank2Reader
{
public:
    Bank2Reader(const QByteArray &bytes, qint64 textStart)
        : m_bytes(bytes)
        , m_textStart(textStart)
    {
    }

    // The file offset of a text address; it must lie in the text area (`end` allows the end of
    // the file, where an empty last name stands).
    qint64 offsetOf(quint32 address, const QString &what, bool endAllowed = false) const
    {
        const qint64 offset = qint64(address) - qint64(Bank2Base);
        const qint64 limit = endAllowed ? m_bytes.size() : m_bytes.size() - 1;
        if (offset < m_textStart || offset > limit)
            throw refused(Bank2FileName,
                QStringLiteral("the address %1 of %2 lies outside the text area").arg(hexText(address), what));
        return offset;
    }

    // A text of `length` bytes at `address` followed by its terminator.
    QByteArray counted(quint32 address, quint32 length, const QString &what) const
    {
        if (length == 0)
            return {};
        const qint64 at = offsetOf(address, what);
        if (at + qint64(length) >= m_bytes.size() || m_bytes.at(at + length) != '\0')
            throw refused(Bank2FileName,
                QStringLiteral("%1 at %2 does not end where its length says").arg(what, hexText(address)));
        const QByteArray text = m_bytes.mid(at, length);
        if (text.contains('\0'))
            throw refused(Bank2FileName, QStringLiteral("%1 at %2 holds a zero byte").arg(what, hexText(address)));
        return text;
    }

    // A text at `address` up to its terminator; address 0 stands for the empty text.
    QByteArray terminated(quint32 address, const QString &what) const
    {
        if (address == 0)
            return {};
        const qint64 at = offsetOf(address, what);
        const qint64 end = m_bytes.indexOf('\0', at);
        if (end < 0)
            throw refused(Bank2FileName, QStringLiteral("%1 at %2 has no end").arg(what, hexText(address)));
        return m_bytes.mid(at, end - at);
    }

private:
    const QByteArray &m_bytes;
    qint64 m_textStart;
};

QString utf8Text(const QByteArray &bytes, const QString &what)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes)
        throw refused(Bank2FileName, QStringLiteral("%1 is not UTF-8 text").arg(what));
    if (!documentCanHold(text))
        throw refused(Bank2FileName, QStringLiteral("%1 holds a control character").arg(what));
    return text;
}

QString byteText(const QByteArray &bytes, const QString &what)
{
    const QString text = QString::fromLatin1(bytes);
    if (!documentCanHold(text))
        throw refused(Bank2FileName, QStringLiteral("%1 holds a control character").arg(what));
    return text;
}

// The shortest text that Text_To_Float reads back to the same float; "None" for 1.0.
QString factorText(float factor)
{
    if (std::bit_cast<quint32>(factor) == std::bit_cast<quint32>(1.0f))
        return QStringLiteral("None");
    if (!std::isfinite(factor))
        throw refused(Bank2FileName, QStringLiteral("a multiplication factor is not a finite number"));
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, factor);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString variableWhat(qsizetype index)
{
    return QStringLiteral("the name of variable %1").arg(index + 1);
}

struct Decoding
{
    DecodedImage result;
    bool withParGen = true;
};

void decodeBank1(const QByteArray &bank1, ParGenValues &v, Decoding &d)
{
    if (bank1.size() != ParamBlockSize)
        throw refused(Bank1FileName, QStringLiteral("%1 bytes long, not %2").arg(bank1.size()).arg(ParamBlockSize));
    quint32 sum = 0;
    for (qsizetype i = 0; i < param::Checksum; ++i)
        sum += quint8(bank1.at(i));
    const quint32 stored = get32(bank1, param::Checksum);
    if (stored != sum)
        throw refused(Bank1FileName,
            QStringLiteral("the checksum of the parameter block is %1, its bytes add up to %2")
                .arg(hexText(stored), hexText(sum)));

    using namespace param;
    const quint32 baud = get32(bank1, BaudTable + 4 * SlaveEntryA);
    // Every ParGen.xml sets a rate; an image without one was built without the document.
    if (baud == 0) {
        d.withParGen = false;
        return;
    }
    const auto byteAt = [&](int offset) { return QString::number(quint8(bank1.at(offset))); };
    QString *const ip[] = { &v.Ethernet_IP1, &v.Ethernet_IP2, &v.Ethernet_IP3, &v.Ethernet_IP4 };
    QString *const sm[] = { &v.Ethernet_SM1, &v.Ethernet_SM2, &v.Ethernet_SM3, &v.Ethernet_SM4 };
    QString *const gat[] = { &v.Ethernet_GAT1, &v.Ethernet_GAT2, &v.Ethernet_GAT3, &v.Ethernet_GAT4 };
    for (int i = 0; i < 4; ++i) {
        *ip[i] = byteAt(IpAddress + i);
        *sm[i] = byteAt(SubnetMask + i);
    }
    v.Ethernet_EN_GAT = get32(bank1, Gateway) != 0xFFFFFFFF;
    if (v.Ethernet_EN_GAT) {
        for (int i = 0; i < 4; ++i)
            *gat[i] = byteAt(Gateway + i);
    } else {
        d.result.defaulted << QStringLiteral("Gateway address: not in use, so it takes the default 192.168.0.1");
    }

    const quint8 serial = quint8(bank1.at(SerialFlags));
    v.MODBUS_SLAVE_SERIAL = (serial & SerialRS232) ? 0 : 1;
    v.MODBUS_SLAVE_READ_INPUT_REGISTER = !(serial & SerialNoInputRegister);

    v.MODBUS_SLAVE_BAUDRATE = -1;
    for (size_t i = 0; i < ParGenBaudrateItems.size(); ++i) {
        if (std::strtoul(ParGenBaudrateItems[i], nullptr, 10) == baud)
            v.MODBUS_SLAVE_BAUDRATE = int(i);
    }
    if (v.MODBUS_SLAVE_BAUDRATE < 0)
        throw refused(Bank1FileName, QStringLiteral("the baud rate %1 is not one of the list").arg(baud));
    // The list position as the document holds it; the compiler keeps its low 8 bits.
    v.MODBUS_SLAVE_PARITY = quint8(bank1.at(ParityTable + SlaveEntryA));
    const quint8 stop = quint8(bank1.at(StopBitTable + SlaveEntryA));
    // The device counts two stop bits as 2, which the document holds as position 1.
    v.MODBUS_SLAVE_STOPBITS = stop == 2 ? 1 : stop == 1 ? 257 : stop;
    v.MODBUS_SLAVE_IDDEVICE = QString::number(get32(bank1, ModbusAddress));
    d.result.defaulted << QStringLiteral("Ethernet DNS address, TCP and UDP ports: not in the image, defaults");
}

void decodeBank2(const QByteArray &bank2, ParGenValues &v, Decoding &d)
{
    if (bank2.size() < Bank2HeaderSize + 1 || bank2.size() > Bank2MaxSize)
        throw refused(Bank2FileName,
            QStringLiteral("%1 bytes long, not between %2 and %3")
                .arg(bank2.size())
                .arg(Bank2HeaderSize + 1)
                .arg(Bank2MaxSize));
    const quint32 known = get32(bank2, 34);
    const quint32 vars = get32(bank2, 46);
    const qint64 textStart
        = qint64(Bank2HeaderSize) + qint64(KnownCertEntrySize) * known + qint64(VariableEntrySize) * vars + 1;
    if (textStart > bank2.size())
        throw refused(Bank2FileName,
            QStringLiteral("%1 known certificates and %2 variables do not fit in %3 bytes")
                .arg(known)
                .arg(vars)
                .arg(bank2.size()));
    const Bank2Reader reader(bank2, textStart);

    v.IEC61850_Server_Port = QString::number(get16(bank2, 0));
    const quint32 tls = get32(bank2, 2);
    if (tls > 1)
        throw refused(Bank2FileName, QStringLiteral("TLS is neither on nor off (%1)").arg(tls));
    v.TLS_Server_Enable = tls == 1;
    v.TLS_Server_Key = utf8Text(
        reader.counted(get32(bank2, 6), get32(bank2, 10), QStringLiteral("the key")), QStringLiteral("the key"));
    v.TLS_Server_Key_Password = utf8Text(
        reader.terminated(get32(bank2, 14), QStringLiteral("the key password")), QStringLiteral("the key password"));
    v.TLS_Server_Server_Certificate
        = utf8Text(reader.counted(get32(bank2, 18), get32(bank2, 22), QStringLiteral("the server certificate")),
            QStringLiteral("the server certificate"));
    v.TLS_Server_Root_Certificate
        = utf8Text(reader.counted(get32(bank2, 26), get32(bank2, 30), QStringLiteral("the root certificate")),
            QStringLiteral("the root certificate"));
    v.IEC61850_Server_Password
        = byteText(reader.terminated(get32(bank2, 42), QStringLiteral("the password")), QStringLiteral("the password"));
    // Only a list with entries shows that the restriction was on.
    v.TLS_Server_Enable_Known_Cert = known > 0;

    qint64 entry = Bank2HeaderSize;
    for (quint32 i = 0; i < known; ++i, entry += KnownCertEntrySize) {
        const QString what = QStringLiteral("known certificate %1").arg(i + 1);
        KnownCertRow &row = d.result.content.knownCerts.emplace_back();
        row.Certificate = utf8Text(reader.counted(get32(bank2, entry), get32(bank2, entry + 4), what), what);
    }

    // An empty name takes the address of the next text, so a name ends where the next one begins.
    QList<qint64> nameAt;
    for (quint32 i = 0; i < vars; ++i)
        nameAt << reader.offsetOf(get32(bank2, entry + qint64(VariableEntrySize) * i), variableWhat(i), true);
    for (quint32 i = 0; i < vars; ++i, entry += VariableEntrySize) {
        VariableRow &row = d.result.content.variables.emplace_back();
        const qint64 next = i + 1 < vars ? nameAt[i + 1] : bank2.size();
        if (nameAt[i] != next) {
            const quint32 address = get32(bank2, entry);
            row.Name = byteText(reader.terminated(address, variableWhat(i)), variableWhat(i));
        }
        const quint32 type = get32(bank2, entry + 4);
        const quint32 position = get32(bank2, entry + 8);
        const quint32 startBit = get32(bank2, entry + 12);
        const quint32 length = get32(bank2, entry + 16);
        const quint32 readOnly = get32(bank2, entry + 20);
        const float factor = std::bit_cast<float>(get32(bank2, entry + 24));
        const quint16 operation = get16(bank2, entry + 28);
        const quint16 options = get16(bank2, entry + 30);
        switch (type) {
        case DataTypeDigital:
            row.Type = QStringLiteral("Digital (Bit)");
            break;
        case DataTypeFloat:
            row.Type = QStringLiteral("Float");
            break;
        case DataTypeInteger:
            row.Type = QStringLiteral("Int");
            break;
        default:
            throw refused(Bank2FileName, QStringLiteral("variable %1 has the unknown type %2").arg(i + 1).arg(type));
        }
        row.Length = QString::number(length);
        row.ReadOnly = readOnly == 1 ? QStringLiteral("Y") : QStringLiteral("N");
        row.Position = QString::number(position);
        // The editor leaves Start Bit empty for types that do not use it; both compile to 0.
        row.StartBit = (startBit == 0 && type != DataTypeDigital) ? QString() : QString::number(startBit);
        static const char *const conversions[] = { "None", "Int to Float", "Float to Int" };
        if (operation > 2)
            throw refused(
                Bank2FileName, QStringLiteral("variable %1 has the unknown conversion %2").arg(i + 1).arg(operation));
        row.Conversion = QString::fromLatin1(conversions[operation]);
        row.MultiplicationFactor = factorText(factor);
        row.Swap = (options & OptionSwap) ? QStringLiteral("Y") : QStringLiteral("N");
        row.SwapWord = (options & OptionSwapWord) ? QStringLiteral("Y") : QStringLiteral("N");
        if (row.Name.trimmed().isEmpty())
            d.result.defaulted
                << QStringLiteral("Variable %1 has no name: the editor ends the list before it").arg(i + 1);
    }
}

} // namespace

DecodedImage decodeImages(const QByteArray &bank1, const QByteArray &bank2)
{
    Decoding d;
    ParGenValues values;
    decodeBank1(bank1, values, d);
    decodeBank2(bank2, values, d);
    ProjectContent &content = d.result.content;
    if (d.withParGen)
        content.parGen = values;
    else
        d.result.defaulted.prepend(QStringLiteral("Communication parameters: the image was built without "
                                                  "ParGen.xml, so none is written"));

    if (!content.variables.isEmpty())
        d.result.defaulted << QStringLiteral("Mnemonics of the variables: empty");
    if (!content.knownCerts.isEmpty())
        d.result.defaulted << QStringLiteral("Mnemonics of the known certificates: empty");
    else if (d.withParGen && values.TLS_Server_Enable)
        d.result.defaulted << QStringLiteral(
            "Known certificates: none in the image, so the restriction to them is off");
    else
        d.result.defaulted << QStringLiteral("Known certificates: only in the image while TLS and the restriction "
                                             "to them are on; none written");
    if (content.variables.size() > VariableListCapacity)
        d.result.defaulted
            << QStringLiteral("Variables beyond %1: the editor does not show them").arg(VariableListCapacity);
    d.result.defaulted << QStringLiteral("Disabled variables and certificates: not in the image, none written");
    d.result.defaulted << QStringLiteral("Texts of numbers and choices: written as the editors write them");

    // The documents must compile to the very bytes decoded; otherwise the image holds something
    // that the decoding does not account for.
    ImageCompiler compiler;
    const Images again = compiler.Compile_Bin(documentBytes(content));
    const auto differ = [](const char *file, const QByteArray &given, const QByteArray &built) {
        qsizetype at = 0;
        while (at < given.size() && at < built.size() && given.at(at) == built.at(at))
            ++at;
        return refused(
            file, QStringLiteral("the byte at offset %1 holds what the configurator does not write").arg(hexText(at)));
    };
    if (again.bank1 != bank1)
        throw differ(Bank1FileName, bank1, again.bank1);
    if (again.bank2 != bank2)
        throw differ(Bank2FileName, bank2, again.bank2);
    return d.result;
}

DocumentBytes documentBytes(const ProjectContent &content)
{
    DocumentBytes bytes;
    if (content.parGen)
        bytes.parGen = parGenDocument(*content.parGen);
    bytes.variables = variablesDocument(content.variables);
    bytes.knownCerts = knownCertDocument(content.knownCerts);
    return bytes;
}

DecodedImage decodeImageFolder(const QString &folder)
{
    const QDir dir(folder);
    const QByteArray bank1 = files::readFileBytes(dir.filePath(QString::fromLatin1(Bank1FileName)), ParamBlockSize);
    const QByteArray bank2 = files::readFileBytes(dir.filePath(QString::fromLatin1(Bank2FileName)), Bank2MaxSize);
    return decodeImages(bank1, bank2);
}

bool isImageFolder(const QString &folder)
{
    const QDir dir(folder);
    return QFileInfo::exists(dir.filePath(QString::fromLatin1(Bank1FileName)))
        && QFileInfo::exists(dir.filePath(QString::fromLatin1(Bank2FileName)));
}

ProjectContent readProjectContent(const QString &folder)
{
    const ProjectDocuments docs = projectDocuments(folder);
    ProjectContent content;
    if (QFileInfo::exists(docs.parGen))
        content.parGen = readParGenFile(docs.parGen);
    content.variables = cutAtBlankName(readVariablesFile(docs.variables));
    content.knownCerts = cutAtBlankCertificate(readKnownCertFile(docs.knownCerts));
    return content;
}

void writeProjectContent(const QString &folder, const ProjectContent &content)
{
    const QDir dir(folder);
    if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        throw Error(QStringLiteral("\"%1\" is not empty").arg(QDir::toNativeSeparators(folder)));
    if (!QDir().mkpath(imageFolder(folder)))
        throw Error(QStringLiteral("Cannot create \"%1\"").arg(QDir::toNativeSeparators(folder)));
    const ProjectDocuments docs = projectDocuments(folder);
    if (content.parGen)
        writeParGenFile(docs.parGen, *content.parGen);
    writeVariablesFile(docs.variables, content.variables);
    writeKnownCertFile(docs.knownCerts, content.knownCerts);
}

} // namespace sw::image

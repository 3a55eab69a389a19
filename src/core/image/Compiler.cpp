#include "core/image/Compiler.h"

#include "core/Error.h"
#include "core/documents/ParGenDocument.h"
#include "core/files/AtomicFile.h"
#include "core/files/ProjectLock.h"
#include "core/files/SaveTogether.h"
#include "core/text/Decimal.h"
#include "core/xml/Xml.h"

#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <pugixml.hpp>

namespace sw::image {

namespace {

// The integer items of ParGen.xml use the same value for a missing element and for a text that is
// not an integer. Narrower fields keep the low bits of the value.
qint64 integerItem(pugi::xml_node root, const char *name, qint64 fallback)
{
    const std::optional<QString> text = xml::childText(root, name);
    if (!text)
        return fallback;
    return toInteger(*text).value_or(fallback);
}

QString textItem(pugi::xml_node root, const char *name)
{
    return xml::childText(root, name).value_or(QString());
}

// True when the element exists, holds a single text and that text is exactly `expected`.
bool exactItem(pugi::xml_node root, const char *name, QLatin1StringView expected)
{
    const std::optional<QString> text = xml::childText(root, name);
    return text && *text == expected;
}

bool exactAttribute(pugi::xml_node node, const char *name, const char *expected)
{
    const pugi::xml_attribute attr = node.attribute(name);
    return attr && std::strcmp(attr.value(), expected) == 0;
}

quint32 utf8Length(const QString &text)
{
    return static_cast<quint32>(text.toUtf8().size()) + 1;
}

// The rate at a position of the editor's list, which is the one table of rates.
quint32 baudRate(qint64 index)
{
    if (index < 0 || index >= qint64(ParGenBaudrateItems.size()))
        return 9600;
    return static_cast<quint32>(std::strtoul(ParGenBaudrateItems[size_t(index)], nullptr, 10));
}

bool documentExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

// Loads the document at `path` into `doc`; false when there is none. One that cannot be read throws.
bool loadDocument(pugi::xml_document &doc, const QString &path)
{
    if (!documentExists(path))
        return false;
    xml::loadFile(doc, path);
    return true;
}

// The same for a document held in memory under the file name `name`.
bool loadDocument(pugi::xml_document &doc, const std::optional<QByteArray> &bytes, const char *name)
{
    if (!bytes)
        return false;
    if (const auto problem = xml::loadBytes(doc, *bytes))
        throw Error(
            QStringLiteral("\"%1\" is not a well-formed XML document: %2").arg(QLatin1StringView(name), *problem));
    return true;
}

// Calls `visit` for each child element of the list document's root, in document order; a missing
// document (nullptr) has none.
template <class Visitor> void forEachElement(const pugi::xml_document *doc, Visitor &&visit)
{
    if (!doc)
        return;
    const pugi::xml_node root = xml::rootElement(*doc);
    for (pugi::xml_node row = root.first_child(); row; row = row.next_sibling()) {
        if (row.type() == pugi::node_element)
            visit(row);
    }
}

// The same for the elements whose Enable is exactly "Y".
template <class Visitor> void forEachEnabledRow(const pugi::xml_document *doc, Visitor &&visit)
{
    forEachElement(doc, [&](pugi::xml_node row) {
        if (exactAttribute(row, "Enable", "Y"))
            visit(row);
    });
}

QList<ImageVariableRow> imageVariableRows(const pugi::xml_document *doc)
{
    QList<ImageVariableRow> rows;
    int number = 0;
    forEachElement(doc, [&](pugi::xml_node row) {
        ++number;
        if (!exactAttribute(row, "Enable", "Y"))
            return;
        ImageVariableRow &taken = rows.emplace_back();
        taken.row = number;
        for (const VariableAttribute &a : VariableAttributes)
            taken.text.*a.member = QString::fromUtf8(row.attribute(a.name).value());
    });
    return rows;
}

} // namespace

Images ImageCompiler::Compile_Bin(const ProjectDocuments &docs)
{
    pugi::xml_document parGen, variables, knownCerts;
    const bool withParGen = loadDocument(parGen, docs.parGen);
    const bool withVariables = loadDocument(variables, docs.variables);
    const bool withKnownCerts = loadDocument(knownCerts, docs.knownCerts);
    return compile(
        withParGen ? &parGen : nullptr, withVariables ? &variables : nullptr, withKnownCerts ? &knownCerts : nullptr);
}

Images ImageCompiler::Compile_Bin(const DocumentBytes &docs)
{
    pugi::xml_document parGen, variables, knownCerts;
    const bool withParGen = loadDocument(parGen, docs.parGen, ParGenFileName);
    const bool withVariables = loadDocument(variables, docs.variables, VariablesFileName);
    const bool withKnownCerts = loadDocument(knownCerts, docs.knownCerts, KnownCertFileName);
    return compile(
        withParGen ? &parGen : nullptr, withVariables ? &variables : nullptr, withKnownCerts ? &knownCerts : nullptr);
}

Images ImageCompiler::compile(
    const pugi::xml_document *parGen, const pugi::xml_document *variables, const pugi::xml_document *knownCerts)
{
    Set_Default_Parameters(Param_Block);
    Clear_IEC61850();
    Read_ParGen(parGen);
    Read_IEC61850_Variables(variables);
    Read_TLS_Known_Cert(knownCerts);
    Param_Block.put32(param::Bank2Address, Bank2Base);

    Images images;
    images.bank2 = Build_Bank2(Bank2Base, IEC61850);
    images.bank1 = Build_Bank1(Param_Block);
    return images;
}

void ImageCompiler::Clear_IEC61850()
{
    IEC61850 = TIEC61850();
    IEC61850.port = 102;
}

void ImageCompiler::Read_ParGen(const pugi::xml_document *doc)
{
    if (!doc)
        return;
    const pugi::xml_node root = xml::rootElement(*doc);
    TTLS_Bank &tls = IEC61850.TLS_Data;

    IEC61850.port = static_cast<quint16>(integerItem(root, "IEC61850_Server_Port", 102));
    IEC61850.Password = textItem(root, "IEC61850_Server_Password");
    IEC61850.TLS_Enable = static_cast<quint32>(integerItem(root, "TLS_Server_Enable", 0));
    tls.key = textItem(root, "TLS_Server_Key");
    tls.Key_Length = utf8Length(tls.key);
    tls.Key_Password = textItem(root, "TLS_Server_Key_Password");
    tls.Server_Cert.Certificate = textItem(root, "TLS_Server_Server_Certificate");
    tls.Server_Cert.Certificate_Length = utf8Length(tls.Server_Cert.Certificate);
    tls.Root_Cert.Certificate = textItem(root, "TLS_Server_Root_Certificate");
    tls.Root_Cert.Certificate_Length = utf8Length(tls.Root_Cert.Certificate);
    tls.Known_Cert_En = static_cast<quint32>(integerItem(root, "TLS_Server_Enable_Known_Cert", 0));

    using namespace param;
    struct Quad
    {
        int offset;
        const char *names[4];
        qint64 defaults[4];
    };
    static const Quad quads[] = {
        { IpAddress, { "Ethernet_IP1", "Ethernet_IP2", "Ethernet_IP3", "Ethernet_IP4" }, { 192, 168, 0, 10 } },
        { SubnetMask, { "Ethernet_SM1", "Ethernet_SM2", "Ethernet_SM3", "Ethernet_SM4" }, { 255, 255, 255, 0 } },
        { Gateway, { "Ethernet_GAT1", "Ethernet_GAT2", "Ethernet_GAT3", "Ethernet_GAT4" }, { 192, 168, 0, 1 } },
    };
    for (const Quad &quad : quads) {
        for (int i = 0; i < 4; ++i)
            Param_Block.put8(quad.offset + i, static_cast<quint8>(integerItem(root, quad.names[i], quad.defaults[i])));
    }
    // Without "1" exactly the device gets no gateway, whatever the four bytes hold.
    if (!exactItem(root, "Ethernet_EN_GAT", QLatin1StringView("1"))) {
        for (int i = 0; i < 4; ++i)
            Param_Block.put8(Gateway + i, 255);
    }

    Param_Block.put8(SerialFlags, exactItem(root, "MODBUS_SLAVE_SERIAL", QLatin1StringView("0")) ? SerialRS232 : 0);

    const quint32 baud = baudRate(integerItem(root, "MODBUS_SLAVE_BAUDRATE", 7));
    Param_Block.put32(BaudTable + 4 * SlaveEntryA, baud);
    Param_Block.put32(BaudTable + 4 * SlaveEntryB, baud);

    const auto parity = static_cast<quint8>(integerItem(root, "MODBUS_SLAVE_PARITY", 0));
    Param_Block.put8(ParityTable + SlaveEntryA, parity);
    Param_Block.put8(ParityTable + SlaveEntryB, parity);

    // The device counts stop bits as 0 (one) or 2 (two); the document holds the list index.
    qint64 stopBits = integerItem(root, "MODBUS_SLAVE_STOPBITS", 0);
    if (stopBits == 1)
        stopBits = 2;
    Param_Block.put8(StopBitTable + SlaveEntryA, static_cast<quint8>(stopBits));
    Param_Block.put8(StopBitTable + SlaveEntryB, static_cast<quint8>(stopBits));
    Param_Block.put8(DataBitTable + SlaveEntryA, 8);
    Param_Block.put8(DataBitTable + SlaveEntryB, 8);

    Param_Block.put32(ModbusAddress, static_cast<quint32>(integerItem(root, "MODBUS_SLAVE_IDDEVICE", 10)));

    if (exactItem(root, "MODBUS_SLAVE_READ_INPUT_REGISTER", QLatin1StringView("0")))
        Param_Block.put8(SerialFlags, Param_Block.get8(SerialFlags) | SerialNoInputRegister);
}

QList<ImageVariableRow> imageVariableRows(const QString &path)
{
    pugi::xml_document doc;
    return imageVariableRows(loadDocument(doc, path) ? &doc : nullptr);
}

std::optional<quint32> knownDataType(const QString &type)
{
    const QString folded = type.trimmed().toUpper();
    if (folded == QLatin1StringView("INT"))
        return DataTypeInteger;
    if (folded == QLatin1StringView("FLOAT"))
        return DataTypeFloat;
    if (folded == QLatin1StringView("DIGITAL (BIT)"))
        return DataTypeDigital;
    return std::nullopt;
}

void ImageCompiler::Read_IEC61850_Variables(const pugi::xml_document *doc)
{
    IEC61850.Var_Number = 0;
    // Surrounding blanks removed and letters upper-cased: a missing attribute reads as empty.
    const auto folded = [](const QString &text) { return text.trimmed().toUpper(); };
    const auto integer = [](const QString &text) { return static_cast<quint32>(toInteger(text).value_or(0)); };
    for (const ImageVariableRow &taken : imageVariableRows(doc)) {
        const VariableRow &row = taken.text;
        TIEC61850_Var &var = IEC61850.Variables.emplace_back();
        var.Name = row.Name;

        var.Data_Type = knownDataType(row.Type).value_or(DataTypeInteger);

        var.Length = integer(row.Length);
        if (var.Data_Type == DataTypeDigital)
            var.Length = 1;
        var.Read_Only = folded(row.ReadOnly) == QLatin1StringView("Y") ? 1 : 0;
        var.Position = integer(row.Position);
        var.Start_Bit = integer(row.StartBit);

        const QString conversion = folded(row.Conversion);
        if (conversion == QLatin1StringView("INT TO FLOAT"))
            var.Operation = 1;
        else if (conversion == QLatin1StringView("FLOAT TO INT"))
            var.Operation = 2;
        else
            var.Operation = 0;

        var.Multiplication_Factor = 1.0f;
        const QString factor = folded(row.MultiplicationFactor);
        if (!factor.isEmpty() && factor != QLatin1StringView("NONE"))
            Text_To_Float(factor, var.Multiplication_Factor); // 1.0 when it does not convert

        var.Options = 0;
        if (row.Swap == QLatin1StringView("Y"))
            var.Options |= OptionSwap;
        if (row.SwapWord == QLatin1StringView("Y"))
            var.Options |= OptionSwapWord;

        ++IEC61850.Var_Number;
    }
}

void ImageCompiler::Read_TLS_Known_Cert(const pugi::xml_document *doc)
{
    TTLS_Bank &tls = IEC61850.TLS_Data;
    tls.Known_Cert_Num = 0;
    forEachEnabledRow(doc, [&](pugi::xml_node row) {
        TTLS_Certificate &cert = tls.Known_Cert.emplace_back();
        if (const pugi::xml_attribute text = row.attribute("Certificate"))
            cert.Certificate = QString::fromUtf8(text.value());
        cert.Certificate_Length = utf8Length(cert.Certificate);
        ++tls.Known_Cert_Num;
    });
}

void Save_Bin(const QString &binFolder, const Images &images)
{
    const QString bank1 = QString::fromLatin1(Bank1FileName);
    // Another writer of the same configuration would interleave its pair with this one.
    const files::ProjectLock lock(QFileInfo(binFolder).absolutePath(), QDir(binFolder).filePath(bank1));
    // An updater started by hand must never find a new bank1.bin beside an earlier bank2.bin.
    files::saveTogether(binFolder, { { bank1, images.bank1 }, { QString::fromLatin1(Bank2FileName), images.bank2 } });
}

} // namespace sw::image

#include "core/documents/ParGenDocument.h"

#include "core/files/AtomicFile.h"
#include "core/files/ProjectLock.h"
#include "core/text/Decimal.h"
#include "core/xml/Xml.h"

#include <QFileInfo>

namespace sw {

namespace {

constexpr char RootName[] = "Par_Gen";

// How a flag element's text turns into on/off.
enum class FlagRule {
    Integer, // on when the text reads as the integer 1; text that is no integer keeps the default
    Exact, // on only for the exact text "1"; any other text, empty included, is off
};

// Visits the 34 elements in document order; reader and writer share this one list, so the order
// and the names cannot drift apart.
template <class Values, class Visitor> void forEachElement(Values &v, Visitor &&visit)
{
    visit.text("IEC61850_Server_Port", v.IEC61850_Server_Port);
    visit.text("IEC61850_Server_Password", v.IEC61850_Server_Password);
    visit.flag("TLS_Server_Enable", v.TLS_Server_Enable, FlagRule::Integer);
    visit.text("TLS_Server_Key", v.TLS_Server_Key);
    visit.text("TLS_Server_Key_Password", v.TLS_Server_Key_Password);
    visit.text("TLS_Server_Server_Certificate", v.TLS_Server_Server_Certificate);
    visit.text("TLS_Server_Root_Certificate", v.TLS_Server_Root_Certificate);
    visit.flag("TLS_Server_Enable_Known_Cert", v.TLS_Server_Enable_Known_Cert, FlagRule::Integer);
    visit.text("Ethernet_IP1", v.Ethernet_IP1);
    visit.text("Ethernet_IP2", v.Ethernet_IP2);
    visit.text("Ethernet_IP3", v.Ethernet_IP3);
    visit.text("Ethernet_IP4", v.Ethernet_IP4);
    visit.text("Ethernet_SM1", v.Ethernet_SM1);
    visit.text("Ethernet_SM2", v.Ethernet_SM2);
    visit.text("Ethernet_SM3", v.Ethernet_SM3);
    visit.text("Ethernet_SM4", v.Ethernet_SM4);
    visit.text("Ethernet_GAT1", v.Ethernet_GAT1);
    visit.text("Ethernet_GAT2", v.Ethernet_GAT2);
    visit.text("Ethernet_GAT3", v.Ethernet_GAT3);
    visit.text("Ethernet_GAT4", v.Ethernet_GAT4);
    visit.flag("Ethernet_EN_GAT", v.Ethernet_EN_GAT, FlagRule::Exact);
    visit.text("Ethernet_DNS1", v.Ethernet_DNS1);
    visit.text("Ethernet_DNS2", v.Ethernet_DNS2);
    visit.text("Ethernet_DNS3", v.Ethernet_DNS3);
    visit.text("Ethernet_DNS4", v.Ethernet_DNS4);
    visit.flag("Ethernet_EN_DNS", v.Ethernet_EN_DNS, FlagRule::Exact);
    visit.text("Ethernet_TCP_Port", v.Ethernet_TCP_Port);
    visit.text("Ethernet_UDP_Port", v.Ethernet_UDP_Port);
    visit.index("MODBUS_SLAVE_SERIAL", v.MODBUS_SLAVE_SERIAL, int(ParGenSerialItems.size()));
    visit.index("MODBUS_SLAVE_BAUDRATE", v.MODBUS_SLAVE_BAUDRATE, int(ParGenBaudrateItems.size()));
    visit.index("MODBUS_SLAVE_PARITY", v.MODBUS_SLAVE_PARITY, int(ParGenParityItems.size()));
    visit.index("MODBUS_SLAVE_STOPBITS", v.MODBUS_SLAVE_STOPBITS, int(ParGenStopBitsItems.size()));
    visit.text("MODBUS_SLAVE_IDDEVICE", v.MODBUS_SLAVE_IDDEVICE);
    visit.flag("MODBUS_SLAVE_READ_INPUT_REGISTER", v.MODBUS_SLAVE_READ_INPUT_REGISTER, FlagRule::Exact);
}

// Overwrites a value only when its element can be read; otherwise the default already in place stays.
struct Reader
{
    pugi::xml_node root;

    void text(const char *name, QString &value) const
    {
        if (const auto t = xml::childText(root, name))
            value = *t;
    }
    void flag(const char *name, bool &value, FlagRule rule) const
    {
        const auto t = xml::childText(root, name);
        if (!t)
            return;
        if (rule == FlagRule::Exact) {
            value = (*t == u"1");
        } else if (const auto n = toInteger(*t)) {
            value = (*n == 1);
        }
    }
    void index(const char *name, int &value, int count) const
    {
        const auto t = xml::childText(root, name);
        if (!t)
            return;
        // Outside its list the position names no item; the default position stands instead.
        if (const auto n = toInteger(*t); n && *n >= 0 && *n < count)
            value = int(*n);
    }
};

struct Writer
{
    pugi::xml_node root;

    void text(const char *name, const QString &value) const { xml::appendTextElement(root, name, value); }
    void flag(const char *name, bool value, FlagRule) const
    {
        xml::appendTextElement(root, name, value ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void index(const char *name, int value, int) const { xml::appendTextElement(root, name, QString::number(value)); }
};

} // namespace

ParGenValues readParGenFile(const QString &path)
{
    ParGenValues values;
    if (!QFileInfo::exists(path))
        return values;
    pugi::xml_document doc;
    xml::loadFile(doc, path);
    forEachElement(values, Reader { xml::rootElement(doc) });
    return values;
}

QByteArray parGenDocument(const ParGenValues &values)
{
    pugi::xml_document doc;
    const pugi::xml_node root = xml::resetWithRoot(doc, RootName, true);
    forEachElement(values, Writer { root });
    return xml::toBytes(doc);
}

void writeParGenFile(const QString &path, const ParGenValues &values)
{
    const files::ProjectLock lock(QFileInfo(path).absolutePath(), path);
    files::saveBuilt(path, [&] { return parGenDocument(values); });
}

} // namespace sw

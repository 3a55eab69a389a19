#include "core/image/Comparison.h"

#include "core/text/Excerpt.h"

#include <functional>

namespace sw::image {

namespace {

QString shown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(empty)") : excerpt(text);
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

template <size_t N> QString item(const std::array<const char *, N> &items, int index)
{
    return index >= 0 && size_t(index) < N ? QString::fromUtf8(items[size_t(index)]) : QString::number(index);
}

QString dotted(const QString &a, const QString &b, const QString &c, const QString &d)
{
    return QStringList { a, b, c, d }.join(u'.');
}

// A parameter as the comparison shows it; secret texts only say whether they are set, long
// texts only that they changed.
enum class Shown { Plain, Secret, Long };

struct Parameter
{
    const char *label;
    std::function<QString(const ParGenValues &)> value;
    Shown shown = Shown::Plain;
};

const QList<Parameter> &parameters()
{
    using V = ParGenValues;
    static const QList<Parameter> list = {
        { "IEC 61850 server port", [](const V &v) { return shown(v.IEC61850_Server_Port); } },
        { "IEC 61850 server password", [](const V &v) { return v.IEC61850_Server_Password; }, Shown::Secret },
        { "TLS", [](const V &v) { return onOff(v.TLS_Server_Enable); } },
        { "TLS key", [](const V &v) { return v.TLS_Server_Key; }, Shown::Long },
        { "TLS key password", [](const V &v) { return v.TLS_Server_Key_Password; }, Shown::Secret },
        { "TLS server certificate", [](const V &v) { return v.TLS_Server_Server_Certificate; }, Shown::Long },
        { "TLS root certificate", [](const V &v) { return v.TLS_Server_Root_Certificate; }, Shown::Long },
        { "Only known certificates", [](const V &v) { return onOff(v.TLS_Server_Enable_Known_Cert); } },
        { "IP address",
            [](const V &v) { return shown(dotted(v.Ethernet_IP1, v.Ethernet_IP2, v.Ethernet_IP3, v.Ethernet_IP4)); } },
        { "Subnet mask",
            [](const V &v) { return shown(dotted(v.Ethernet_SM1, v.Ethernet_SM2, v.Ethernet_SM3, v.Ethernet_SM4)); } },
        { "Gateway in use", [](const V &v) { return onOff(v.Ethernet_EN_GAT); } },
        { "Gateway",
            [](const V &v) {
                return shown(dotted(v.Ethernet_GAT1, v.Ethernet_GAT2, v.Ethernet_GAT3, v.Ethernet_GAT4));
            } },
        { "DNS server",
            [](const V &v) {
                return shown(dotted(v.Ethernet_DNS1, v.Ethernet_DNS2, v.Ethernet_DNS3, v.Ethernet_DNS4));
            } },
        { "DNS in use", [](const V &v) { return onOff(v.Ethernet_EN_DNS); } },
        { "Ethernet TCP port", [](const V &v) { return shown(v.Ethernet_TCP_Port); } },
        { "Ethernet UDP port", [](const V &v) { return shown(v.Ethernet_UDP_Port); } },
        { "Modbus interface", [](const V &v) { return item(ParGenSerialItems, v.MODBUS_SLAVE_SERIAL); } },
        { "Modbus baud rate", [](const V &v) { return item(ParGenBaudrateItems, v.MODBUS_SLAVE_BAUDRATE); } },
        { "Modbus parity", [](const V &v) { return item(ParGenParityItems, v.MODBUS_SLAVE_PARITY); } },
        { "Modbus stop bits", [](const V &v) { return item(ParGenStopBitsItems, v.MODBUS_SLAVE_STOPBITS); } },
        { "Modbus device address", [](const V &v) { return shown(v.MODBUS_SLAVE_IDDEVICE); } },
        { "Modbus read with Input Register / Status functions",
            [](const V &v) { return onOff(v.MODBUS_SLAVE_READ_INPUT_REGISTER); } },
    };
    return list;
}

QString change(const QString &from, const QString &to, Shown how)
{
    switch (how) {
    case Shown::Plain:
        return QStringLiteral("%1 -> %2").arg(from, to);
    case Shown::Secret:
    case Shown::Long:
        if (from.isEmpty() != to.isEmpty())
            return from.isEmpty() ? QStringLiteral("not set -> set") : QStringLiteral("set -> not set");
        return QStringLiteral("changed");
    }
    return {};
}

void compareParameters(const ParGenValues &a, const ParGenValues &b, QStringList &out)
{
    for (const Parameter &p : parameters()) {
        const QString from = p.value(a);
        const QString to = p.value(b);
        if (from != to)
            out << QStringLiteral("%1: %2").arg(QLatin1StringView(p.label), change(from, to, p.shown));
    }
}

// The column headers of the variable table, in attribute order.
constexpr const char *VariableLabels[] = { "Enable", "Name", "Type", "Length", "Read Only", "Position", "Start Bit",
    "Conversion", "Molt. Factor", "Swap", "Swap Word", "Mnemonic" };

QString variableName(int number, const VariableRow &row)
{
    return QStringLiteral("variable %1 (%2)").arg(number).arg(excerpt(row.Name));
}

} // namespace

QStringList compareContent(const ProjectContent &a, const ProjectContent &b)
{
    QStringList out;
    if (a.parGen && b.parGen)
        compareParameters(*a.parGen, *b.parGen, out);
    else if (a.parGen || b.parGen)
        out << QStringLiteral("communication parameters: %1")
                   .arg(a.parGen ? QStringLiteral("ParGen.xml -> none") : QStringLiteral("none -> ParGen.xml"));

    const qsizetype vars = std::max(a.variables.size(), b.variables.size());
    for (qsizetype i = 0; i < vars; ++i) {
        const int number = int(i) + 1;
        if (i >= a.variables.size()) {
            out << variableName(number, b.variables[i]) + QStringLiteral(" added");
            continue;
        }
        if (i >= b.variables.size()) {
            out << variableName(number, a.variables[i]) + QStringLiteral(" removed");
            continue;
        }
        for (size_t k = 0; k < VariableAttributes.size(); ++k) {
            const QString &from = a.variables[i].*VariableAttributes[k].member;
            const QString &to = b.variables[i].*VariableAttributes[k].member;
            if (from != to)
                out << QStringLiteral("%1 %2: %3 -> %4")
                           .arg(variableName(number, a.variables[i]), QLatin1StringView(VariableLabels[k]), shown(from),
                               shown(to));
        }
    }

    const qsizetype certs = std::max(a.knownCerts.size(), b.knownCerts.size());
    for (qsizetype i = 0; i < certs; ++i) {
        const QString name = QStringLiteral("known certificate %1").arg(i + 1);
        if (i >= a.knownCerts.size()) {
            out << name + QStringLiteral(" added");
            continue;
        }
        if (i >= b.knownCerts.size()) {
            out << name + QStringLiteral(" removed");
            continue;
        }
        const KnownCertRow &from = a.knownCerts[i];
        const KnownCertRow &to = b.knownCerts[i];
        if (from.Enable != to.Enable)
            out << QStringLiteral("%1 Enable: %2 -> %3").arg(name, onOff(from.Enable), onOff(to.Enable));
        if (from.Certificate != to.Certificate)
            out << QStringLiteral("%1 Certificate: changed").arg(name);
        if (from.Mnemonic != to.Mnemonic)
            out << QStringLiteral("%1 Mnemonic: %2 -> %3").arg(name, shown(from.Mnemonic), shown(to.Mnemonic));
    }
    return out;
}

} // namespace sw::image

#include "UpdateFile.h"

#include "common/Hex.h"
#include "common/MemoryMap.h"

#include "core/ErrorText.h"
#include "core/Xml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>

namespace updater {

namespace {

using sw::tools::hex;
using sw::xml::childElement;
using sw::xml::childText;

QString required(pugi::xml_node parent, const char *name, const QString &where)
{
    const std::optional<QString> text = childText(parent, name);
    if (!text)
        throw FileError(QStringLiteral("%1: %2 is missing").arg(where, QLatin1String(name)));
    return *text;
}

FileError badValue(const QString &where, const char *name, const QString &value, const QString &expected)
{
    return FileError(QStringLiteral("%1: %2 is \"%3\", expected %4").arg(where, QLatin1String(name), value, expected));
}

// Four decimal numbers 0 to 255 joined by ".", nothing else.
QString ipv4(pugi::xml_node parent, const char *name, const QString &where)
{
    const QString text = required(parent, name, where);
    const QStringList parts = text.split(u'.');
    bool ok = parts.size() == 4;
    for (const QString &part : parts) {
        bool digits = !part.isEmpty() && part.size() <= 3;
        for (QChar c : part)
            digits = digits && c.isDigit() && c.unicode() < 128;
        ok = ok && digits && part.toInt() <= 255;
    }
    if (!ok)
        throw badValue(where, name, text, QStringLiteral("an IPv4 address such as 192.168.2.205"));
    return text;
}

quint16 port(const QString &text, const char *name, const QString &where)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        throw badValue(where, name, text, QStringLiteral("a port number from 1 to 65535"));
    return quint16(value);
}

bool flag(pugi::xml_node parent, const char *name, const QString &where)
{
    const QString text = required(parent, name, where);
    if (text != QLatin1String("0") && text != QLatin1String("1"))
        throw badValue(where, name, text, QStringLiteral("\"0\" or \"1\""));
    return text == QLatin1String("1");
}

// "bank1 0x07000-0x077FF, firmware 0x08000-0x7FFFF, bank2 0x80000-0xFFFFF"
QString regionList()
{
    QStringList regions;
    for (const sw::memory::Range &region : sw::memory::Regions)
        regions.append(QStringLiteral("%1 %2-%3").arg(QLatin1String(region.name), hex(region.first), hex(region.last)));
    return regions.join(QStringLiteral(", "));
}

Operation readOperation(pugi::xml_node node, const QString &where, const QString &deviceHost, quint16 bootPort)
{
    Operation op;
    const QString host = required(node, "Ope_IP_Address", where);
    op.host = host.isEmpty() ? deviceHost : ipv4(node, "Ope_IP_Address", where);
    const QString portText = required(node, "Ope_Port", where);
    op.port = portText.isEmpty() ? bootPort : port(portText, "Ope_Port", where);

    const QString address = required(node, "Ope_Start_Address", where);
    bool ok = address.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && address.size() > 2;
    const qulonglong value = ok ? address.mid(2).toULongLong(&ok, 16) : 0;
    if (!ok || value > 0xFFFFFFFF)
        throw badValue(where, "Ope_Start_Address", address, QStringLiteral("a hexadecimal address such as 0x80000"));
    op.startAddress = quint32(value);
    // The data may fill its region from the start address to the region's end, and no further.
    const sw::memory::Range *region = sw::memory::regionAt(op.startAddress);
    if (!region)
        throw FileError(QStringLiteral("%1: Ope_Start_Address %2 lies in none of the device's regions (%3)")
                            .arg(where, address, regionList()));
    const qint64 room = qint64(region->last - op.startAddress) + 1;

    op.readBack = flag(node, "Ope_Read_Back", where);
    op.goToAppAfter = flag(node, "Ope_GoToApp_After", where);

    op.fileName = QDir::fromNativeSeparators(required(node, "Ope_FileName", where));
    if (op.fileName.isEmpty())
        throw FileError(QStringLiteral("%1: Ope_FileName is empty").arg(where));
    QFile file(op.fileName);
    if (!QFileInfo(op.fileName).isFile() || !file.open(QIODevice::ReadOnly))
        throw FileError(
            QStringLiteral("%1: the data file \"%2\" cannot be read: %3")
                .arg(where, QDir::toNativeSeparators(op.fileName),
                    QFileInfo::exists(op.fileName) ? file.errorString() : QStringLiteral("it does not exist")));
    const auto tooLarge = [&](qint64 size) {
        return FileError(QStringLiteral("%1: the data file \"%2\" holds %3 bytes, more than the %4 bytes from %5 to "
                                        "the end of the %6 region at %7")
                             .arg(where, QDir::toNativeSeparators(op.fileName))
                             .arg(size)
                             .arg(room)
                             .arg(hex(op.startAddress), QLatin1String(region->name), hex(region->last)));
    };
    // Measured before reading, so that a huge file is never read; read with a bound in case it grew.
    if (file.size() > room)
        throw tooLarge(file.size());
    op.data = file.read(room + 1);
    if (op.data.size() > room)
        throw tooLarge(file.size());
    if (op.data.isEmpty())
        throw FileError(
            QStringLiteral("%1: the data file \"%2\" is empty").arg(where, QDir::toNativeSeparators(op.fileName)));
    return op;
}

} // namespace

QList<Operation> readUpdateFile(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (!QFileInfo::exists(path))
        throw FileError(
            QStringLiteral("%1 not found in %2").arg(name, QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    pugi::xml_document doc;
    try {
        sw::xml::loadFile(doc, path);
    } catch (const std::exception &e) {
        throw FileError(sw::errorText(e));
    }
    const pugi::xml_node root = sw::xml::firstTopLevel(doc);
    if (root.type() != pugi::node_element || QLatin1String(root.name()) != QLatin1String("Ethernet_Update"))
        throw FileError(QStringLiteral("%1: the root element is not Ethernet_Update").arg(name));

    const QString version = required(root, "Version", name);
    if (version != QLatin1String("1000"))
        throw badValue(name, "Version", version, QStringLiteral("\"1000\""));
    const QString deviceHost = ipv4(root, "IP_Address_Dev", name);
    const quint16 bootPort = port(required(root, "Boot_Port", name), "Boot_Port", name);

    const pugi::xml_node operations = childElement(root, "Operations");
    QList<Operation> result;
    for (pugi::xml_node node = operations.child("Operation"); node; node = node.next_sibling("Operation"))
        result.append(readOperation(
            node, QStringLiteral("%1: Operation %2").arg(name).arg(result.size() + 1), deviceHost, bootPort));
    if (result.isEmpty())
        throw FileError(QStringLiteral("%1: no Operation in Operations").arg(name));
    return result;
}

} // namespace updater

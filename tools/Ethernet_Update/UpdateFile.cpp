#include "UpdateFile.h"

#include "common/Hex.h"
#include "common/MemoryMap.h"

#include "core/Error.h"
#include "core/update/IpAddress.h"
#include "core/xml/Xml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

// Four decimal numbers 0 to 255 joined by ".", leading zeros allowed and decimal; given on in the
// usual form, since QHostAddress would read a part such as "010" as octal.
QString ipv4(pugi::xml_node parent, const char *name, const QString &where)
{
    const QString text = required(parent, name, where);
    const std::optional<quint32> address = sw::parseIpv4Address(text);
    if (!address)
        throw badValue(where, name, text, QStringLiteral("an IPv4 address such as 192.168.2.205"));
    return sw::ipv4AddressText(*address);
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

#ifdef Q_OS_UNIX
// What a file of this mode is, when it is no regular file; empty for a regular file.
QString notRegular(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("is a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("is a FIFO (named pipe), not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("is a device, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("is a socket, not a regular file");
    return QStringLiteral("is not a regular file");
}
#endif

// Opens the data file at `path` (a link followed) into `file`, or says why not: what it is when it
// is no regular file, which is never opened, since opening a FIFO waits for a writer and a device
// may never end.
QString openDataFile(QFile &file, const QString &path)
{
    const auto unreadable = [](const QString &reason) { return QStringLiteral("cannot be read: ") + reason; };
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(native.constData(), &status) != 0) {
        const int error = errno;
        if (error != ENOENT && error != ENOTDIR)
            return unreadable(qt_error_string(error));
        return ::lstat(native.constData(), &status) == 0 ? QStringLiteral("is a link whose target does not exist")
                                                         : QStringLiteral("does not exist");
    }
    if (const QString what = notRegular(status.st_mode); !what.isEmpty())
        return what;
    // Opened without waiting and looked at again: whatever took the file's place meanwhile is
    // refused as well.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return unreadable(qt_error_string(errno));
    const bool looked = ::fstat(fd, &status) == 0;
    const int error = errno;
    if (!looked || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return looked ? notRegular(status.st_mode) : unreadable(qt_error_string(error));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
#else
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? QStringLiteral("is a link whose target does not exist")
                                : QStringLiteral("does not exist");
    if (info.isDir())
        return QStringLiteral("is a folder, not a file");
    if (!info.isFile())
        return QStringLiteral("is not a regular file");
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    if (file.isSequential())
        return QStringLiteral("is not a regular file");
#endif
    return {};
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
    QFile file;
    if (const QString problem = openDataFile(file, op.fileName); !problem.isEmpty())
        throw FileError(
            QStringLiteral("%1: the data file \"%2\" %3").arg(where, QDir::toNativeSeparators(op.fileName), problem));
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
    const pugi::xml_node root = sw::xml::rootElement(doc);
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

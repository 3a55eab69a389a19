#include "core/update/UpdateParameters.h"

#include "core/documents/ProjectFiles.h"
#include "core/files/AtomicFile.h"
#include "core/files/Paths.h"
#include "core/xml/Xml.h"

#include <QDir>
#include <array>
#include <span>

namespace sw {

namespace {

constexpr char RootName[] = "Ethernet_Update";
constexpr char DevicePort[] = "10000";
constexpr char BootPort[] = "2008";
constexpr char BootPortSecondary[] = "2007";

// The three files an update can write, in the order they are written; indexes the value table.
enum Kind { Firmware, FirstImage, SecondImage, KindCount };

// Where an operation element takes its text from.
enum class Source {
    Fixed, // the table's text for the kind
    FileName, // the file that the operation writes
    ReadBack, // the Read Back choice
    LastOperation, // "1" on the last operation of the list, "0" before it
};

struct OperationElement
{
    const char *name;
    Source source;
    std::array<const char *, KindCount> fixed; // for Source::Fixed: firmware, first image, second image
};

// The twenty children of every Operation, in document order.
constexpr std::array<OperationElement, 20> OperationElements = { {
    { "Ope_Protection_Enabled", Source::Fixed, { "", "", "" } },
    { "Ope_GoToBoot_Before", Source::Fixed, { "0", "0", "0" } },
    { "Ope_GoToApp_Before", Source::Fixed, { "0", "0", "0" } },
    { "Ope_IP_Address", Source::Fixed, { "", "", "" } },
    { "Ope_Port", Source::Fixed, { BootPort, BootPort, BootPort } },
    { "Ope_Port_Sec", Source::Fixed, { BootPortSecondary, BootPortSecondary, BootPortSecondary } },
    { "Ope_Erase_Memory", Source::Fixed, { "0", "0", "0" } },
    { "Ope_FileName", Source::FileName, {} },
    { "Ope_Start_Address", Source::Fixed, { "0x8000", "0x07000", "0x80000" } },
    { "Ope_Memory_Type", Source::Fixed, { "0", "0", "0" } },
    { "Ope_Bank_Type", Source::Fixed, { "1", "2", "2" } },
    { "Ope_Read_Back", Source::ReadBack, {} },
    { "Ope_Write_CSS", Source::Fixed, { "1", "0", "0" } },
    { "Ope_Address_CSS", Source::Fixed, { "0x07A00", "0x07A00", "0x07A00" } },
    { "Ope_Command_CSS", Source::Fixed, { "0x02", "0x02", "0x02" } },
    { "Ope_Write_Internal_Data", Source::Fixed, { "0", "0", "0" } },
    { "Ope_WID_Address", Source::Fixed, { "0x07810", "0x07810", "0x07810" } },
    { "Ope_WID_Command", Source::Fixed, { "0x02", "0x02", "0x02" } },
    { "Ope_WID_Data", Source::Fixed, { "0x00, 0x00, 0x00, 0x01", "0x00, 0x00, 0x00, 0x01", "0x00, 0x00, 0x00, 0x01" } },
    { "Ope_GoToApp_After", Source::LastOperation, {} },
} };

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

void appendOperation(pugi::xml_node operations, Kind kind, const QString &fileName, bool readBack, bool last)
{
    const pugi::xml_node operation = operations.append_child("Operation");
    for (const OperationElement &element : OperationElements) {
        QString text;
        switch (element.source) {
        case Source::Fixed:
            text = QString::fromLatin1(element.fixed[kind]);
            break;
        case Source::FileName:
            text = QDir::toNativeSeparators(fileName);
            break;
        case Source::ReadBack:
            text = flagText(readBack);
            break;
        case Source::LastOperation:
            text = flagText(last);
            break;
        }
        xml::appendTextElement(operation, element.name, text);
    }
}

// The operations that a choice writes, in order.
std::span<const Kind> operationsOf(int choice)
{
    static constexpr Kind all[] = { Firmware, FirstImage, SecondImage };
    switch (UpdateChoice(choice)) {
    case UpdateChoice::FirmwareAndConfiguration:
        return { all, 3 };
    case UpdateChoice::Firmware:
        return { all, 1 };
    case UpdateChoice::Configuration:
        return { all + 1, 2 };
    }
    return {};
}

} // namespace

UpdateParameters updateParameters(
    const QString &ipAddress, int choice, bool readBack, const QString &masterDir, const QString &projectDir)
{
    const QString images = imageFolder(projectDir);
    return { ipAddress, choice, readBack, joinPath(masterDir, QString::fromLatin1(FirmwareFileName)),
        joinPath(images, QString::fromLatin1(Bank1FileName)), joinPath(images, QString::fromLatin1(Bank2FileName)) };
}

QByteArray updateParametersDocument(const UpdateParameters &p)
{
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, RootName, false);
    const auto add = [&](const char *name, const QString &text) { xml::appendTextElement(root, name, text); };
    add("Version", QStringLiteral("1000"));
    add("Title", QStringLiteral("Quorvex - SW61942 Ethernet Update"));
    add("IP_Address_Dev", p.ipAddress);
    add("Application_Port", QString::fromLatin1(DevicePort));
    add("Boot_Port", QString::fromLatin1(BootPort));
    add("Boot_Port_Sec", QString::fromLatin1(BootPortSecondary));
    add("Address_Protection", QStringLiteral("0x07800"));
    xml::appendTextElement(root.append_child("Protections"), "Protection", QStringLiteral("0x20D"));

    const pugi::xml_node operations = root.append_child("Operations");
    const std::array<const QString *, KindCount> files = { &p.firmwareFile, &p.bank1File, &p.bank2File };
    const std::span<const Kind> kinds = operationsOf(p.choice);
    for (std::size_t i = 0; i < kinds.size(); ++i)
        appendOperation(operations, kinds[i], *files[kinds[i]], p.readBack, i + 1 == kinds.size());
    return xml::toBytes(doc);
}

QString updateParametersPath(const QString &programDir)
{
    return joinPath(programDir, QString::fromLatin1(UpdateParametersFileName));
}

QString updaterProgramPath(const QString &programDir)
{
#ifdef Q_OS_WIN
    constexpr char suffix[] = ".exe";
#else
    constexpr char suffix[] = "";
#endif
    return joinPath(programDir, QString::fromLatin1(UpdaterBaseName) + QString::fromLatin1(suffix));
}

QString writeUpdateParametersFile(const QString &programDir, const UpdateParameters &parameters)
{
    const QString path = updateParametersPath(programDir);
    files::saveBuilt(path, [&] { return updateParametersDocument(parameters); });
    return path;
}

} // namespace sw

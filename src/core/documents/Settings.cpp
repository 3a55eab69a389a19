#include "core/documents/Settings.h"

#include "core/Error.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"
#include "core/xml/Xml.h"

namespace sw {

namespace {

QString textAt(pugi::xml_node root, const char *parent, const char *child, const QString &fallback)
{
    return xml::childText(xml::childElement(root, parent), child).value_or(fallback);
}

bool flagAt(pugi::xml_node root, const char *child, bool fallback)
{
    const std::optional<QString> text = xml::childText(xml::childElement(root, "lastinternet"), child);
    return text ? *text == QStringLiteral("1") : fallback;
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

StoredSettings readSettingsDocument(const QByteArray &bytes, const StoredSettings &defaults)
{
    pugi::xml_document doc;
    if (xml::loadBytes(doc, bytes))
        return defaults; // not well-formed: every value falls back
    const pugi::xml_node root = xml::rootElement(doc);
    StoredSettings settings;
    settings.projectName = textAt(root, "lastproj", "projectname", defaults.projectName);
    settings.ipAddress = textAt(root, "lastipadd", "ipaddress", defaults.ipAddress);
    settings.language = textAt(root, "lastlang", "language", defaults.language);
    settings.enableInternet = flagAt(root, "enable_internet", defaults.enableInternet);
    settings.enableUpdate = flagAt(root, "enable_update", defaults.enableUpdate);
    settings.jumpFieldTables = flagAt(root, "enable_jump_field_tables", defaults.jumpFieldTables);
    settings.doubleClickAutoSize = flagAt(root, "Double_Click_Auto_Size", defaults.doubleClickAutoSize);
    return settings;
}

StoredSettings readSettingsFile(const QString &path, const StoredSettings &defaults)
{
    QByteArray bytes;
    try {
        bytes = files::readFileBytes(path);
    } catch (const Error &) {
        return defaults; // missing or unreadable: the program starts with the defaults
    }
    return readSettingsDocument(bytes, defaults);
}

QByteArray writeSettingsDocument(const StoredSettings &settings)
{
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, "Conf_Settings", false);
    xml::appendTextElement(root.append_child("lastproj"), "projectname", settings.projectName);
    xml::appendTextElement(root.append_child("lastipadd"), "ipaddress", settings.ipAddress);
    xml::appendTextElement(root.append_child("lastlang"), "language", settings.language);
    pugi::xml_node internet = root.append_child("lastinternet");
    xml::appendTextElement(internet, "enable_internet", flagText(settings.enableInternet));
    xml::appendTextElement(internet, "enable_update", flagText(settings.enableUpdate));
    xml::appendTextElement(internet, "enable_jump_field_tables", flagText(settings.jumpFieldTables));
    xml::appendTextElement(internet, "Double_Click_Auto_Size", flagText(settings.doubleClickAutoSize));
    return xml::toBytes(doc);
}

void saveSettingsFile(const QString &path, const StoredSettings &settings)
{
    files::saveBuilt(path, [&] { return writeSettingsDocument(settings); });
}

} // namespace sw

#include "core/documents/Settings.h"

#include "core/Error.h"
#include "core/Xml.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"

namespace sw {

namespace {

void setDefaults(ProgramValues &values)
{
    values.Conf_Name.clear();
    values.Last_IP_Address = QString::fromLatin1(DefaultIPAddress);
    values.Language_Name = QString::fromLatin1(DefaultLanguage);
    values.Opt_Enable_Internet = false;
    values.Opt_Enable_Update = false;
    values.Opt_Jump_Field_Tables = false;
    values.Opt_Double_Click_Auto_Size = false;
}

QString textAt(pugi::xml_node root, const char *parent, const char *child, const QString &fallback)
{
    return xml::childText(xml::childElement(root, parent), child).value_or(fallback);
}

bool flagAt(pugi::xml_node root, const char *child)
{
    return xml::childText(xml::childElement(root, "lastinternet"), child) == QStringLiteral("1");
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void readSettingsBytes(ProgramValues &values, const QByteArray &bytes)
{
    setDefaults(values);
    pugi::xml_document doc;
    if (xml::loadBytes(doc, bytes))
        return; // not well-formed: full defaults
    const pugi::xml_node root = xml::rootElement(doc);
    values.Conf_Name = textAt(root, "lastproj", "projectname", QString());
    values.Last_IP_Address = textAt(root, "lastipadd", "ipaddress", QString::fromLatin1(DefaultIPAddress));
    values.Language_Name = textAt(root, "lastlang", "language", QString::fromLatin1(DefaultLanguage));
    values.Opt_Enable_Internet = flagAt(root, "enable_internet");
    values.Opt_Enable_Update = flagAt(root, "enable_update");
    values.Opt_Jump_Field_Tables = flagAt(root, "enable_jump_field_tables");
    values.Opt_Double_Click_Auto_Size = flagAt(root, "Double_Click_Auto_Size");
}

void readSettings(ProgramValues &values)
{
    QByteArray bytes;
    try {
        bytes = files::readFileBytes(values.settingsFile());
    } catch (const Error &) {
        setDefaults(values); // missing or unreadable: the program starts with the defaults
        return;
    }
    readSettingsBytes(values, bytes);
}

QByteArray settingsDocument(const ProgramValues &values)
{
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, "Conf_Settings", false);
    xml::appendTextElement(root.append_child("lastproj"), "projectname", values.Conf_Name);
    xml::appendTextElement(root.append_child("lastipadd"), "ipaddress", values.Last_IP_Address);
    xml::appendTextElement(root.append_child("lastlang"), "language", values.Language_Name);
    pugi::xml_node internet = root.append_child("lastinternet");
    xml::appendTextElement(internet, "enable_internet", flagText(values.Opt_Enable_Internet));
    xml::appendTextElement(internet, "enable_update", flagText(values.Opt_Enable_Update));
    xml::appendTextElement(internet, "enable_jump_field_tables", flagText(values.Opt_Jump_Field_Tables));
    xml::appendTextElement(internet, "Double_Click_Auto_Size", flagText(values.Opt_Double_Click_Auto_Size));
    return xml::toBytes(doc);
}

void Save_Setting(const ProgramValues &values)
{
    files::saveBuilt(values.settingsFile(), [&] { return settingsDocument(values); });
}

} // namespace sw

#include "core/ProgramValues.h"

#include "core/documents/ProjectFiles.h"
#include "core/documents/Settings.h"
#include "core/files/Paths.h"
#include "core/text/LanguageFile.h"

namespace sw {

QString ProgramValues::settingsFile() const
{
    return joinPath(Dir_Program, QString::fromLatin1(SettingsFileName));
}

void Set_Files(ProgramValues &values)
{
    const ProjectDocuments docs = projectDocuments(values.Conf_Dir);
    values.File_ParGen = docs.parGen;
    values.File_TLS_Known_Cert = docs.knownCerts;
    values.File_IEC61850_Variables = docs.variables;
}

void activateConfiguration(ProgramValues &values, const QString &name)
{
    values.Conf_Name = name;
    values.Conf_Dir = joinPath(values.Dir_Projects, name);
    Set_Files(values);
}

void clearConfiguration(ProgramValues &values)
{
    values.Conf_Name.clear();
    values.Conf_Dir.clear();
    Set_Files(values);
}

namespace {

// What a settings file that says nothing gives.
StoredSettings defaultSettings()
{
    StoredSettings settings;
    settings.ipAddress = QString::fromLatin1(DefaultIPAddress);
    settings.language = QString::fromLatin1(DefaultLanguage);
    return settings;
}

StoredSettings storedSettings(const ProgramValues &values)
{
    return { values.Conf_Name, values.Last_IP_Address, values.Language_Name, values.Opt_Enable_Internet,
        values.Opt_Enable_Update, values.Opt_Jump_Field_Tables, values.Opt_Double_Click_Auto_Size };
}

void takeSettings(ProgramValues &values, const StoredSettings &settings)
{
    values.Conf_Name = settings.projectName;
    values.Last_IP_Address = settings.ipAddress;
    values.Language_Name = settings.language;
    values.Opt_Enable_Internet = settings.enableInternet;
    values.Opt_Enable_Update = settings.enableUpdate;
    values.Opt_Jump_Field_Tables = settings.jumpFieldTables;
    values.Opt_Double_Click_Auto_Size = settings.doubleClickAutoSize;
}

} // namespace

void readSettings(ProgramValues &values)
{
    takeSettings(values, readSettingsFile(values.settingsFile(), defaultSettings()));
}

void readSettingsBytes(ProgramValues &values, const QByteArray &bytes)
{
    takeSettings(values, readSettingsDocument(bytes, defaultSettings()));
}

QByteArray settingsDocument(const ProgramValues &values)
{
    return writeSettingsDocument(storedSettings(values));
}

void Save_Setting(const ProgramValues &values)
{
    saveSettingsFile(values.settingsFile(), storedSettings(values));
}

void Load_Lang(ProgramValues &values)
{
    const LoadedLanguage loaded = loadLanguage(values.Dir_Language, values.Language_Name, values.Msg_Catalogue);
    values.Language_Name = loaded.chosen;
    values.languageOnScreen = loaded.onScreen;
}

} // namespace sw

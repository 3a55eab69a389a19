#pragma once

#include "core/ProgramVersion.h"
#include "core/documents/ProjectFiles.h"
#include "core/files/Paths.h"
#include "core/text/Catalogue.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace sw {

// Identity texts and fixed values of the program.
inline constexpr char SWCodeText[] = "SW61942";
inline constexpr char SWDescText[] = "IEC61850 Server / Modbus Slave - Converter";
inline constexpr char SWTitleText[] = "Quorvex - Configurator SW61942 - IEC61850 Server / Modbus Slave ";
inline constexpr char Program_Version[] = SW_PROGRAM_VERSION;
inline constexpr char DocumentCode[] = "MN61942";
inline constexpr char DefaultIPAddress[] = "192.168.2.205";
inline constexpr char SettingsFileName[] = "Talvento.xml";

// Every value that lives for the whole run and that dialogs share. The application creates
// one instance and hands it by reference to the main window, which hands it to each dialog.
struct ProgramValues
{
    QStringList Msg_Catalogue; // empty until Load_Lang fills it

    QString Dir_Program; // folder of the program file, no trailing separator
    QString Dir_Master;
    QString Dir_Projects;
    QString Dir_Language;

    QString Conf_Name; // active (or remembered) configuration; empty means none
    QString Conf_Dir; // empty means no configuration is active
    QString File_ParGen;
    QString File_TLS_Known_Cert;
    QString File_IEC61850_Variables;

    QString Last_IP_Address = QString::fromLatin1(DefaultIPAddress);
    QString Language_Name = QString::fromLatin1(DefaultLanguage);
    // The language whose texts the catalogue holds, as Load_Lang last loaded it. It differs from
    // Language_Name while a language tried in the options dialog is on screen but not yet stored.
    QString languageOnScreen = QString::fromLatin1(DefaultLanguage);
    bool Opt_Enable_Internet = false;
    bool Opt_Enable_Update = false;
    bool Opt_Jump_Field_Tables = false;
    bool Opt_Double_Click_Auto_Size = false;

    QString SW_Code = QString::fromLatin1(SWCodeText);
    QString SW_Desc = QString::fromLatin1(SWDescText);
    QString SW_Title = QString::fromLatin1(SWTitleText);

    int Update_Choice = 0; // 0 firmware and configuration, 1 firmware, 2 configuration
    bool Update_Read_Back = true;

    QStringList Row_Copy_List;
    QList<bool> Row_Copy_Is_Check;

    // The catalogue text at index; empty outside the catalogue.
    QString msg(int index) const { return Msg_Catalogue.value(index); }

    QString settingsFile() const;
    // The active configuration's three documents, as Set_Files formed them.
    ProjectDocuments documents() const { return { File_ParGen, File_IEC61850_Variables, File_TLS_Known_Cert }; }
};

// Forms the three document paths from Conf_Dir (also when it is empty).
void Set_Files(ProgramValues &values);

// Makes the configuration `name` active: Conf_Name, Conf_Dir below Dir_Projects, document paths.
void activateConfiguration(ProgramValues &values, const QString &name);

// No configuration active: Conf_Name and Conf_Dir empty, document paths formed from the empty folder.
void clearConfiguration(ProgramValues &values);

// Reads the settings file beside the program into Conf_Name, Last_IP_Address, Language_Name and
// the four option flags. A missing file gives the defaults of every value; a file that is not
// well-formed or cannot be read (a folder, a pipe) gives them too, since the program must start
// either way. Each missing value falls back alone. Conf_Dir is not touched.
void readSettings(ProgramValues &values);

// The same, from the bytes of a settings document.
void readSettingsBytes(ProgramValues &values, const QByteArray &bytes);

// The settings document for the current values (documents/Settings.h).
QByteArray settingsDocument(const ProgramValues &values);

// Rewrites the settings file beside the program atomically. Throws sw::Error naming the file.
void Save_Setting(const ProgramValues &values);

// Rebuilds Msg_Catalogue from the defaults and overlays the language file of Language_Name,
// falling back to English (and setting Language_Name to "English") when that file is missing or
// Language_Name is not a language name. languageOnScreen names the language loaded.
void Load_Lang(ProgramValues &values);

} // namespace sw

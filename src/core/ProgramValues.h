#pragma once

#include "core/ProgramVersion.h"
#include "core/documents/ProjectFiles.h"
#include "core/files/Paths.h"

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
inline constexpr char DefaultLanguage[] = "English";
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

// A file beside the program that marks an installation shared by every user (the Debian
// package): each user then keeps a workspace of their own, and nothing is written beside the program.
inline constexpr char PerUserWorkspaceMarker[] = "per-user-workspace";
// The per-user workspace's folder below the user's data folder.
inline constexpr char PerUserWorkspaceFolder[] = "sw61942";

// Where the configurator keeps the settings file, MASTER, PROJECTS and the updater's parameter
// file, and where it reads the language files.
struct WorkspaceLocation
{
    QString folder;
    QString languageFolder; // empty: LANGUAGE inside the workspace
    bool perUser = false;
};

// The program folder itself (a portable folder); where the marker lies beside the program,
// `dataHome`/sw61942 with the language files of the program folder.
WorkspaceLocation locateWorkspace(const QString &programDir, const QString &dataHome);

// Makes a per-user workspace's folder (with its parents) and links the installed updater into it,
// or repairs a link left by an earlier installation (see linkUpdater): the updater reads the
// parameter file beside the link, and a user may put another updater in the link's place. False
// when the folder cannot be made.
bool preparePerUserWorkspace(const WorkspaceLocation &location, const QString &programDir);

// True when a file can be created in `folder` (tried, not guessed from permission bits).
bool canWriteIn(const QString &folder);

// Forms Dir_Program and the three workspace folders below it, creating each (one level) when
// missing; a folder that cannot be created is passed over. A non-empty `languageDir` is taken as
// Dir_Language as it is, for the language files of a shared installation.
void createWorkspace(ProgramValues &values, const QString &programDir, const QString &languageDir = {});

// Forms the three document paths from Conf_Dir (also when it is empty).
void Set_Files(ProgramValues &values);

// Makes the configuration `name` active: Conf_Name, Conf_Dir below Dir_Projects, document paths.
void activateConfiguration(ProgramValues &values, const QString &name);

// No configuration active: Conf_Name and Conf_Dir empty, document paths formed from the empty folder.
void clearConfiguration(ProgramValues &values);

} // namespace sw

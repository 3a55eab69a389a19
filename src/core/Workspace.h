#pragma once

#include "core/ProgramValues.h"

#include <QString>

// The workspace: the folder where the configurator keeps the settings file, MASTER, PROJECTS and
// the updater's parameter file. A portable program folder is its own workspace; a shared
// installation gives each user one of their own.
namespace sw {

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

} // namespace sw

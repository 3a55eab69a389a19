#include "core/ProgramValues.h"

#include "core/documents/ProjectFiles.h"
#include "core/files/Paths.h"

#include "core/update/UpdateParameters.h"
#include "core/update/UpdaterLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace sw {

QString ProgramValues::settingsFile() const
{
    return joinPath(Dir_Program, QString::fromLatin1(SettingsFileName));
}

WorkspaceLocation locateWorkspace(const QString &programDir, const QString &dataHome)
{
    if (!QFileInfo::exists(joinPath(programDir, QString::fromLatin1(PerUserWorkspaceMarker))) || dataHome.isEmpty())
        return { programDir, {}, false };
    return { joinPath(dataHome, QString::fromLatin1(PerUserWorkspaceFolder)),
        joinPath(programDir, QStringLiteral("LANGUAGE")), true };
}

bool preparePerUserWorkspace(const WorkspaceLocation &location, const QString &programDir)
{
    if (!QDir().mkpath(location.folder))
        return false;
    // Without the link, step 5 names the missing updater.
    (void)linkUpdater(updaterProgramPath(location.folder), updaterProgramPath(programDir),
        QString::fromLatin1(PerUserWorkspaceMarker));
    return true;
}

bool canWriteIn(const QString &folder)
{
    QTemporaryFile probe(joinPath(folder, QStringLiteral(".write-test-XXXXXX")));
    return probe.open();
}

void createWorkspace(ProgramValues &values, const QString &programDir, const QString &languageDir)
{
    QString dir = QDir::toNativeSeparators(programDir);
    while (dir.size() > 1 && dir.endsWith(QDir::separator()))
        dir.chop(1);
    values.Dir_Program = dir;

    const auto makeFolder = [](const QString &path) {
        QDir d(path);
        if (!d.exists())
            (void)QDir().mkdir(path); // one level; a failure shows later, where the folder is used
    };
    values.Dir_Master = joinPath(dir, QStringLiteral("MASTER"));
    makeFolder(values.Dir_Master);
    values.Dir_Projects = joinPath(dir, QStringLiteral("PROJECTS"));
    makeFolder(values.Dir_Projects);
    if (!languageDir.isEmpty()) {
        values.Dir_Language = QDir::toNativeSeparators(languageDir);
        return;
    }
    values.Dir_Language = joinPath(dir, QStringLiteral("LANGUAGE"));
    makeFolder(values.Dir_Language);
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

} // namespace sw

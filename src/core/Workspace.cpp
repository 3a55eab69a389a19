#include "core/Workspace.h"

#include "core/files/Paths.h"
#include "core/update/UpdateParameters.h"
#include "core/update/UpdaterLink.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace sw {

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

} // namespace sw

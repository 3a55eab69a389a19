#include "core/documents/ProjectFiles.h"

#include "core/files/Paths.h"

namespace sw {

ProjectDocuments projectDocuments(const QString &projectFolder)
{
    return { joinPath(projectFolder, QString::fromLatin1(ParGenFileName)),
        joinPath(projectFolder, QString::fromLatin1(VariablesFileName)),
        joinPath(projectFolder, QString::fromLatin1(KnownCertFileName)) };
}

QString imageFolder(const QString &projectFolder)
{
    return joinPath(projectFolder, QString::fromLatin1(ImageFolderName));
}

} // namespace sw

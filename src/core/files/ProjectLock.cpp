#include "core/files/ProjectLock.h"

#include "core/Error.h"

#include <QDir>
#include <QFileInfo>

namespace sw::files {

ProjectLock::ProjectLock(const QString &projectFolder, const QString &writing, int waitMs)
    : m_lock(QDir(projectFolder).filePath(QLatin1String(ProjectLockName)))
{
    // A live writer never holds the lock for long; one that has held it this long has hung.
    m_lock.setStaleLockTime(60 * 1000);
    if (m_lock.tryLock(waitMs))
        return;
    const QString name = QFileInfo(projectFolder).fileName();
    switch (m_lock.error()) {
    case QLockFile::LockFailedError:
        throw Error(QStringLiteral("The configuration \"%1\" is being written by another program; try again when it "
                                   "has finished (%2)")
                        .arg(name, QDir::toNativeSeparators(projectFolder)));
    case QLockFile::PermissionError:
        throw Error(
            QStringLiteral("Cannot write \"%1\": its folder cannot be written").arg(QDir::toNativeSeparators(writing)));
    default:
        throw Error(QStringLiteral("Cannot write \"%1\": the lock \"%2\" cannot be created")
                        .arg(QDir::toNativeSeparators(writing), QDir::toNativeSeparators(m_lock.fileName())));
    }
}

} // namespace sw::files

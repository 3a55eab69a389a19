#include "core/files/RegularFile.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sw::files {

QByteArray readFileBytes(const QString &path)
{
    auto failure = [&](const QString &reason) {
        return Error(QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(path), reason));
    };
    // Opening a pipe waits for a writer and a device may never end: only regular files are read,
    // checked before opening and again on the open file.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw failure(QStringLiteral("it is not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw failure(file.errorString());
    if (file.isSequential())
        throw failure(QStringLiteral("it is not a regular file"));
    return file.readAll();
}

} // namespace sw::files

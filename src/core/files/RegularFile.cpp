#include "core/files/RegularFile.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sw::files {

QByteArray readFileBytes(const QString &path, qint64 maxBytes)
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
    // Checked on the open file, so a file swapped after the first look is measured too; a file
    // that grows while it is read is cut at one byte over the limit and refused.
    if (file.size() > maxBytes)
        throw failure(QStringLiteral("it is larger than %1 MiB").arg(maxBytes / (1024 * 1024)));
    // A buffer of the file's own size (and one byte to notice growth): reading into one of the
    // limit's size would map and clear megabytes for every small file.
    const qint64 expected = file.size();
    QByteArray bytes = file.read(expected + 1);
    if (bytes.size() > expected && bytes.size() <= maxBytes)
        bytes += file.read(maxBytes + 1 - bytes.size());
    if (bytes.size() > maxBytes)
        throw failure(QStringLiteral("it is larger than %1 MiB").arg(maxBytes / (1024 * 1024)));
    return bytes;
}

} // namespace sw::files

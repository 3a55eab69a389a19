#include "core/files/RegularFile.h"

#include "core/Error.h"

#include <QFile>
#include <QFileInfo>

namespace sw::files {

QByteArray readFileBytes(const QString &path, qint64 maxBytes)
{
    // Opening a pipe waits for a writer and a device may never end: only regular files are read,
    // checked before opening and again on the open file.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw readFailure(path, notRegularReason());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw readFailure(path, file.errorString());
    if (file.isSequential())
        throw readFailure(path, notRegularReason());
    // Checked on the open file, so a file swapped after the first look is measured too; a file
    // that grows while it is read is cut at one byte over the limit and refused.
    if (file.size() > maxBytes)
        throw readFailure(path, tooLargeReason(maxBytes));
    const qint64 expected = file.size();
    QByteArray bytes = file.read(expected + 1);
    if (bytes.size() > expected && bytes.size() <= maxBytes)
        bytes += file.read(maxBytes + 1 - bytes.size());
    if (bytes.size() > maxBytes)
        throw readFailure(path, tooLargeReason(maxBytes));
    return bytes;
}

} // namespace sw::files

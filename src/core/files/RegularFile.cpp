#include "core/files/RegularFile.h"

#include "core/Error.h"

#include <QDir>

namespace sw::files {

Error readFailure(const QString &path, const QString &reason)
{
    return Error(QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(path), reason));
}

QString notRegularReason()
{
    return QStringLiteral("it is not a regular file");
}

QString tooLargeReason(qint64 maxBytes)
{
    return QStringLiteral("it is larger than %1 MiB").arg(maxBytes / (1024 * 1024));
}

} // namespace sw::files

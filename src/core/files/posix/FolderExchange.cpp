#include "core/files/FolderExchange.h"

#include "core/Error.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace sw::files {

ExchangeResult exchangeFolders(const QString &first, const QString &second)
{
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    if (::renameat2(AT_FDCWD, QFile::encodeName(first).constData(), AT_FDCWD, QFile::encodeName(second).constData(),
            RENAME_EXCHANGE)
        == 0)
        return ExchangeResult::Exchanged;
    const int error = errno;
    // An older kernel, or a file system (some network and FUSE ones) without the exchange.
    if (error == ENOSYS || error == EINVAL || error == EOPNOTSUPP)
        return ExchangeResult::Unavailable;
    throw Error(QStringLiteral("Cannot write \"%1\": %2")
                    .arg(QDir::toNativeSeparators(second), QString::fromLocal8Bit(std::strerror(error))));
#else
    Q_UNUSED(first);
    Q_UNUSED(second);
    return ExchangeResult::Unavailable;
#endif
}

} // namespace sw::files

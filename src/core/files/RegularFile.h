#pragma once

#include <QByteArray>
#include <QString>

namespace sw {
class Error;
}

namespace sw::files {

// The largest file that the configurator reads whole: far above any real document, language file
// or point list, and small enough that a hostile file cannot exhaust memory.
inline constexpr qint64 MaxReadBytes = 64 * 1024 * 1024;

// The bytes of the file at `path`, a link followed. Throws sw::Error naming the file when it cannot
// be read, is no regular file (a folder, or a pipe or device, whose reading could block or never
// end) or is larger than `maxBytes`; the size is checked before anything is read.
QByteArray readFileBytes(const QString &path, qint64 maxBytes = MaxReadBytes);

// The parts of readFileBytes' errors that every platform's reading shares.
Error readFailure(const QString &path, const QString &reason);
QString notRegularReason();
QString tooLargeReason(qint64 maxBytes);

} // namespace sw::files

#pragma once

#include <QByteArray>
#include <QString>

namespace sw::files {

// The bytes of the file at `path`, a link followed. Throws sw::Error naming the file when it cannot
// be read or is no regular file: a folder, or a pipe or device, whose reading could block or never end.
QByteArray readFileBytes(const QString &path);

} // namespace sw::files

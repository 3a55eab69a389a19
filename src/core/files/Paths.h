#pragma once

#include <QString>

namespace sw {

// Joins two path parts with the platform's native separator.
QString joinPath(const QString &folder, const QString &name);

} // namespace sw

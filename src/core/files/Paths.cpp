#include "core/files/Paths.h"

#include <QDir>

namespace sw {

QString joinPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

} // namespace sw

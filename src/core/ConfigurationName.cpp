#include "core/ConfigurationName.h"

namespace sw {

bool isPlainFolderName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c == QChar(0))
            return false;
    }
    return true;
}

} // namespace sw

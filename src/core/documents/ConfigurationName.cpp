#include "core/documents/ConfigurationName.h"

#include <QtGlobal>

namespace sw {

namespace {

// The characters that separate folders in a path on this system.
#ifdef Q_OS_WIN
constexpr char16_t Separators[] = u"/\\";
#else
constexpr char16_t Separators[] = u"/";
#endif

bool isSeparator(QChar c)
{
    for (char16_t s : Separators) {
        if (s != 0 && c == s)
            return true;
    }
    return false;
}

} // namespace

bool isPlainFolderName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c.isNull() || isSeparator(c))
            return false;
    }
    return true;
}

} // namespace sw

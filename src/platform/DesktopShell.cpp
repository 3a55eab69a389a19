#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

namespace sw {

bool DesktopShell::openUrl(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

} // namespace sw

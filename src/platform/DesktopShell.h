#pragma once

#include "platform/Shell.h"

namespace sw {

// The desktop's own URL handler.
class DesktopShell final : public Shell
{
public:
    bool openUrl(const QString &url) override;
};

} // namespace sw

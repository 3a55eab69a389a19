#pragma once

#include "platform/RegionalSettings.h"
#include "platform/Shell.h"
#include "platform/VersionCheck.h"

#include <QStringList>

namespace sw::test {

class FakeShell final : public Shell
{
public:
    QStringList opened;
    bool openUrl(const QString &url) override
    {
        opened.append(url);
        return true;
    }
};

class FakeRegionalSettings final : public RegionalSettings
{
public:
    std::optional<QChar> separator = QChar(u'.');
    std::optional<QChar> decimalSeparator() const override { return separator; }
};

class FakeVersionChecker final : public VersionChecker
{
public:
    bool newer = false;
    int calls = 0;
    bool Check_Version() override
    {
        ++calls;
        return newer;
    }
};

} // namespace sw::test

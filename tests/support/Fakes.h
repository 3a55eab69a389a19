#pragma once

#include "platform/RegionalSettings.h"
#include "platform/Shell.h"
#include "platform/VersionCheck.h"
#include "ui/ImageBuilder.h"

#include <QList>
#include <QStringList>
#include <exception>

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

// Records each build and answers with `result`, or throws `failure` when one is set. Writes nothing.
class FakeImageBuilder final : public ImageBuilder
{
public:
    struct Call
    {
        ProjectDocuments documents;
        QString folder;
    };
    QList<Call> calls;
    WrittenImages result;
    std::exception_ptr failure;

    WrittenImages buildImages(const ProjectDocuments &documents, const QString &folder) override
    {
        calls.append({ documents, folder });
        if (failure)
            std::rethrow_exception(failure);
        return result;
    }
};

} // namespace sw::test

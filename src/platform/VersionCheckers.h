#pragma once

#include "platform/HttpClient.h"
#include "platform/VersionCheck.h"

#include <QString>

namespace sw {

// Stands in until the online check is built: never reports a newer version and sends nothing.
class NoUpdateVersionChecker final : public VersionChecker
{
public:
    bool Check_Version() override { return false; }
};

// Asks the version service at serviceUrl for the latest version of swCode and compares its reply
// with ownVersion.
class HttpVersionChecker final : public VersionChecker
{
public:
    HttpVersionChecker(HttpClient &client, const QString &serviceUrl, const QString &swCode, const QString &ownVersion);

    // A failed request reads as an empty reply, which never names a newer version.
    bool Check_Version() override;

private:
    HttpClient &m_client;
    QString m_queryUrl;
    QString m_ownVersion;
};

} // namespace sw

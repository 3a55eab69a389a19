#pragma once

#include "core/Version.h"
#include "platform/HttpClient.h"

#include <QUrl>

namespace sw {

// Asks the vendor's version service whether a newer version of the configurator exists.
class VersionChecker
{
public:
    virtual ~VersionChecker() = default;
    // True when a newer version is available; any failure answers false.
    virtual bool Check_Version() = 0;
};

// Stands in until the online check is built: never reports a newer version and sends nothing.
class NoUpdateVersionChecker final : public VersionChecker
{
public:
    bool Check_Version() override { return false; }
};

// Queries the version service on the web site at baseUrl and compares its reply with ownVersion.
class HttpVersionChecker final : public VersionChecker
{
public:
    HttpVersionChecker(HttpClient &client, const QString &baseUrl, const QString &swCode, const QString &ownVersion)
        : m_client(client)
        , m_ownVersion(ownVersion)
    {
        m_queryUrl = baseUrl + QStringLiteral("/home/download/GetversionSW.asp?nomesw=")
            + QString::fromLatin1(QUrl::toPercentEncoding(swCode));
    }

    // A failed request reads as an empty reply, which never names a newer version.
    bool Check_Version() override
    {
        const std::optional<QByteArray> reply = m_client.get(m_queryUrl);
        return reply && isNewerVersion(QString::fromUtf8(*reply), m_ownVersion);
    }

private:
    HttpClient &m_client;
    QString m_queryUrl;
    QString m_ownVersion;
};

} // namespace sw

#include "platform/VersionCheckers.h"

#include "core/update/Version.h"

#include <QUrl>

namespace sw {

HttpVersionChecker::HttpVersionChecker(
    HttpClient &client, const QString &serviceUrl, const QString &swCode, const QString &ownVersion)
    : m_client(client)
    , m_queryUrl(serviceUrl + QStringLiteral("?nomesw=") + QString::fromLatin1(QUrl::toPercentEncoding(swCode)))
    , m_ownVersion(ownVersion)
{
}

bool HttpVersionChecker::Check_Version()
{
    const std::optional<QByteArray> reply = m_client.get(m_queryUrl);
    return reply && isNewerVersion(QString::fromUtf8(*reply), m_ownVersion);
}

} // namespace sw

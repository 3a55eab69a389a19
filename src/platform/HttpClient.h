#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace sw {

// One HTTP GET at a time, answered synchronously.
class HttpClient
{
public:
    virtual ~HttpClient() = default;
    // The body of a success (2xx) answer; nullopt on any failure: no connection, a time-out,
    // another status (a redirect too: redirects are not followed) or a broken transfer.
    virtual std::optional<QByteArray> get(const QString &url) = 0;
};

} // namespace sw

#pragma once

#include "platform/HttpClient.h"

#include <chrono>

namespace sw {

// HTTP/1.0 GET through libcurl: a direct connection (no proxy, whatever the environment says),
// no cookies, no redirects, and the Accept and User-Agent headers the version service expects.
class CurlHttpClient final : public HttpClient
{
public:
    struct Timeouts
    {
        // A site that cannot be reached or never answers must end the request in bounded time:
        // 10 s is ample to connect and fetch the short reply even over a slow line.
        std::chrono::milliseconds connect { 10000 };
        std::chrono::milliseconds total { 10000 };
    };
    // The version reply is a few bytes: a larger body is refused as a failure, not kept in memory.
    static constexpr qsizetype MaxBodyBytes = 64 * 1024;

    CurlHttpClient();
    explicit CurlHttpClient(Timeouts timeouts);

    std::optional<QByteArray> get(const QString &url) override;

private:
    Timeouts m_timeouts;
};

} // namespace sw

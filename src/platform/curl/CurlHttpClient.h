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
        // The request runs on the user-interface thread, which is frozen while it waits: a site
        // that cannot be reached or never answers must cost a bounded pause, not a hung window.
        // 10 s is ample to connect even over a slow line; 20 s covers the whole short reply.
        std::chrono::milliseconds connect { 10000 };
        std::chrono::milliseconds total { 20000 };
    };

    CurlHttpClient();
    explicit CurlHttpClient(Timeouts timeouts);

    std::optional<QByteArray> get(const QString &url) override;

private:
    Timeouts m_timeouts;
};

} // namespace sw

#include "platform/curl/CurlHttpClient.h"

#include <curl/curl.h>
#include <memory>

namespace sw {

namespace {

constexpr char AcceptHeader[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr char UserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

// libcurl's global state, set up once before the first handle (thread-safe since 7.84).
bool curlReady()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

// Returning less than was given aborts the transfer, which ends a body past the cap as a failure.
size_t appendBody(char *data, size_t size, size_t count, void *body)
{
    auto *bytes = static_cast<QByteArray *>(body);
    const size_t n = size * count;
    if (n > size_t(CurlHttpClient::MaxBodyBytes - bytes->size()))
        return 0;
    bytes->append(data, qsizetype(n));
    return n;
}

struct EasyDeleter
{
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter
{
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

} // namespace

CurlHttpClient::CurlHttpClient()
    : CurlHttpClient(Timeouts {})
{
}

CurlHttpClient::CurlHttpClient(Timeouts timeouts)
    : m_timeouts(timeouts)
{
}

std::optional<QByteArray> CurlHttpClient::get(const QString &url)
{
    if (!curlReady())
        return std::nullopt;
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    const std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, AcceptHeader));
    if (!curl || !headers)
        return std::nullopt;

    // A fresh handle per request: no cookie engine, no connection or state kept between requests.
    CURL *h = curl.get();
    QByteArray body;
    const QByteArray address = url.toUtf8();
    bool ok = curl_easy_setopt(h, CURLOPT_URL, address.constData()) == CURLE_OK;
#if LIBCURL_VERSION_NUM >= 0x075500
    ok = ok && curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
#else
    ok = ok && curl_easy_setopt(h, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS)) == CURLE_OK;
#endif
    ok = ok && curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)) == CURLE_OK;
    // An empty proxy name turns off the proxy variables of the environment too.
    ok = ok && curl_easy_setopt(h, CURLOPT_PROXY, "") == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_USERAGENT, UserAgent) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(m_timeouts.connect.count())) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(m_timeouts.total.count())) == CURLE_OK;
    // Time-outs without SIGALRM, which is unsafe once a second thread exists.
    ok = ok && curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &appendBody) == CURLE_OK;
    ok = ok && curl_easy_setopt(h, CURLOPT_WRITEDATA, &body) == CURLE_OK;
    if (!ok || curl_easy_perform(h) != CURLE_OK)
        return std::nullopt;

    long status = 0;
    if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 || status > 299)
        return std::nullopt;
    return body;
}

} // namespace sw

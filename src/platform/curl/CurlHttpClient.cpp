#include "platform/curl/CurlHttpClient.h"

#include <QLibrary>
#include <curl/curl.h>
#include <memory>

namespace sw {

namespace {

constexpr char AcceptHeader[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr char UserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";

// libcurl and the libraries it needs are loaded on the first request, not at start-up: most runs
// never check for a newer version. Only the header's types and constants are compiled in.
struct Curl
{
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
};

// The loaded library with its global state set up, once for the process (thread-safe since
// 7.84); null when it cannot be loaded. It stays loaded until exit.
const Curl *curl()
{
    static const Curl *const loaded = []() -> const Curl * {
#ifdef Q_OS_WIN
        auto *library = new QLibrary(QStringLiteral("libcurl"));
#else
        auto *library = new QLibrary(QStringLiteral("curl"), 4);
#endif
        static Curl api;
        const auto resolve = [library](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library->resolve(name));
            return function != nullptr;
        };
        const bool resolved = library->load() && resolve(api.global_init, "curl_global_init")
            && resolve(api.easy_init, "curl_easy_init") && resolve(api.easy_setopt, "curl_easy_setopt")
            && resolve(api.easy_perform, "curl_easy_perform") && resolve(api.easy_getinfo, "curl_easy_getinfo")
            && resolve(api.easy_cleanup, "curl_easy_cleanup") && resolve(api.slist_append, "curl_slist_append")
            && resolve(api.slist_free_all, "curl_slist_free_all");
        if (!resolved || api.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            return nullptr;
        return &api;
    }();
    return loaded;
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
    void operator()(CURL *handle) const { curl()->easy_cleanup(handle); }
};
struct ListDeleter
{
    void operator()(curl_slist *list) const { curl()->slist_free_all(list); }
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
    const Curl *const api = curl();
    if (!api)
        return std::nullopt;
    const std::unique_ptr<CURL, EasyDeleter> handle(api->easy_init());
    const std::unique_ptr<curl_slist, ListDeleter> headers(api->slist_append(nullptr, AcceptHeader));
    if (!handle || !headers)
        return std::nullopt;

    // A fresh handle per request: no cookie engine, no connection or state kept between requests.
    CURL *h = handle.get();
    QByteArray body;
    const QByteArray address = url.toUtf8();
    bool ok = api->easy_setopt(h, CURLOPT_URL, address.constData()) == CURLE_OK;
#if LIBCURL_VERSION_NUM >= 0x075500
    ok = ok && api->easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
#else
    ok = ok && api->easy_setopt(h, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS)) == CURLE_OK;
#endif
    ok = ok && api->easy_setopt(h, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0)) == CURLE_OK;
    // An empty proxy name turns off the proxy variables of the environment too.
    ok = ok && api->easy_setopt(h, CURLOPT_PROXY, "") == CURLE_OK;
    ok = ok && api->easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
    ok = ok && api->easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
    ok = ok && api->easy_setopt(h, CURLOPT_USERAGENT, UserAgent) == CURLE_OK;
    ok = ok && api->easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(m_timeouts.connect.count())) == CURLE_OK;
    ok = ok && api->easy_setopt(h, CURLOPT_TIMEOUT_MS, long(m_timeouts.total.count())) == CURLE_OK;
    // Time-outs without SIGALRM, which is unsafe once a second thread exists.
    ok = ok && api->easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && api->easy_setopt(h, CURLOPT_WRITEFUNCTION, &appendBody) == CURLE_OK;
    ok = ok && api->easy_setopt(h, CURLOPT_WRITEDATA, &body) == CURLE_OK;
    if (!ok || api->easy_perform(h) != CURLE_OK)
        return std::nullopt;

    long status = 0;
    if (api->easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 || status > 299)
        return std::nullopt;
    return body;
}

} // namespace sw

#include "core/ProgramValues.h"
#include "platform/VersionCheckers.h"
#include "platform/curl/CurlHttpClient.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <future>

using namespace sw;
using namespace std::chrono_literals;

namespace {

// Short enough that a request that goes wrong ends the test quickly, long enough for loopback.
const CurlHttpClient::Timeouts TestTimeouts { 1000ms, 1500ms };

// An HTTP server on 127.0.0.1, run by the test thread's event loop: it records the head of each
// request and answers with the canned reply for the requested target, then closes the connection
// as an HTTP/1.0 server does. A silent server reads requests and never answers.
class CannedServer : public QObject
{
public:
    QHash<QByteArray, QByteArray> replies; // request target -> raw answer
    bool silent = false;
    QList<QByteArray> requests;

    bool listen()
    {
        connect(&m_server, &QTcpServer::newConnection, this, &CannedServer::accept);
        return m_server.listen(QHostAddress::LocalHost);
    }
    QString url(const QString &target) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(target);
    }

    // Runs call, which blocks on a request, on its own thread while this thread serves it. Past
    // the deadline every connection is cut, so the call ends even when its time-outs do not work.
    template <typename Call> auto serve(Call call)
    {
        auto result = std::async(std::launch::async, call);
        const QDeadlineTimer deadline(5000);
        while (result.wait_for(0ms) != std::future_status::ready && !deadline.hasExpired())
            QTest::qWait(5);
        if (result.wait_for(0ms) != std::future_status::ready) {
            m_server.close();
            for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
                socket->abort();
        }
        return result.get();
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                socket->setProperty("head", socket->property("head").toByteArray() + socket->readAll());
                const QByteArray head = socket->property("head").toByteArray();
                const qsizetype end = head.indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                requests.append(head.left(end));
                if (silent)
                    return;
                const QByteArray target = head.left(head.indexOf("\r\n")).split(' ').value(1);
                socket->write(replies.value(target, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n"));
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
};

// The value of header name in a request head; null when it is missing.
QByteArray header(const QByteArray &head, const QByteArray &name)
{
    const QList<QByteArray> lines = head.split('\n');
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

// A port on 127.0.0.1 where nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

#ifdef Q_OS_LINUX
bool curlMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/libcurl");
}
#endif

} // namespace

class tst_HttpClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
#ifdef Q_OS_LINUX
    // libcurl is loaded by the first request, not with the program. Runs first, before any
    // other test has made a request.
    void libraryLoadedByFirstRequest()
    {
        QVERIFY(!curlMapped());
        CannedServer server;
        QVERIFY(server.listen());
        server.replies.insert("/v", "HTTP/1.0 200 OK\r\n\r\nbody");
        CurlHttpClient client(TestTimeouts);
        QCOMPARE(server.serve([&] { return client.get(server.url(QStringLiteral("/v"))); }), QByteArray("body"));
        QVERIFY(curlMapped());
    }
#endif

    // The version check's request as the service sees it: HTTP/1.0, the two headers, no cookie
    // sent back on the next request.
    void versionQuery()
    {
        CannedServer server;
        QVERIFY(server.listen());
        server.replies.insert("/home/download/GetversionSW.asp?nomesw=SW61942",
            "HTTP/1.0 200 OK\r\nSet-Cookie: session=42; Path=/\r\nContent-Type: text/html\r\n\r\nVER. 1.002\r\n");
        CurlHttpClient client(TestTimeouts);
        HttpVersionChecker checker(client, server.url(QStringLiteral("/home/download/GetversionSW.asp")),
            QString::fromLatin1(SWCodeText), QString::fromLatin1(Program_Version));

        QVERIFY(server.serve([&checker] { return checker.Check_Version(); }));
        QVERIFY(server.serve([&checker] { return checker.Check_Version(); }));

        QCOMPARE(server.requests.size(), 2);
        for (const QByteArray &head : std::as_const(server.requests)) {
            QCOMPARE(head.left(head.indexOf("\r\n")),
                QByteArray("GET /home/download/GetversionSW.asp?nomesw=SW61942 HTTP/1.0"));
            QCOMPARE(
                header(head, "Accept"), QByteArray("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"));
            QCOMPARE(header(head, "User-Agent"), QByteArray("Mozilla/3.0 (compatible; Indy Library)"));
            QVERIFY2(header(head, "Cookie").isNull(), head.constData());
        }
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<std::optional<QByteArray>>("body");
        QTest::newRow("200 with length") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nVER. 1.002")
                                         << std::optional<QByteArray>("VER. 1.002");
        QTest::newRow("200 until close") << QByteArray("HTTP/1.0 200 OK\r\n\r\nver. 0.000\r\n")
                                         << std::optional<QByteArray>("ver. 0.000\r\n");
        QTest::newRow("204 without body")
            << QByteArray("HTTP/1.0 204 No Content\r\n\r\n") << std::optional<QByteArray>(QByteArray());
        QTest::newRow("302 not followed")
            << QByteArray("HTTP/1.0 302 Found\r\nLocation: /target\r\nContent-Length: 5\r\n\r\nmoved")
            << std::optional<QByteArray>();
        QTest::newRow("404") << QByteArray("HTTP/1.0 404 Not Found\r\nContent-Length: 10\r\n\r\nVER. 1.002")
                             << std::optional<QByteArray>();
        QTest::newRow("500") << QByteArray("HTTP/1.0 500 Internal Server Error\r\n\r\nVER. 1.002")
                             << std::optional<QByteArray>();
        QTest::newRow("broken transfer") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nVER. 1.002")
                                         << std::optional<QByteArray>();
        const QByteArray full(CurlHttpClient::MaxBodyBytes, 'x');
        QTest::newRow("body at the cap") << QByteArray("HTTP/1.0 200 OK\r\n\r\n") + full
                                         << std::optional<QByteArray>(full);
        QTest::newRow("body past the cap")
            << QByteArray("HTTP/1.0 200 OK\r\n\r\n") + full + 'x' << std::optional<QByteArray>();
        QTest::newRow("not HTTP") << QByteArray("VER. 1.002\r\n\r\n") << std::optional<QByteArray>();
    }
    void answers()
    {
        QFETCH(QByteArray, reply);
        QFETCH(std::optional<QByteArray>, body);
        CannedServer server;
        QVERIFY(server.listen());
        server.replies.insert("/query", reply);
        server.replies.insert("/target", "HTTP/1.0 200 OK\r\n\r\nredirected");
        CurlHttpClient client(TestTimeouts);

        const QString url = server.url(QStringLiteral("/query"));
        QCOMPARE(server.serve([&client, url] { return client.get(url); }), body);
        QCOMPARE(server.requests.size(), 1);
    }

    // The shipped client gives up on a request after 10 s in all.
    void defaultTimeLimit()
    {
        QCOMPARE(CurlHttpClient::Timeouts {}.total, 10000ms);
        QVERIFY(CurlHttpClient::Timeouts {}.connect <= 10000ms);
    }

    void refusedConnection()
    {
        const quint16 port = closedPort();
        QVERIFY(port != 0);
        CurlHttpClient client(TestTimeouts);
        QCOMPARE(client.get(QStringLiteral("http://127.0.0.1:%1/").arg(port)), std::nullopt);
    }

    void silentServerIsCutOff()
    {
        CannedServer server;
        QVERIFY(server.listen());
        server.silent = true;
        CurlHttpClient client({ 1000ms, 300ms });

        QElapsedTimer timer;
        timer.start();
        const QString url = server.url(QStringLiteral("/"));
        QCOMPARE(server.serve([&client, url] { return client.get(url); }), std::nullopt);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(server.requests.size(), 1);
    }

    // A proxy named by the environment is not used: the request still goes straight to the server.
    void ignoresProxyVariables()
    {
        const quint16 port = closedPort();
        QVERIFY(port != 0);
        const QByteArray proxy = "http://127.0.0.1:" + QByteArray::number(port);
        const QList<const char *> proxies { "http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY" };
        const QList<const char *> exceptions { "no_proxy", "NO_PROXY" };
        QList<std::pair<const char *, std::optional<QByteArray>>> saved;
        for (const char *name : proxies + exceptions)
            saved.append({ name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt });
        const auto restore = qScopeGuard([&saved] {
            for (const auto &[name, value] : saved)
                value ? qputenv(name, *value) : qunsetenv(name);
        });
        for (const char *name : proxies)
            qputenv(name, proxy);
        for (const char *name : exceptions)
            qunsetenv(name);

        CannedServer server;
        QVERIFY(server.listen());
        server.replies.insert("/", "HTTP/1.0 200 OK\r\n\r\ndirect");
        CurlHttpClient client(TestTimeouts);
        const QString url = server.url(QStringLiteral("/"));
        QCOMPARE(server.serve([&client, url] { return client.get(url); }), std::optional<QByteArray>("direct"));
    }
};

QTEST_GUILESS_MAIN(tst_HttpClient)
#include "tst_HttpClient.moc"

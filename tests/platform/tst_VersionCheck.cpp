#include "core/ProgramValues.h"
#include "platform/VersionCheckers.h"

#include <QTest>

using namespace sw;

namespace {

class FakeHttpClient final : public HttpClient
{
public:
    std::optional<QByteArray> reply;
    QStringList urls;
    std::optional<QByteArray> get(const QString &url) override
    {
        urls.append(url);
        return reply;
    }
};

} // namespace

class tst_VersionCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checkVersion_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("reply");
        QTest::addColumn<bool>("newer");
        QTest::newRow("newer") << std::optional<QByteArray>("VER. 1.002") << true;
        QTest::newRow("same") << std::optional<QByteArray>("VER. 1.000") << false;
        QTest::newRow("none known") << std::optional<QByteArray>("ver. 0.000\r\n") << false;
        QTest::newRow("without prefix") << std::optional<QByteArray>("1.500") << true;
        QTest::newRow("empty body") << std::optional<QByteArray>(QByteArray()) << false;
        QTest::newRow("request failed") << std::optional<QByteArray>() << false;
    }
    void checkVersion()
    {
        QFETCH(std::optional<QByteArray>, reply);
        QFETCH(bool, newer);
        FakeHttpClient http;
        http.reply = reply;
        HttpVersionChecker checker(http, QStringLiteral("https://vendor.example/home/download/GetversionSW.asp"),
            QString::fromLatin1(SWCodeText), QString::fromLatin1(Program_Version));

        QCOMPARE(checker.Check_Version(), newer);
        QCOMPARE(http.urls,
            QStringList { QStringLiteral("https://vendor.example/home/download/GetversionSW.asp?nomesw=SW61942") });
    }
};

QTEST_GUILESS_MAIN(tst_VersionCheck)
#include "tst_VersionCheck.moc"

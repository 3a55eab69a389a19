#include "CertificateFixtures.h"

#include "core/checks/CertificateInspection.h"
#include "core/text/Catalogue.h"

#include <QElapsedTimer>
#include <QtTest>

using sw::Finding;
using sw::FindingSeverity;
using sw::KnownCertRow;
using sw::ParGenValues;

namespace {

// Every check runs at this instant, so the fixtures' validity windows are fixed relative to it.
const QDateTime Now(QDate(2030, 6, 15), QTime(12, 0), Qt::UTC);

using Fixtures = sw::test::CertificateFixtures;

const Fixtures &fixtures()
{
    static const Fixtures made(Now);
    return made;
}

const QString &Garbage = sw::test::GarbagePem;

// A PEM text whose body is cut short: the armour is there, the content is not.
QString damaged(const QString &pem)
{
    const QStringList lines = pem.split(QLatin1Char('\n'));
    return lines.first() + QLatin1Char('\n') + lines.at(1).left(20) + QLatin1Char('\n') + lines.at(lines.size() - 2)
        + QLatin1Char('\n');
}

ParGenValues validChain()
{
    ParGenValues values;
    values.TLS_Server_Enable = true;
    values.TLS_Server_Key = fixtures().server.privatePem;
    values.TLS_Server_Server_Certificate = fixtures().serverCert;
    values.TLS_Server_Root_Certificate = fixtures().rootCert;
    return values;
}

// "E ParGen.xml:0 TLS_Server_Key" for each finding: what must match exactly.
QStringList placesOf(const QList<Finding> &findings)
{
    QStringList places;
    for (const Finding &finding : findings) {
        places << QStringLiteral("%1 %2:%3 %4")
                      .arg(finding.severity == FindingSeverity::Error ? "E" : "W", finding.document)
                      .arg(finding.row)
                      .arg(finding.field);
    }
    return places;
}

} // namespace

class tst_CertificateInspection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void certificateSummary();
    void unreadableCertificate_data();
    void unreadableCertificate();
    void privateKey_data();
    void privateKey();
    void findings_data();
    void findings();
    void findingTextsNameTheProblem();
};

void tst_CertificateInspection::initTestCase()
{
    QVERIFY(fixtures().root.key && fixtures().server.key && fixtures().other.key);
    QVERIFY(fixtures().serverCert.startsWith(QLatin1String("-----BEGIN CERTIFICATE-----")));
    QVERIFY(fixtures().encryptedServerKey.contains(QLatin1String("ENCRYPTED")));
}

void tst_CertificateInspection::certificateSummary()
{
    const sw::CertificateSummary server = sw::inspectCertificate(fixtures().serverCert, sw::defaultMessages());
    QVERIFY(server.readable);
    QVERIFY(server.reason.isEmpty());
    QCOMPARE(server.subject, QStringLiteral("O=Test Lab, CN=gateway"));
    QCOMPARE(server.issuer, QStringLiteral("O=Test Lab, CN=Test Root"));
    QCOMPARE(server.validFrom, Now.addDays(-1));
    QCOMPARE(server.validUntil, Now.addYears(1));
    QCOMPARE(server.validUntil.timeSpec(), Qt::UTC);

    // Texts are kept as typed: Windows line breaks and blanks around the block still read.
    QString typed = fixtures().rootCert;
    typed.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const sw::CertificateSummary root
        = sw::inspectCertificate(QLatin1String("  \r\n") + typed + QLatin1String("  "), sw::defaultMessages());
    QVERIFY2(root.readable, qPrintable(root.reason));
    QCOMPARE(root.subject, root.issuer);
}

void tst_CertificateInspection::unreadableCertificate_data()
{
    QTest::addColumn<QString>("pem");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty") << QString() << "no PEM certificate found";
    QTest::newRow("garbage") << Garbage << "no PEM certificate found";
    QTest::newRow("a key, not a certificate") << fixtures().server.privatePem << "no PEM certificate found";
    QTest::newRow("damaged body") << damaged(fixtures().serverCert) << "damaged certificate";
}

void tst_CertificateInspection::unreadableCertificate()
{
    QFETCH(QString, pem);
    QFETCH(QString, reason);

    const sw::CertificateSummary summary = sw::inspectCertificate(pem, sw::defaultMessages());
    QVERIFY(!summary.readable);
    QVERIFY2(summary.reason.startsWith(reason), qPrintable(summary.reason));
    QVERIFY(summary.subject.isEmpty());
    QVERIFY(!summary.validUntil.isValid());
}

void tst_CertificateInspection::privateKey_data()
{
    QTest::addColumn<QString>("pem");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("reason"); // empty when the key reads

    QTest::newRow("plain key") << fixtures().server.privatePem << QString() << QString();
    QTest::newRow("plain key, password ignored") << fixtures().server.privatePem << "any" << QString();
    QTest::newRow("encrypted, right password") << fixtures().encryptedServerKey << "s3cret pass" << QString();
    QTest::newRow("encrypted, wrong password") << fixtures().encryptedServerKey << "s3cret"
                                               << "the password does not open the key";
    QTest::newRow("encrypted, no password")
        << fixtures().encryptedServerKey << QString() << "the key is encrypted and no password is given";
    QTest::newRow("garbage") << Garbage << QString() << "no PEM private key found";
    QTest::newRow("a certificate, not a key") << fixtures().serverCert << QString() << "no PEM private key found";
    QTest::newRow("damaged body") << damaged(fixtures().server.privatePem) << QString() << "damaged private key";
    // The work a key asks for is read before anything is derived: beyond the limit the key is
    // refused at once, whatever the password; at the limit it is opened (and its filler body
    // does not decrypt).
    QTest::newRow("PBKDF2, 2^31 - 1 iterations") << sw::test::costlyKeyPem(0x7FFFFFFF) << "pass"
                                                 << "key derivation too costly to check";
    QTest::newRow("PBKDF2, 2^31 - 1 iterations, no password")
        << sw::test::costlyKeyPem(0x7FFFFFFF) << QString() << "key derivation too costly to check";
    QTest::newRow("PBKDF2, one over the limit") << sw::test::costlyKeyPem(sw::MaxKeyDerivationIterations + 1) << "pass"
                                                << "key derivation too costly to check";
    QTest::newRow("PBKDF2, 2048 iterations") << sw::test::costlyKeyPem(2048) << "pass"
                                             << "the password does not open the key";
    QTest::newRow("scrypt, N = 2^30") << sw::test::costlyKeyPem(0, quint64(1) << 30) << "pass"
                                      << "key derivation too costly to check";
    QTest::newRow("scrypt, N = 2^64 - 1") << sw::test::costlyKeyPem(0, ~quint64(0)) << "pass"
                                          << "key derivation too costly to check";
}

void tst_CertificateInspection::privateKey()
{
    QFETCH(QString, pem);
    QFETCH(QString, password);
    QFETCH(QString, reason);

    QElapsedTimer clock;
    clock.start();
    const sw::KeySummary summary = sw::inspectPrivateKey(pem, password, sw::defaultMessages());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(summary.readable, reason.isEmpty());
    QVERIFY2(summary.reason.startsWith(reason), qPrintable(summary.reason));
    QCOMPARE(summary.reason.isEmpty(), reason.isEmpty());
}

void tst_CertificateInspection::findings_data()
{
    QTest::addColumn<ParGenValues>("values");
    QTest::addColumn<QList<KnownCertRow>>("rows");
    QTest::addColumn<QStringList>("places");

    const Fixtures &f = fixtures();
    const QString key = QStringLiteral("E ParGen.xml:0 TLS_Server_Key");
    const QString server = QStringLiteral("E ParGen.xml:0 TLS_Server_Server_Certificate");
    const QString root = QStringLiteral("E ParGen.xml:0 TLS_Server_Root_Certificate");
    const auto with = [](void (*change)(ParGenValues &)) {
        ParGenValues values = validChain();
        change(values);
        return values;
    };

    QTest::newRow("valid chain") << validChain() << QList<KnownCertRow> {} << QStringList {};
    QTest::newRow("nothing entered") << ParGenValues {} << QList<KnownCertRow> {} << QStringList {};
    QTest::newRow("encrypted key, right password") << with([](ParGenValues &v) {
        v.TLS_Server_Key = fixtures().encryptedServerKey;
        v.TLS_Server_Key_Password = QStringLiteral("s3cret pass");
    }) << QList<KnownCertRow> {} << QStringList {};
    QTest::newRow("encrypted key, wrong password") << with([](ParGenValues &v) {
        v.TLS_Server_Key = fixtures().encryptedServerKey;
        v.TLS_Server_Key_Password = QStringLiteral("wrong");
    }) << QList<KnownCertRow> {} << QStringList { key };
    QTest::newRow("mismatched key") << with([](ParGenValues &v) { v.TLS_Server_Key = fixtures().other.privatePem; })
                                    << QList<KnownCertRow> {} << QStringList { key };
    QTest::newRow("signed by another root")
        << with([](ParGenValues &v) { v.TLS_Server_Root_Certificate = fixtures().otherRootCert; })
        << QList<KnownCertRow> {} << QStringList { server };
    QTest::newRow("garbage everywhere") << with([](ParGenValues &v) {
        v.TLS_Server_Key = Garbage;
        v.TLS_Server_Server_Certificate = Garbage;
        v.TLS_Server_Root_Certificate = Garbage;
    }) << QList<KnownCertRow> {} << QStringList { key, server, root };
    QTest::newRow("garbage root: no signature check")
        << with([](ParGenValues &v) { v.TLS_Server_Root_Certificate = Garbage; }) << QList<KnownCertRow> {}
        << QStringList { root };
    QTest::newRow("expired server certificate")
        << with([](ParGenValues &v) { v.TLS_Server_Server_Certificate = fixtures().expiredCert; })
        << QList<KnownCertRow> {} << QStringList { server };
    QTest::newRow("server certificate not yet valid")
        << with([](ParGenValues &v) { v.TLS_Server_Server_Certificate = fixtures().notYetValidCert; })
        << QList<KnownCertRow> {} << QStringList { server };
    QTest::newRow("server certificate ends in 10 days")
        << with([](ParGenValues &v) { v.TLS_Server_Server_Certificate = fixtures().expiringSoonCert; })
        << QList<KnownCertRow> {} << QStringList { "W ParGen.xml:0 TLS_Server_Server_Certificate" };
    QTest::newRow("server certificate ends in 30 days")
        << with([](ParGenValues &v) { v.TLS_Server_Server_Certificate = fixtures().thirtyDaysCert; })
        << QList<KnownCertRow> {} << QStringList { "W ParGen.xml:0 TLS_Server_Server_Certificate" };
    QTest::newRow("server certificate ends in 31 days")
        << with([](ParGenValues &v) { v.TLS_Server_Server_Certificate = fixtures().thirtyOneDaysCert; })
        << QList<KnownCertRow> {} << QStringList {};

    // Rows are numbered from 1; a blank certificate is no finding, disabled rows are checked too.
    QTest::newRow("known certificates") << ParGenValues {}
                                        << QList<KnownCertRow> { { true, f.serverCert, "ok" },
                                               { false, f.expiredCert, "old" },
                                               { true, QStringLiteral(" \n"), "blank" }, { true, Garbage, "bad" },
                                               { true, f.expiringSoonCert, "soon" } }
                                        << QStringList { "E TLS_Known_Cert.xml:2 Certificate",
                                               "E TLS_Known_Cert.xml:4 Certificate",
                                               "W TLS_Known_Cert.xml:5 Certificate" };
}

void tst_CertificateInspection::findings()
{
    QFETCH(ParGenValues, values);
    QFETCH(QList<KnownCertRow>, rows);
    QFETCH(QStringList, places);

    QCOMPARE(placesOf(sw::inspectCertificates(values, rows, Now, sw::defaultMessages())), places);
}

void tst_CertificateInspection::findingTextsNameTheProblem()
{
    ParGenValues values = validChain();
    values.TLS_Server_Key = fixtures().other.privatePem;
    values.TLS_Server_Root_Certificate = fixtures().otherRootCert;
    const QList<KnownCertRow> rows { { true, fixtures().expiredCert, {} }, { true, fixtures().notYetValidCert, {} },
        { true, fixtures().expiringSoonCert, {} }, { true, Garbage, {} } };

    QStringList texts;
    for (const Finding &finding : sw::inspectCertificates(values, rows, Now, sw::defaultMessages()))
        texts << finding.text;
    const QString until = (Now.addSecs(-60)).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    QCOMPARE(texts,
        QStringList({ "does not belong to the server certificate", "not signed by the root certificate",
            "expired on " + until + " UTC", "not valid before 2030-06-15 12:01 UTC", "expires on 2030-06-25 12:00 UTC",
            "cannot be read: no PEM certificate found" }));
}

QTEST_APPLESS_MAIN(tst_CertificateInspection)
#include "tst_CertificateInspection.moc"

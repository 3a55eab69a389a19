#include "core/checks/CertificateInspection.h"
#include "core/checks/CryptoLibrary.h"
#include "core/text/Catalogue.h"
#include "core/text/MessageIds.h"

#include <QFile>
#include <QScopeGuard>
#include <QtTest>

using sw::CryptoLibrary;
using sw::Finding;
using sw::FindingSeverity;

namespace {

// Whether libcrypto is mapped into this process. This test program does not link it.
bool cryptoMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/libcrypto.so");
}

} // namespace

class tst_CryptoLibrary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadedOnFirstUse();
    void unusableLibrary_data();
    void unusableLibrary();
};

// Runs first: nothing before it may inspect a certificate.
void tst_CryptoLibrary::loadedOnFirstUse()
{
#ifndef Q_OS_LINUX
    QSKIP("reads the process's mappings from /proc");
#endif
    QVERIFY2(!cryptoMapped(), "libcrypto is loaded before any certificate is inspected");
    const sw::CertificateSummary summary
        = sw::inspectCertificate(QStringLiteral("not a certificate"), sw::defaultMessages());
    QCOMPARE(summary.reason, sw::defaultMessages().value(sw::MsgId::CertNoPem));
    QVERIFY(cryptoMapped());
}

void tst_CryptoLibrary::unusableLibrary_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("named"); // what the reason must name

    QTest::newRow("missing") << QStringLiteral("libsw-no-such-crypto.so.3")
                             << QStringLiteral("libsw-no-such-crypto.so.3");
#ifdef Q_OS_LINUX
    // A library that loads but lacks the functions: the first one looked up is named.
    QTest::newRow("not libcrypto") << QStringLiteral("libc.so.6") << QStringLiteral("ASN1_INTEGER_get_uint64");
#endif
}

// Every text is then reported unreadable, with the reason naming what is missing, and nothing is
// called through a pointer that was not resolved.
void tst_CryptoLibrary::unusableLibrary()
{
    QFETCH(QString, fileName);
    QFETCH(QString, named);
    const CryptoLibrary library(fileName);
    QVERIFY(!library.isLoaded());
    const QString reason = library.errorString();
    QVERIFY2(reason.contains(named), qPrintable(reason));

    CryptoLibrary::overrideInstance(&library);
    const auto restore = qScopeGuard([] { CryptoLibrary::overrideInstance(nullptr); });
    const QStringList &catalogue = sw::defaultMessages();
    const QString text = QStringLiteral("-----BEGIN CERTIFICATE-----\nAAAA\n-----END CERTIFICATE-----\n");

    const sw::CertificateSummary certificate = sw::inspectCertificate(text, catalogue);
    QVERIFY(!certificate.readable);
    QCOMPARE(certificate.reason, reason);
    const sw::KeySummary key = sw::inspectPrivateKey(text, QStringLiteral("secret"), catalogue);
    QVERIFY(!key.readable);
    QCOMPARE(key.reason, reason);

    sw::ParGenValues values;
    values.TLS_Server_Enable = true;
    values.TLS_Server_Key = text;
    values.TLS_Server_Server_Certificate = text;
    values.TLS_Server_Root_Certificate = text;
    sw::KnownCertRow row;
    row.Certificate = text;
    const sw::TlsInspection inspection
        = sw::inspectTls(values, { row }, QDateTime(QDate(2030, 6, 15), QTime(12, 0), Qt::UTC), catalogue);
    QStringList fields;
    for (const Finding &finding : inspection.findings) {
        QCOMPARE(finding.severity, FindingSeverity::Error);
        QCOMPARE(finding.text, catalogue.value(sw::MsgId::CertUnreadable).arg(reason));
        fields << finding.field;
    }
    QCOMPARE(fields,
        QStringList({ QStringLiteral("TLS_Server_Key"), QStringLiteral("TLS_Server_Server_Certificate"),
            QStringLiteral("TLS_Server_Root_Certificate"), QStringLiteral("Certificate") }));
}

QTEST_APPLESS_MAIN(tst_CryptoLibrary)
#include "tst_CryptoLibrary.moc"

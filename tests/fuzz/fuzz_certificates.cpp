// Feeds arbitrary bytes as PEM texts to the certificate and key inspection: the first byte is the
// length of the key password that follows, the rest is the PEM text, used as the server key,
// server certificate, root certificate and a known certificate at once. Asserts that a text is
// readable exactly when no reason is given, and that an unreadable text is reported in its field.
#include "FuzzSupport.h"

#include "core/checks/CertificateInspection.h"

#include <QDateTime>
#include <algorithm>

namespace {

bool reported(const QList<sw::Finding> &findings, const QString &field)
{
    return std::any_of(findings.begin(), findings.end(),
        [&](const sw::Finding &f) { return f.field == field && f.severity == sw::FindingSeverity::Error; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t passwordSize = std::min<size_t>(data[0], size - 1);
    const QString password = QString::fromUtf8(fuzz::bytes(data + 1, passwordSize));
    const QString pem = QString::fromUtf8(fuzz::bytes(data + 1 + passwordSize, size - 1 - passwordSize));
    const QStringList &catalogue = fuzz::catalogue();

    const sw::CertificateSummary certificate = sw::inspectCertificate(pem, catalogue);
    fuzz::require(certificate.readable == certificate.reason.isEmpty());
    const sw::KeySummary key = sw::inspectPrivateKey(pem, password, catalogue);
    fuzz::require(key.readable == key.reason.isEmpty());

    sw::ParGenValues values;
    values.TLS_Server_Enable = true;
    values.TLS_Server_Enable_Known_Cert = true;
    values.TLS_Server_Key = pem;
    values.TLS_Server_Key_Password = password;
    values.TLS_Server_Server_Certificate = pem;
    values.TLS_Server_Root_Certificate = pem;
    const QList<sw::KnownCertRow> rows { { true, pem, QStringLiteral("fuzz") } };
    const QDateTime now(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
    const QList<sw::Finding> findings = sw::inspectCertificates(values, rows, now, catalogue);
    for (const sw::Finding &finding : findings)
        fuzz::require(!finding.text.isEmpty() && finding.row >= 0 && finding.row <= 1);
    if (!pem.trimmed().isEmpty()) {
        fuzz::require(key.readable || reported(findings, QStringLiteral("TLS_Server_Key")));
        fuzz::require(certificate.readable || reported(findings, QStringLiteral("TLS_Server_Server_Certificate")));
        fuzz::require(certificate.readable || reported(findings, QStringLiteral("Certificate")));
    }
    return 0;
}

#pragma once

#include "core/checks/Finding.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace sw {

// What a PEM certificate text says about itself, or why it cannot be read. Names are the
// one-line form "CN=..., O=..."; times are UTC.
struct CertificateSummary
{
    bool readable = false;
    QString subject;
    QString issuer;
    QDateTime validFrom;
    QDateTime validUntil;
    QString reason; // why it cannot be read; empty when readable
};

// Every text these functions give (reasons, finding texts) comes from `catalogue`, in the user's
// language; what OpenSSL itself says is added in English. OpenSSL's libcrypto is loaded on the
// first call; when it cannot be, every text is unreadable and the reason names the library.

// Reads the first certificate of a PEM text. Never throws: a text that is not a certificate gives
// readable false and the reason.
CertificateSummary inspectCertificate(const QString &pem, const QStringList &catalogue);

// Whether a PEM private key can be read with `password` (ignored for a key that is not
// encrypted), or why not. Never asks for a password anywhere else.
struct KeySummary
{
    bool readable = false;
    QString reason; // why it cannot be read; empty when readable
};

// The most key-derivation work that a key is opened with: PBKDF2 or PKCS#5/PKCS#12 iterations
// (real keys use a few thousand to a few hundred thousand), and scrypt's N * r * p (2^24: a
// second or so). A key that asks for more is refused unopened: "key derivation too costly".
inline constexpr quint64 MaxKeyDerivationIterations = 1'000'000;
inline constexpr quint64 MaxScryptWork = quint64(1) << 24;

KeySummary inspectPrivateKey(const QString &pem, const QString &password, const QStringList &catalogue);

// A certificate within this many days of its end is reported as a warning.
inline constexpr int CertificateExpiryWarningDays = 30;

// Checks the TLS texts of the parameters (server key with its password, server certificate, root
// certificate) and the certificate of each known-certificate row, at time `now`. Reports a text
// that cannot be read, a key that does not belong to the server certificate, a server certificate
// not signed by the root certificate, a certificate not yet valid or expired (errors) and one that
// ends within CertificateExpiryWarningDays (warning). Empty texts are not checked; the pair checks
// run only when both sides are readable. Findings come in the order: key, server certificate, root
// certificate, key match, root signature, then the rows. Never throws.
QList<Finding> inspectCertificates(const ParGenValues &values, const QList<KnownCertRow> &knownCerts,
    const QDateTime &now, const QStringList &catalogue);

// One inspection of the TLS texts: the findings of inspectCertificates and what each text says
// about itself, read once, so that tooltips need not read a text again. A blank text has no
// summary.
struct TlsInspection
{
    QList<Finding> findings;
    std::optional<KeySummary> key;
    std::optional<CertificateSummary> server;
    std::optional<CertificateSummary> root;
    QList<std::optional<CertificateSummary>> known; // one per row of knownCerts
};

// inspectCertificates with the summaries. Each text, the key included, is read exactly once.
TlsInspection inspectTls(const ParGenValues &values, const QList<KnownCertRow> &knownCerts, const QDateTime &now,
    const QStringList &catalogue);

} // namespace sw

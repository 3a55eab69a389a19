#include "core/checks/CertificateInspection.h"

#include "core/documents/ProjectFiles.h"
#include "core/text/MessageIds.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <QRegularExpression>

#include <cstring>
#include <ctime>
#include <memory>

namespace sw {

namespace {

struct BioFree
{
    void operator()(BIO *bio) const { BIO_free(bio); }
};
struct X509Free
{
    void operator()(X509 *cert) const { X509_free(cert); }
};
struct KeyFree
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;
using X509Ptr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

// A read-only memory source over `bytes`, which must outlive it.
BioPtr memorySource(const QByteArray &bytes)
{
    return BioPtr(BIO_new_mem_buf(bytes.constData(), int(bytes.size())));
}

// The most recent OpenSSL error as text, clearing the thread's queue so that later reads start
// clean.
QString lastOpenSslReason()
{
    const unsigned long code = ERR_peek_last_error();
    const char *reason = code ? ERR_reason_error_string(code) : nullptr;
    ERR_clear_error();
    return reason ? QString::fromUtf8(reason) : QStringLiteral("unknown reason");
}

// Whether the text holds the opening line of a PEM certificate or private key. The reader's own
// error codes differ between OpenSSL versions, so "nothing of that kind" is recognised here.
bool hasCertificateBlock(const QByteArray &bytes)
{
    static const QRegularExpression opening(QStringLiteral("-----BEGIN (X509 |TRUSTED )?CERTIFICATE-----"));
    return opening.match(QString::fromLatin1(bytes)).hasMatch();
}

bool hasPrivateKeyBlock(const QByteArray &bytes)
{
    static const QRegularExpression opening(QStringLiteral("-----BEGIN [A-Z0-9 ]*PRIVATE KEY-----"));
    return opening.match(QString::fromLatin1(bytes)).hasMatch();
}

// Hands the given password to the PEM reader; never prompts.
int passwordCallback(char *buffer, int size, int, void *userData)
{
    const auto *password = static_cast<const QByteArray *>(userData);
    if (password->size() > size)
        return -1;
    std::memcpy(buffer, password->constData(), size_t(password->size()));
    return int(password->size());
}

// A password callback that answers nothing, so that an encrypted text fails instead of asking.
int noPasswordCallback(char *, int, int, void *)
{
    return -1;
}

QString nameText(const X509_NAME *name)
{
    BioPtr out(BIO_new(BIO_s_mem()));
    if (!out || X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_SEP_CPLUS_SPC | ASN1_STRFLGS_RFC2253) < 0)
        return {};
    char *data = nullptr;
    const long length = BIO_get_mem_data(out.get(), &data);
    return QString::fromUtf8(data, qsizetype(length));
}

QDateTime timeValue(const ASN1_TIME *time)
{
    std::tm parts {};
    if (!time || ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
        QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

QString timeText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
}

X509Ptr readCertificate(const QString &pem, const QStringList &catalogue, QString *reason)
{
    const QByteArray bytes = pem.toUtf8();
    ERR_clear_error();
    BioPtr source = memorySource(bytes);
    X509Ptr cert(source ? PEM_read_bio_X509(source.get(), nullptr, noPasswordCallback, nullptr) : nullptr);
    if (!cert) {
        *reason = !hasCertificateBlock(bytes) ? catalogue.value(MsgId::CertNoPem)
                                              : catalogue.value(MsgId::CertDamaged).arg(lastOpenSslReason());
        ERR_clear_error();
    }
    return cert;
}

KeyPtr readKey(const QString &pem, const QString &password, const QStringList &catalogue, QString *reason)
{
    const QByteArray bytes = pem.toUtf8();
    QByteArray passwordBytes = password.toUtf8();
    ERR_clear_error();
    BioPtr source = memorySource(bytes);
    KeyPtr key(source ? PEM_read_bio_PrivateKey(source.get(), nullptr, passwordCallback, &passwordBytes) : nullptr);
    if (!key) {
        const bool encrypted = bytes.contains("ENCRYPTED");
        if (!hasPrivateKeyBlock(bytes))
            *reason = catalogue.value(MsgId::KeyNoPem);
        else if (encrypted && password.isEmpty())
            *reason = catalogue.value(MsgId::KeyNeedsPassword);
        else if (encrypted)
            *reason = catalogue.value(MsgId::KeyWrongPassword);
        else
            *reason = catalogue.value(MsgId::KeyDamaged).arg(lastOpenSslReason());
        ERR_clear_error();
    }
    return key;
}

class FindingList
{
public:
    FindingList(QList<Finding> *findings, const QStringList &catalogue, QString document, int row, QString field)
        : m_findings(findings)
        , m_catalogue(catalogue)
        , m_document(std::move(document))
        , m_row(row)
        , m_field(std::move(field))
    {
    }
    void add(FindingSeverity severity, const QString &text) const
    {
        m_findings->append({ severity, m_document, m_row, m_field, text });
    }
    QString text(int message) const { return m_catalogue.value(message); }
    const QStringList &catalogue() const { return m_catalogue; }

private:
    QList<Finding> *m_findings;
    const QStringList &m_catalogue;
    QString m_document;
    int m_row;
    QString m_field;
};

// Reads one certificate text and reports whether it can be read and whether it is valid at `now`.
X509Ptr checkCertificate(const QString &pem, const QDateTime &now, const FindingList &report)
{
    QString reason;
    X509Ptr cert = readCertificate(pem, report.catalogue(), &reason);
    if (!cert) {
        report.add(FindingSeverity::Error, report.text(MsgId::CertUnreadable).arg(reason));
        return cert;
    }
    const QDateTime from = timeValue(X509_get0_notBefore(cert.get()));
    const QDateTime until = timeValue(X509_get0_notAfter(cert.get()));
    if (from.isValid() && now < from) {
        report.add(FindingSeverity::Error, report.text(MsgId::CertNotYetValid).arg(timeText(from)));
    } else if (until.isValid() && now > until) {
        report.add(FindingSeverity::Error, report.text(MsgId::CertExpired).arg(timeText(until)));
    } else if (until.isValid() && now.addDays(CertificateExpiryWarningDays) >= until) {
        report.add(FindingSeverity::Warning, report.text(MsgId::CertExpiresSoon).arg(timeText(until)));
    }
    return cert;
}

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

} // namespace

CertificateSummary inspectCertificate(const QString &pem, const QStringList &catalogue)
{
    CertificateSummary summary;
    X509Ptr cert = readCertificate(pem, catalogue, &summary.reason);
    if (!cert)
        return summary;
    summary.readable = true;
    summary.subject = nameText(X509_get_subject_name(cert.get()));
    summary.issuer = nameText(X509_get_issuer_name(cert.get()));
    summary.validFrom = timeValue(X509_get0_notBefore(cert.get()));
    summary.validUntil = timeValue(X509_get0_notAfter(cert.get()));
    return summary;
}

KeySummary inspectPrivateKey(const QString &pem, const QString &password, const QStringList &catalogue)
{
    KeySummary summary;
    summary.readable = readKey(pem, password, catalogue, &summary.reason) != nullptr;
    return summary;
}

QList<Finding> inspectCertificates(const ParGenValues &values, const QList<KnownCertRow> &knownCerts,
    const QDateTime &now, const QStringList &catalogue)
{
    QList<Finding> findings;
    const QString parGen = QString::fromLatin1(ParGenFileName);

    KeyPtr key;
    const FindingList keyReport(&findings, catalogue, parGen, 0, QStringLiteral("TLS_Server_Key"));
    if (!isBlank(values.TLS_Server_Key)) {
        QString reason;
        key = readKey(values.TLS_Server_Key, values.TLS_Server_Key_Password, catalogue, &reason);
        if (!key)
            keyReport.add(FindingSeverity::Error, keyReport.text(MsgId::CertUnreadable).arg(reason));
    }

    X509Ptr server;
    const FindingList serverReport(&findings, catalogue, parGen, 0, QStringLiteral("TLS_Server_Server_Certificate"));
    if (!isBlank(values.TLS_Server_Server_Certificate))
        server = checkCertificate(values.TLS_Server_Server_Certificate, now, serverReport);

    X509Ptr root;
    if (!isBlank(values.TLS_Server_Root_Certificate)) {
        root = checkCertificate(values.TLS_Server_Root_Certificate, now,
            FindingList(&findings, catalogue, parGen, 0, QStringLiteral("TLS_Server_Root_Certificate")));
    }

    if (key && server && X509_check_private_key(server.get(), key.get()) != 1)
        keyReport.add(FindingSeverity::Error, keyReport.text(MsgId::KeyMismatch));
    if (server && root) {
        EVP_PKEY *rootKey = X509_get0_pubkey(root.get());
        if (!rootKey || X509_verify(server.get(), rootKey) != 1)
            serverReport.add(FindingSeverity::Error, serverReport.text(MsgId::CertNotSignedByRoot));
    }
    ERR_clear_error();

    const QString knownCertDocument = QString::fromLatin1(KnownCertFileName);
    for (qsizetype i = 0; i < knownCerts.size(); ++i) {
        if (isBlank(knownCerts[i].Certificate))
            continue;
        checkCertificate(knownCerts[i].Certificate, now,
            FindingList(&findings, catalogue, knownCertDocument, int(i + 1), QStringLiteral("Certificate")));
    }
    return findings;
}

} // namespace sw

#include "core/checks/CertificateInspection.h"

#include "core/checks/CryptoLibrary.h"
#include "core/documents/ProjectFiles.h"
#include "core/text/MessageIds.h"

#include <QRegularExpression>

#include <cstring>
#include <ctime>
#include <limits>
#include <memory>

namespace sw {

namespace {

// Every OpenSSL call goes through the library opened on first use.
const CryptoLibrary &crypto()
{
    return CryptoLibrary::instance();
}

struct BioFree
{
    void operator()(BIO *bio) const { crypto().BIO_free(bio); }
};
struct X509Free
{
    void operator()(X509 *cert) const { crypto().X509_free(cert); }
};
struct KeyFree
{
    void operator()(EVP_PKEY *key) const { crypto().EVP_PKEY_free(key); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;
using X509Ptr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

// A read-only memory source over `bytes`, which must outlive it.
BioPtr memorySource(const QByteArray &bytes)
{
    return BioPtr(crypto().BIO_new_mem_buf(bytes.constData(), int(bytes.size())));
}

// The most recent OpenSSL error as text, clearing the thread's queue so that later reads start
// clean.
QString lastOpenSslReason()
{
    const unsigned long code = crypto().ERR_peek_last_error();
    const char *reason = code ? crypto().ERR_reason_error_string(code) : nullptr;
    crypto().ERR_clear_error();
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

struct SigFree
{
    void operator()(X509_SIG *sig) const { crypto().X509_SIG_free(sig); }
};

quint64 integerValue(const ASN1_INTEGER *value)
{
    uint64_t out = 0;
    return value && crypto().ASN1_INTEGER_get_uint64(&out, value) == 1 ? out : std::numeric_limits<quint64>::max();
}

// Whether opening the encrypted PKCS#8 key in `bytes` would take key-derivation work beyond what
// any real device key uses: the work is read from the key's parameters, without deriving
// anything, so that a small hostile key cannot keep the program busy for minutes. A key that is
// not of that kind, or whose parameters cannot be read, is left to the reader.
bool keyDerivationTooCostly(const QByteArray &bytes)
{
    if (!bytes.contains("ENCRYPTED PRIVATE KEY"))
        return false;
    BioPtr source = memorySource(bytes);
    std::unique_ptr<X509_SIG, SigFree> sig(
        source ? crypto().PEM_read_bio_PKCS8(source.get(), nullptr, nullptr, nullptr) : nullptr);
    crypto().ERR_clear_error();
    if (!sig)
        return false;
    const X509_ALGOR *algorithm = nullptr;
    crypto().X509_SIG_get0(sig.get(), &algorithm, nullptr);
    const ASN1_OBJECT *oid = nullptr;
    int parameterType = 0;
    const void *parameterValue = nullptr;
    crypto().X509_ALGOR_get0(&oid, &parameterType, &parameterValue, algorithm);
    if (parameterType != V_ASN1_SEQUENCE || !algorithm->parameter)
        return false;
    const ASN1_TYPE *parameter = algorithm->parameter;

    if (crypto().OBJ_obj2nid(oid) != NID_pbes2) {
        // PKCS#5 v1.5 and PKCS#12 schemes: a salt and an iteration count.
        PBEPARAM *pbe = static_cast<PBEPARAM *>(crypto().ASN1_TYPE_unpack_sequence(crypto().PBEPARAM_it(), parameter));
        const bool costly = pbe && integerValue(pbe->iter) > MaxKeyDerivationIterations;
        crypto().PBEPARAM_free(pbe);
        return costly;
    }
    PBE2PARAM *pbes2 = static_cast<PBE2PARAM *>(crypto().ASN1_TYPE_unpack_sequence(crypto().PBE2PARAM_it(), parameter));
    if (!pbes2 || !pbes2->keyfunc || !pbes2->keyfunc->parameter || pbes2->keyfunc->parameter->type != V_ASN1_SEQUENCE) {
        crypto().PBE2PARAM_free(pbes2);
        return false;
    }
    bool costly = false;
    const ASN1_TYPE *kdfParameter = pbes2->keyfunc->parameter;
    switch (crypto().OBJ_obj2nid(pbes2->keyfunc->algorithm)) {
    case NID_id_pbkdf2: {
        PBKDF2PARAM *kdf
            = static_cast<PBKDF2PARAM *>(crypto().ASN1_TYPE_unpack_sequence(crypto().PBKDF2PARAM_it(), kdfParameter));
        costly = kdf && integerValue(kdf->iter) > MaxKeyDerivationIterations;
        crypto().PBKDF2PARAM_free(kdf);
        break;
    }
    case NID_id_scrypt: {
        SCRYPT_PARAMS *kdf = static_cast<SCRYPT_PARAMS *>(
            crypto().ASN1_TYPE_unpack_sequence(crypto().SCRYPT_PARAMS_it(), kdfParameter));
        if (kdf) {
            // The work grows with N * r * p; each factor is bounded first so the product cannot wrap.
            const quint64 n = integerValue(kdf->costParameter);
            const quint64 r = integerValue(kdf->blockSize);
            const quint64 p = integerValue(kdf->parallelizationParameter);
            costly = n > MaxScryptWork || r > MaxScryptWork || p > MaxScryptWork || n * r > MaxScryptWork
                || n * r * p > MaxScryptWork;
        }
        crypto().SCRYPT_PARAMS_free(kdf);
        break;
    }
    default:
        break;
    }
    crypto().PBE2PARAM_free(pbes2);
    return costly;
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
    BioPtr out(crypto().BIO_new(crypto().BIO_s_mem()));
    if (!out || crypto().X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_SEP_CPLUS_SPC | ASN1_STRFLGS_RFC2253) < 0)
        return {};
    char *data = nullptr; // what BIO_get_mem_data gives
    const long length = crypto().BIO_ctrl(out.get(), BIO_CTRL_INFO, 0, &data);
    return QString::fromUtf8(data, qsizetype(length));
}

QDateTime timeValue(const ASN1_TIME *time)
{
    std::tm parts {};
    if (!time || crypto().ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
        QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

QString timeText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
}

// Whether OpenSSL can be used; if not, `reason` says why, as a text that cannot be read would.
bool cryptoUsable(QString *reason)
{
    if (!crypto().isLoaded())
        *reason = crypto().errorString();
    return crypto().isLoaded();
}

X509Ptr readCertificate(const QString &pem, const QStringList &catalogue, QString *reason)
{
    if (!cryptoUsable(reason))
        return nullptr;
    const QByteArray bytes = pem.toUtf8();
    crypto().ERR_clear_error();
    BioPtr source = memorySource(bytes);
    X509Ptr cert(source ? crypto().PEM_read_bio_X509(source.get(), nullptr, noPasswordCallback, nullptr) : nullptr);
    if (!cert) {
        *reason = !hasCertificateBlock(bytes) ? catalogue.value(MsgId::CertNoPem)
                                              : catalogue.value(MsgId::CertDamaged).arg(lastOpenSslReason());
        crypto().ERR_clear_error();
    }
    return cert;
}

KeyPtr readKey(const QString &pem, const QString &password, const QStringList &catalogue, QString *reason)
{
    if (!cryptoUsable(reason))
        return nullptr;
    const QByteArray bytes = pem.toUtf8();
    if (keyDerivationTooCostly(bytes)) {
        *reason = catalogue.value(MsgId::KeyTooCostly);
        return nullptr;
    }
    QByteArray passwordBytes = password.toUtf8();
    crypto().ERR_clear_error();
    BioPtr source = memorySource(bytes);
    KeyPtr key(
        source ? crypto().PEM_read_bio_PrivateKey(source.get(), nullptr, passwordCallback, &passwordBytes) : nullptr);
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
        crypto().ERR_clear_error();
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

CertificateSummary summaryOf(const X509 *cert)
{
    CertificateSummary summary;
    summary.readable = true;
    summary.subject = nameText(crypto().X509_get_subject_name(cert));
    summary.issuer = nameText(crypto().X509_get_issuer_name(cert));
    summary.validFrom = timeValue(crypto().X509_get0_notBefore(cert));
    summary.validUntil = timeValue(crypto().X509_get0_notAfter(cert));
    return summary;
}

// Reads one certificate text, reports whether it can be read and whether it is valid at `now`,
// and puts what it says about itself into `summary`.
X509Ptr checkCertificate(
    const QString &pem, const QDateTime &now, const FindingList &report, CertificateSummary &summary)
{
    X509Ptr cert = readCertificate(pem, report.catalogue(), &summary.reason);
    if (!cert) {
        report.add(FindingSeverity::Error, report.text(MsgId::CertUnreadable).arg(summary.reason));
        return cert;
    }
    summary = summaryOf(cert.get());
    const QDateTime &from = summary.validFrom;
    const QDateTime &until = summary.validUntil;
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
    return cert ? summaryOf(cert.get()) : summary;
}

KeySummary inspectPrivateKey(const QString &pem, const QString &password, const QStringList &catalogue)
{
    KeySummary summary;
    summary.readable = readKey(pem, password, catalogue, &summary.reason) != nullptr;
    return summary;
}

TlsInspection inspectTls(const ParGenValues &values, const QList<KnownCertRow> &knownCerts, const QDateTime &now,
    const QStringList &catalogue)
{
    TlsInspection out;
    QList<Finding> &findings = out.findings;
    const QString parGen = QString::fromLatin1(ParGenFileName);

    KeyPtr key;
    const FindingList keyReport(&findings, catalogue, parGen, 0, QStringLiteral("TLS_Server_Key"));
    if (!isBlank(values.TLS_Server_Key)) {
        KeySummary &summary = out.key.emplace();
        key = readKey(values.TLS_Server_Key, values.TLS_Server_Key_Password, catalogue, &summary.reason);
        summary.readable = key != nullptr;
        if (!key)
            keyReport.add(FindingSeverity::Error, keyReport.text(MsgId::CertUnreadable).arg(summary.reason));
    }

    X509Ptr server;
    const FindingList serverReport(&findings, catalogue, parGen, 0, QStringLiteral("TLS_Server_Server_Certificate"));
    if (!isBlank(values.TLS_Server_Server_Certificate))
        server = checkCertificate(values.TLS_Server_Server_Certificate, now, serverReport, out.server.emplace());

    X509Ptr root;
    if (!isBlank(values.TLS_Server_Root_Certificate)) {
        root = checkCertificate(values.TLS_Server_Root_Certificate, now,
            FindingList(&findings, catalogue, parGen, 0, QStringLiteral("TLS_Server_Root_Certificate")),
            out.root.emplace());
    }

    if (key && server && crypto().X509_check_private_key(server.get(), key.get()) != 1)
        keyReport.add(FindingSeverity::Error, keyReport.text(MsgId::KeyMismatch));
    if (server && root) {
        EVP_PKEY *rootKey = crypto().X509_get0_pubkey(root.get());
        if (!rootKey || crypto().X509_verify(server.get(), rootKey) != 1)
            serverReport.add(FindingSeverity::Error, serverReport.text(MsgId::CertNotSignedByRoot));
    }
    if (crypto().isLoaded())
        crypto().ERR_clear_error();

    const QString knownCertDocument = QString::fromLatin1(KnownCertFileName);
    for (qsizetype i = 0; i < knownCerts.size(); ++i) {
        std::optional<CertificateSummary> &summary = out.known.emplace_back();
        if (isBlank(knownCerts[i].Certificate))
            continue;
        checkCertificate(knownCerts[i].Certificate, now,
            FindingList(&findings, catalogue, knownCertDocument, int(i + 1), QStringLiteral("Certificate")),
            summary.emplace());
    }
    return out;
}

QList<Finding> inspectCertificates(const ParGenValues &values, const QList<KnownCertRow> &knownCerts,
    const QDateTime &now, const QStringList &catalogue)
{
    return inspectTls(values, knownCerts, now, catalogue).findings;
}

} // namespace sw

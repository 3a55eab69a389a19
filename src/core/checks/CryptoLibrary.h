#pragma once

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <QLibrary>
#include <QString>

// Every libcrypto function that certificate inspection calls. Header macros are spelled out as the
// functions they expand to: BIO_get_mem_data(b, pp) is BIO_ctrl(b, BIO_CTRL_INFO, 0, pp) and
// ASN1_ITEM_rptr(X) is X_it().
#define SW_CRYPTO_FUNCTIONS(F)                                                                                         \
    F(ASN1_INTEGER_get_uint64)                                                                                         \
    F(ASN1_TIME_to_tm)                                                                                                 \
    F(ASN1_TYPE_unpack_sequence)                                                                                       \
    F(BIO_ctrl)                                                                                                        \
    F(BIO_free)                                                                                                        \
    F(BIO_new)                                                                                                         \
    F(BIO_new_mem_buf)                                                                                                 \
    F(BIO_s_mem)                                                                                                       \
    F(ERR_clear_error)                                                                                                 \
    F(ERR_peek_last_error)                                                                                             \
    F(ERR_reason_error_string)                                                                                         \
    F(EVP_PKEY_free)                                                                                                   \
    F(OBJ_obj2nid)                                                                                                     \
    F(PBE2PARAM_free)                                                                                                  \
    F(PBE2PARAM_it)                                                                                                    \
    F(PBEPARAM_free)                                                                                                   \
    F(PBEPARAM_it)                                                                                                     \
    F(PBKDF2PARAM_free)                                                                                                \
    F(PBKDF2PARAM_it)                                                                                                  \
    F(PEM_read_bio_PKCS8)                                                                                              \
    F(PEM_read_bio_PrivateKey)                                                                                         \
    F(PEM_read_bio_X509)                                                                                               \
    F(SCRYPT_PARAMS_free)                                                                                              \
    F(SCRYPT_PARAMS_it)                                                                                                \
    F(X509_ALGOR_get0)                                                                                                 \
    F(X509_NAME_print_ex)                                                                                              \
    F(X509_SIG_free)                                                                                                   \
    F(X509_SIG_get0)                                                                                                   \
    F(X509_check_private_key)                                                                                          \
    F(X509_free)                                                                                                       \
    F(X509_get0_notAfter)                                                                                              \
    F(X509_get0_notBefore)                                                                                             \
    F(X509_get0_pubkey)                                                                                                \
    F(X509_get_issuer_name)                                                                                            \
    F(X509_get_subject_name)                                                                                           \
    F(X509_verify)

namespace sw {

// OpenSSL's libcrypto, opened at run time rather than linked: few runs inspect a certificate, and
// a linked libcrypto costs every start its loading and about 1.5 MB. Only the headers' types,
// constants and function signatures are compiled in; each pointer has the type of the function
// the headers declare, so the compiler checks every call against them.
class CryptoLibrary
{
public:
    // Opens `fileName` (a bare file name is looked up as the system's loader does) and resolves
    // every function. The library stays loaded until the process ends.
    explicit CryptoLibrary(const QString &fileName);

    // The process's libcrypto, opened on the first call (thread-safe) under its name on this
    // platform: libcrypto.so.3 on Linux for OpenSSL 3.
    static const CryptoLibrary &instance();
    static QString defaultFileName();

    bool isLoaded() const { return m_error.isEmpty(); }
    // Why the library cannot be used, in English, naming the file or the missing function; empty
    // when it is loaded. Only valid pointers may be called, so callers check isLoaded() first.
    QString errorString() const { return m_error; }

#define SW_CRYPTO_POINTER(name) decltype(&::name) name = nullptr;
    SW_CRYPTO_FUNCTIONS(SW_CRYPTO_POINTER)
#undef SW_CRYPTO_POINTER

    // For tests: instance() returns `library` until this is called again with nullptr.
    static void overrideInstance(const CryptoLibrary *library);

private:
    QLibrary m_library;
    QString m_error;
};

} // namespace sw

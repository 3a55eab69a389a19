#include "core/checks/CryptoLibrary.h"

#include <openssl/opensslv.h>

#include <QSysInfo>
#include <atomic>
#include <type_traits>

namespace sw {

namespace {

std::atomic<const CryptoLibrary *> overridden { nullptr };

} // namespace

CryptoLibrary::CryptoLibrary(const QString &fileName)
    : m_library(fileName)
{
    if (!m_library.load()) {
        m_error = QStringLiteral("OpenSSL's %1 cannot be loaded").arg(fileName);
        return;
    }
    // Stops at the first function missing: the library is then unusable as a whole.
    const auto resolve = [this, &fileName](auto &function, const char *name) {
        if (!m_error.isEmpty())
            return;
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(m_library.resolve(name));
        if (!function)
            m_error = QStringLiteral("OpenSSL's %1 has no function %2").arg(fileName, QLatin1String(name));
    };
#define SW_CRYPTO_RESOLVE(name) resolve(name, #name);
    SW_CRYPTO_FUNCTIONS(SW_CRYPTO_RESOLVE)
#undef SW_CRYPTO_RESOLVE
}

QString CryptoLibrary::defaultFileName()
{
    const QString major = QString::number(OPENSSL_VERSION_MAJOR);
#if defined(Q_OS_WIN)
    // OpenSSL's Windows builds name the 64-bit library after its architecture as well.
    return QStringLiteral("libcrypto-%1%2.dll")
        .arg(major, QSysInfo::WordSize == 64 ? QStringLiteral("-x64") : QString());
#elif defined(Q_OS_DARWIN)
    return QStringLiteral("libcrypto.%1.dylib").arg(major);
#else
    return QStringLiteral("libcrypto.so.%1").arg(major);
#endif
}

const CryptoLibrary &CryptoLibrary::instance()
{
    if (const CryptoLibrary *library = overridden.load())
        return *library;
    static const CryptoLibrary process(defaultFileName());
    return process;
}

void CryptoLibrary::overrideInstance(const CryptoLibrary *library)
{
    overridden.store(library);
}

} // namespace sw

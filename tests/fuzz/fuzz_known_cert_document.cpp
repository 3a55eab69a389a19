// Feeds arbitrary bytes as TLS_Known_Cert.xml to the reader the known-certificates dialog uses,
// inspects the certificates of the rows as the configuration check does, and writes the rows
// back. Asserts that findings name a row that was read and say something, and that what is read,
// written and read again is equal.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "core/checks/CertificateInspection.h"
#include "core/documents/KnownCertDocument.h"

#include <QDateTime>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<sw::KnownCertRow> rows;
    try {
        rows = sw::readKnownCertFile(fuzz::writeFile(QStringLiteral("TLS_Known_Cert.xml"), fuzz::bytes(data, size)));
    } catch (const sw::Error &) {
        return 0;
    }
    fuzz::require(rows.size() <= sw::KnownCertListCapacity);

    const QDateTime now(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
    for (const sw::Finding &finding : sw::inspectCertificates({}, rows, now, fuzz::catalogue())) {
        fuzz::require(finding.row >= 1 && finding.row <= rows.size());
        fuzz::require(!rows[finding.row - 1].Certificate.trimmed().isEmpty());
        fuzz::require(!finding.text.isEmpty() && !finding.document.isEmpty());
    }

    // Whatever the reader accepts the writer writes: the dialog saves what it loaded.
    const QByteArray written = sw::knownCertDocument(rows);
    fuzz::require(sw::readKnownCertFile(fuzz::writeFile(QStringLiteral("written.xml"), written)) == rows);
    return 0;
}

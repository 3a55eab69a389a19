#include "core/documents/KnownCertDocument.h"

#include "core/documents/ListDocument.h"

namespace sw {

namespace {

struct KnownCertFormat
{
    using Row = KnownCertRow;
    static constexpr char RootName[] = "TLS_Server_Known_Cert";
    static constexpr int Capacity = KnownCertListCapacity;
    static constexpr QString KnownCertRow::*Key = &KnownCertRow::Certificate;

    template <class R, class Visit> static void forEachAttribute(R &row, Visit &&visit)
    {
        visit.flag("Enable", row.Enable);
        visit.text("Certificate", row.Certificate);
        visit.text("Mnemonic", row.Mnemonic);
    }
};

} // namespace

QList<KnownCertRow> cutAtBlankCertificate(const QList<KnownCertRow> &rows)
{
    return list::cutAtBlankKey<KnownCertFormat>(rows);
}

QList<KnownCertRow> readKnownCertFile(const QString &path)
{
    return list::readFile<KnownCertFormat>(path);
}

QByteArray knownCertDocument(const QList<KnownCertRow> &rows)
{
    return list::document<KnownCertFormat>(rows);
}

void writeKnownCertFile(const QString &path, const QList<KnownCertRow> &rows)
{
    list::writeFile<KnownCertFormat>(path, rows);
}

} // namespace sw

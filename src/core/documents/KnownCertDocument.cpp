#include "core/documents/KnownCertDocument.h"

#include "core/documents/ListDocument.h"
#include "core/files/AtomicFile.h"
#include "core/files/ProjectLock.h"
#include "core/xml/Xml.h"

#include <QFileInfo>

namespace sw {

namespace {

constexpr char RootName[] = "TLS_Server_Known_Cert";
constexpr char RowName[] = "row";

// Visits the three attributes in document order; reader and writer share this one list.
template <class Row, class Visitor> void forEachAttribute(Row &row, Visitor &&visit)
{
    visit.flag("Enable", row.Enable);
    visit.text("Certificate", row.Certificate);
    visit.text("Mnemonic", row.Mnemonic);
}

struct Reader
{
    pugi::xml_node node;

    // Only the exact text "N" turns a row off, so a stored "n" or "no" still reads as on.
    void flag(const char *name, bool &value) const { value = xml::attribute(node, name) != QStringLiteral("N"); }
    void text(const char *name, QString &value) const { value = xml::attribute(node, name).value_or(QString()); }
};

struct Writer
{
    pugi::xml_node node;

    void flag(const char *name, bool value) const
    {
        xml::setAttribute(node, name, value ? QStringLiteral("Y") : QStringLiteral("N"));
    }
    void text(const char *name, const QString &value) const { xml::setAttribute(node, name, value); }
};

} // namespace

QList<KnownCertRow> cutAtBlankCertificate(const QList<KnownCertRow> &rows)
{
    QList<KnownCertRow> list;
    for (const KnownCertRow &row : rows) {
        if (row.Certificate.trimmed().isEmpty())
            break;
        list.append(row);
    }
    return list;
}

QList<KnownCertRow> readKnownCertFile(const QString &path)
{
    QList<KnownCertRow> rows;
    if (!QFileInfo::exists(path))
        return rows;
    pugi::xml_document doc;
    xml::loadFile(doc, path);
    for (const pugi::xml_node node : xml::listRows(xml::rootElement(doc), KnownCertListCapacity)) {
        KnownCertRow row;
        forEachAttribute(row, Reader { node });
        rows.append(row);
    }
    return rows;
}

QByteArray knownCertDocument(const QList<KnownCertRow> &rows)
{
    pugi::xml_document doc;
    pugi::xml_node root = xml::resetWithRoot(doc, RootName, true);
    for (const KnownCertRow &row : rows)
        forEachAttribute(row, Writer { root.append_child(RowName) });
    return xml::toBytes(doc);
}

void writeKnownCertFile(const QString &path, const QList<KnownCertRow> &rows)
{
    const files::ProjectLock lock(QFileInfo(path).absolutePath(), path);
    files::saveBuilt(path, [&] { return knownCertDocument(rows); });
}

} // namespace sw

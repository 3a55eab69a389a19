#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace sw {

// The certificate table has this many rows; a document's rows beyond it are not read.
inline constexpr int KnownCertListCapacity = 10;

// One known client certificate as the table holds it. The texts are kept exactly as entered,
// line breaks included. A new table row is enabled and empty.
struct KnownCertRow
{
    bool Enable = true;
    QString Certificate;
    QString Mnemonic;

    friend bool operator==(const KnownCertRow &, const KnownCertRow &) = default;
};

// The rows that make up the list: those before the first row whose Certificate is blank (empty
// after trimming). Rows after it are not stored.
QList<KnownCertRow> cutAtBlankCertificate(const QList<KnownCertRow> &rows);

// Reads the document at `path`: one row per child node of the root (the root element,
// whatever its name), in order, at most KnownCertListCapacity; text made only of blanks between
// nodes is no row. Enable is off only for the exact text "N" (missing counts as "Y"); a missing
// Certificate or Mnemonic is empty. A missing file gives no rows. Throws sw::Error naming the
// file and the parser's message when the file is not well-formed.
QList<KnownCertRow> readKnownCertFile(const QString &path);

// The document as written to disk: root TLS_Server_Known_Cert with one empty `row` element per
// row carrying Enable ("Y" or "N"), Certificate and Mnemonic in that order, then the version
// comment; UTF-8, no declaration, no indentation. Every row given is written: cut the list first
// with cutAtBlankCertificate.
QByteArray knownCertDocument(const QList<KnownCertRow> &rows);

// Replaces the file at `path` atomically with knownCertDocument(rows). Throws sw::Error naming
// the file and the reason when it cannot be written; the earlier file is then left as it was.
void writeKnownCertFile(const QString &path, const QList<KnownCertRow> &rows);

} // namespace sw

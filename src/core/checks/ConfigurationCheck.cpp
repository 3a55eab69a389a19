#include "core/checks/ConfigurationCheck.h"

#include "core/Error.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/VariablesRules.h"
#include "core/image/Compiler.h"
#include "core/text/Decimal.h"
#include "core/text/Excerpt.h"
#include "core/text/MessageIds.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <exception>
#include <optional>

namespace sw {

namespace {

const QString variablesDocumentName = QString::fromLatin1(VariablesFileName);

// The bytes a variable occupies in the internal data array, and its bit for a bit variable.
struct ByteRange
{
    qint64 first = 0;
    qint64 end = 0; // one past the last byte
    std::optional<qint64> bit;
};

std::optional<ByteRange> rangeOf(const VariableRow &row)
{
    const std::optional<qint64> position = toInteger(row.Position);
    const std::optional<qint64> length = toInteger(row.Length);
    if (!position || !length || *position < 0 || *length < 1)
        return std::nullopt;
    ByteRange range { *position, *position + *length, std::nullopt };
    if (row.Type == u"Digital (Bit)")
        range.bit = toInteger(row.StartBit);
    return range;
}

// The certificates matter only to a device whose TLS server is on, and the known certificates
// only when it admits known clients alone: the image leaves out what is switched off. A disabled
// known-certificate row keeps its place (so rows keep their numbers) but is not read.
QList<Finding> certificateFindings(const ParGenValues &parGen, const std::optional<QList<KnownCertRow>> &knownCerts,
    const QDateTime &now, const QStringList &catalogue)
{
    if (!parGen.TLS_Server_Enable)
        return {};
    QList<KnownCertRow> admitted;
    if (parGen.TLS_Server_Enable_Known_Cert && knownCerts) {
        admitted = *knownCerts;
        for (KnownCertRow &row : admitted) {
            if (!row.Enable)
                row.Certificate.clear();
        }
    }
    return inspectCertificates(parGen, admitted, now, catalogue);
}

bool overlap(const ByteRange &a, const ByteRange &b)
{
    if (a.first >= b.end || b.first >= a.end)
        return false;
    // Bit variables share a byte as long as each has a bit of its own.
    if (a.bit && b.bit)
        return *a.bit == *b.bit;
    return true;
}

// Limits of an IEC 61850 object reference: the logical device name, and the whole reference.
constexpr qsizetype MaxLogicalDeviceName = 64;
constexpr qsizetype MaxObjectReference = 129;

bool isAsciiLetter(char32_t c)
{
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

// A character as a message names it: quoted when it is a visible ASCII character, else its code
// point, so that blanks, controls and look-alike letters can be told apart.
QString characterText(char32_t c)
{
    if (c > 0x20 && c < 0x7F)
        return u'"' + QString(QChar(char16_t(c))) + u'"';
    return QStringLiteral("U+%1").arg(uint(c), 4, 16, QChar(u'0')).toUpper();
}

// Why `name` is no IEC 61850 object reference, or nullopt when it is one. A reference is an
// optional logical device name with "/", then names joined by "." (logical node, data object,
// sub-objects and attributes); each name starts with an ASCII letter and holds only ASCII letters,
// digits and "_". A single name counts too.
std::optional<QString> objectReferenceProblem(const QString &name, const QStringList &catalogue)
{
    const QString quoted = excerpt(name);
    const QStringList halves = name.split(u'/');
    if (halves.size() > 2)
        return catalogue.value(MsgId::CheckReferenceSlashes).arg(quoted);
    QStringList parts;
    if (halves.size() == 2)
        parts << halves.first();
    parts << halves.last().split(u'.');
    for (const QString &part : std::as_const(parts)) {
        if (part.isEmpty())
            return catalogue.value(MsgId::CheckReferenceEmptyPart).arg(quoted);
        const QList<uint> codes = part.toUcs4();
        if (!isAsciiLetter(codes.first()))
            return catalogue.value(MsgId::CheckReferenceFirstChar).arg(quoted, excerpt(part));
        for (const uint c : codes) {
            if (!isAsciiLetter(c) && !(c >= U'0' && c <= U'9') && c != U'_')
                return catalogue.value(MsgId::CheckReferenceCharacter).arg(quoted, excerpt(part), characterText(c));
        }
    }
    if (halves.size() == 2 && halves.first().size() > MaxLogicalDeviceName)
        return catalogue.value(MsgId::CheckReferenceDeviceLength)
            .arg(quoted, excerpt(halves.first()), QString::number(halves.first().size()),
                QString::number(MaxLogicalDeviceName));
    if (name.size() > MaxObjectReference)
        return catalogue.value(MsgId::CheckReferenceLength)
            .arg(quoted, QString::number(name.size()), QString::number(MaxObjectReference));
    return std::nullopt;
}

Finding finding(FindingSeverity severity, int row, const char *field, const QString &text)
{
    return Finding { severity, variablesDocumentName, row, QString::fromLatin1(field), text };
}

QString bytesText(const ByteRange &range, const QStringList &catalogue)
{
    return range.end - range.first == 1 ? catalogue.value(MsgId::CheckByte).arg(range.first)
                                        : catalogue.value(MsgId::CheckBytes).arg(range.first).arg(range.end - 1);
}

// Names, byte ranges and overlaps of the enabled variables, each with its row number.
QList<Finding> checkNumbered(const QList<std::pair<int, VariableRow>> &variables, const QStringList &catalogue)
{
    QList<Finding> findings;
    struct Checked
    {
        int row;
        std::optional<ByteRange> range;
    };
    QList<Checked> earlier;
    QHash<QString, int> firstRowOfName;
    for (const auto &[row, variable] : variables) {
        if (const std::optional<QString> problem = objectReferenceProblem(variable.Name, catalogue))
            findings << finding(FindingSeverity::Warning, row, "Name", *problem);
        if (!image::knownDataType(variable.Type))
            findings << finding(FindingSeverity::Warning, row, "Type",
                catalogue.value(MsgId::CheckUnknownType).arg(excerpt(variable.Type)));
        if (const auto found = firstRowOfName.constFind(variable.Name); found != firstRowOfName.constEnd()) {
            findings << finding(FindingSeverity::Error, row, "Name",
                catalogue.value(MsgId::CheckDuplicateName).arg(excerpt(variable.Name), QString::number(*found)));
        } else {
            firstRowOfName.insert(variable.Name, row);
        }
        const std::optional<ByteRange> range = rangeOf(variable);
        if (range) {
            if (range->end > InternalDataBytes) {
                findings << finding(FindingSeverity::Error, row, "Position",
                    catalogue.value(MsgId::CheckPastEnd).arg(bytesText(*range, catalogue)).arg(InternalDataBytes));
            }
            for (const Checked &other : std::as_const(earlier)) {
                if (other.range && overlap(*other.range, *range)) {
                    findings << finding(FindingSeverity::Error, row, "Position",
                        catalogue.value(MsgId::CheckOverlap)
                            .arg(bytesText(*range, catalogue))
                            .arg(other.row)
                            .arg(bytesText(*other.range, catalogue)));
                }
            }
        }
        earlier << Checked { row, range };
    }
    return findings;
}

} // namespace

QList<Finding> checkVariables(const QList<VariableRow> &rows, const QStringList &catalogue)
{
    const QList<VariableRow> stored = cutAtBlankName(rows);
    QList<std::pair<int, VariableRow>> enabled;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i].Enable.trimmed() == u"Y")
            enabled.append({ int(i + 1), stored[i] });
    }
    return checkNumbered(enabled, catalogue);
}

QList<Finding> checkImageVariables(const QString &path, const QStringList &catalogue)
{
    const QList<image::ImageVariableRow> taken = image::imageVariableRows(path);
    // Where the editor ends the list: it reads the first VariableListCapacity rows and keeps those
    // before the first blank Name.
    const QList<VariableRow> editorRows = readVariablesFile(path);
    const qsizetype kept = cutAtBlankName(editorRows).size();
    const int blankRow = kept < editorRows.size() ? int(kept + 1) : 0;

    QList<Finding> findings;
    QList<std::pair<int, VariableRow>> enabled;
    for (qsizetype i = 0; i < taken.size(); ++i) {
        const int row = taken[i].row;
        const VariableRow &variable = taken[i].text;
        enabled.append({ row, variable });
        if (i >= VariableListCapacity) {
            findings << finding(FindingSeverity::Error, row, "Enable",
                catalogue.value(MsgId::CheckTooManyVariables).arg(i + 1).arg(VariableListCapacity));
        }
        if (blankRow > 0 && row > blankRow) {
            findings << finding(
                FindingSeverity::Warning, row, "Name", catalogue.value(MsgId::CheckAfterBlankName).arg(blankRow));
        }
        const std::optional<qint64> position = toInteger(variable.Position);
        if (!position || *position < 0 || *position >= InternalDataBytes) {
            // A Position past the end with a sound range is reported with its range below.
            if (!position || *position < 0)
                findings << finding(FindingSeverity::Error, row, "Position",
                    catalogue.value(MsgId::CheckBadPosition)
                        .arg(excerpt(variable.Position))
                        .arg(InternalDataBytes - 1));
        }
        if (variable.Type.trimmed().toUpper() != QLatin1String("DIGITAL (BIT)")) {
            const std::optional<qint64> length = toInteger(variable.Length);
            if (!length || *length < 1 || *length > 4)
                findings << finding(FindingSeverity::Error, row, "Length",
                    catalogue.value(MsgId::CheckBadLength).arg(excerpt(variable.Length)));
        }
    }
    findings << checkNumbered(enabled, catalogue);
    std::stable_sort(
        findings.begin(), findings.end(), [](const Finding &a, const Finding &b) { return a.row < b.row; });
    return findings;
}

QList<Finding> checkCertificates(const ProjectDocuments &documents, const QDateTime &now, const QStringList &catalogue)
{
    ParGenValues parGen;
    try {
        parGen = readParGenFile(documents.parGen);
    } catch (const std::exception &) {
        return {};
    }
    std::optional<QList<KnownCertRow>> knownCerts;
    if (parGen.TLS_Server_Enable && parGen.TLS_Server_Enable_Known_Cert) {
        try {
            knownCerts = cutAtBlankCertificate(readKnownCertFile(documents.knownCerts));
        } catch (const std::exception &) {
            // Reported where the document is needed; the parameters' texts are checked all the same.
        }
    }
    return certificateFindings(parGen, knownCerts, now, catalogue);
}

QList<Finding> checkConfiguration(const ProjectDocuments &documents, const QDateTime &now, const QStringList &catalogue)
{
    QList<Finding> findings;
    auto unreadable = [&findings](const QString &path, const std::exception &e) {
        findings << Finding { FindingSeverity::Error, QFileInfo(path).fileName(), 0, QString(), errorText(e) };
    };

    std::optional<ParGenValues> parGen;
    try {
        parGen = readParGenFile(documents.parGen);
    } catch (const std::exception &e) {
        unreadable(documents.parGen, e);
    }
    std::optional<QList<KnownCertRow>> knownCerts;
    try {
        knownCerts = cutAtBlankCertificate(readKnownCertFile(documents.knownCerts));
    } catch (const std::exception &e) {
        unreadable(documents.knownCerts, e);
    }
    std::optional<QList<Finding>> variables;
    try {
        variables = checkImageVariables(documents.variables, catalogue);
    } catch (const std::exception &e) {
        unreadable(documents.variables, e);
    }

    if (parGen)
        findings << certificateFindings(*parGen, knownCerts, now, catalogue);
    if (variables)
        findings << *variables;
    return findings;
}

} // namespace sw

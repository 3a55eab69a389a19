#include "core/documents/VariablesCsv.h"

#include "core/text/Excerpt.h"
#include "core/text/MessageIds.h"

#include <QStringDecoder>
#include <array>
#include <csv.h>

namespace sw {

namespace {

constexpr char Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype BomSize = 3;

// The cell as written: quoted, with doubled quotes, when a reader could otherwise split it, end
// it or trim it.
QByteArray csvCell(const QString &text, char separator)
{
    const QByteArray bytes = text.toUtf8();
    const bool blankAtEdge = !bytes.isEmpty()
        && (bytes.front() == ' ' || bytes.front() == '\t' || bytes.back() == ' ' || bytes.back() == '\t');
    if (!blankAtEdge && !bytes.contains(separator) && !bytes.contains('"') && !bytes.contains('\r')
        && !bytes.contains('\n'))
        return bytes;
    QByteArray quoted = bytes;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

// Whether a spreadsheet would take the cell as a formula or strip its first character: it starts,
// after any apostrophes, with "=", "+", "-", "@", tab or CR. The apostrophes count so that a text
// that already starts with one comes back whole.
bool looksLikeFormula(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u'\'')
        ++i;
    return i < text.size() && QStringView(u"=+-@\t\r").contains(text[i]);
}

// The free-text columns, whose cells a spreadsheet must show as text. The other columns hold
// numbers and names from fixed lists, which are written as they are.
bool isTextColumn(const char *attribute)
{
    return qstrcmp(attribute, "Name") == 0 || qstrcmp(attribute, "Mnemonic") == 0;
}

// The separator of the header line: whichever of ";", "," and tab it holds most often, ","
// when it holds none (a single column).
char headerSeparator(const QByteArray &bytes)
{
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    const QByteArray header = bytes.left(end);
    char best = ',';
    qsizetype bestCount = 0;
    for (const char candidate : { ';', ',', '\t' }) {
        const qsizetype count = header.count(candidate);
        if (count > bestCount) {
            best = candidate;
            bestCount = count;
        }
    }
    return best;
}

// The records libcsv hands over, each with the line where it starts.
struct Records
{
    QList<QList<QByteArray>> cells;
    QList<int> lines;
    QList<QByteArray> current;
    int currentLine = 1;
};

void addCell(void *text, size_t size, void *data)
{
    static_cast<Records *>(data)->current.append(QByteArray(static_cast<const char *>(text), qsizetype(size)));
}

void endRecord(int, void *data)
{
    auto *records = static_cast<Records *>(data);
    records->cells.append(records->current);
    records->lines.append(records->currentLine);
    records->current.clear();
}

// Cells are kept as written: no blank around an unquoted cell is trimmed.
int noSpace(unsigned char)
{
    return 0;
}

VariablesCsvImport refused(int line, VariablesCsvProblem problem, const QString &detail = QString())
{
    return VariablesCsvImport { {}, VariablesCsvFailure { line, problem, detail, std::nullopt } };
}

// Splits `bytes` into records. Bytes go to the parser one at a time so that each record knows its
// first line, quoted line breaks included. Reading stops once `maxRecords` records are known.
std::optional<VariablesCsvFailure> parseRecords(
    const QByteArray &bytes, char separator, Records &records, qsizetype maxRecords)
{
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        return VariablesCsvFailure { 0, VariablesCsvProblem::Unreadable, QStringLiteral("out of memory"), {} };
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    csv_set_space_func(&parser, noSpace);

    std::optional<VariablesCsvFailure> failure;
    int line = 1;
    bool recordPending = true;
    char previous = 0;
    for (qsizetype i = 0; i < bytes.size() && records.cells.size() < maxRecords; ++i) {
        const char byte = bytes[i];
        if (recordPending && byte != '\r' && byte != '\n') {
            records.currentLine = line;
            recordPending = false;
        }
        const qsizetype before = records.cells.size();
        if (csv_parse(&parser, &byte, 1, addCell, endRecord, &records) != 1) {
            failure = VariablesCsvFailure { line, VariablesCsvProblem::Unreadable,
                QString::fromLatin1(csv_strerror(csv_error(&parser))), {} };
            break;
        }
        if (records.cells.size() != before)
            recordPending = true;
        if (byte == '\r' || (byte == '\n' && previous != '\r'))
            ++line;
        previous = byte;
    }
    if (!failure && records.cells.size() < maxRecords && csv_fini(&parser, addCell, endRecord, &records) != 0)
        failure = VariablesCsvFailure { records.currentLine, VariablesCsvProblem::Unreadable,
            QString::fromLatin1(csv_strerror(csv_error(&parser))), {} };
    csv_free(&parser);
    return failure;
}

// The cell as text; nullopt when it is no UTF-8. A byte-order mark inside a cell is kept.
std::optional<QString> cellText(const QByteArray &cell)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(cell);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

char variablesCsvSeparator(QChar decimalSeparator)
{
    return decimalSeparator == u',' ? ';' : ',';
}

QByteArray exportVariablesCsv(const QList<VariableRow> &rows, QChar decimalSeparator)
{
    const char separator = variablesCsvSeparator(decimalSeparator);
    QByteArray csv(Bom, BomSize);
    for (size_t k = 0; k < VariableAttributes.size(); ++k) {
        if (k > 0)
            csv += separator;
        csv += VariableAttributes[k].name;
    }
    csv += "\r\n";
    for (const VariableRow &row : cutAtBlankName(rows)) {
        for (size_t k = 0; k < VariableAttributes.size(); ++k) {
            if (k > 0)
                csv += separator;
            const QString &text = row.*VariableAttributes[k].member;
            // A spreadsheet shows a cell behind an apostrophe as text and hides the apostrophe.
            const bool neutralise = isTextColumn(VariableAttributes[k].name) && looksLikeFormula(text);
            csv += csvCell(neutralise ? u'\'' + text : text, separator);
        }
        csv += "\r\n";
    }
    return csv;
}

VariablesCsvImport importVariablesCsv(const QByteArray &bytes, QChar decimalSeparator)
{
    const QByteArray body = bytes.startsWith(Bom) ? bytes.mid(BomSize) : bytes;
    Records records;
    // The header, the table's rows and one more, which is enough to refuse a list that is too long.
    if (const auto failure = parseRecords(body, headerSeparator(body), records, 2 + VariableListCapacity))
        return VariablesCsvImport { {}, failure };
    if (records.cells.isEmpty())
        return refused(1, VariablesCsvProblem::NoHeaderLine);

    // Which cell of a record holds each attribute; -1 for an absent column.
    std::array<qsizetype, VariableAttributes.size()> columnOf;
    columnOf.fill(-1);
    const QList<QByteArray> &header = records.cells.front();
    for (qsizetype c = 0; c < header.size(); ++c) {
        const QString name = cellText(header[c]).value_or(QString()).trimmed();
        size_t k = 0;
        while (k < VariableAttributes.size() && name != QLatin1String(VariableAttributes[k].name))
            ++k;
        if (k == VariableAttributes.size())
            return refused(records.lines.front(), VariablesCsvProblem::UnknownColumn, name);
        if (columnOf[k] >= 0)
            return refused(records.lines.front(), VariablesCsvProblem::DuplicateColumn, name);
        columnOf[k] = c;
    }

    QList<VariableRow> rows;
    for (qsizetype r = 1; r < records.cells.size(); ++r) {
        const int line = records.lines[r];
        if (rows.size() == VariableListCapacity)
            return refused(line, VariablesCsvProblem::TooManyRows);
        const QList<QByteArray> &cells = records.cells[r];
        if (cells.size() != header.size())
            return refused(line, VariablesCsvProblem::CellCount, QString::number(cells.size()));
        VariableRow row;
        for (size_t k = 0; k < VariableAttributes.size(); ++k) {
            if (columnOf[k] < 0) {
                row.*VariableAttributes[k].member = QString::fromLatin1(VariableAttributes[k].missing);
                continue;
            }
            const std::optional<QString> text = cellText(cells[columnOf[k]]);
            if (!text)
                return refused(line, VariablesCsvProblem::NotUtf8);
            const bool neutralised
                = isTextColumn(VariableAttributes[k].name) && text->startsWith(u'\'') && looksLikeFormula(*text);
            row.*VariableAttributes[k].member = neutralised ? text->mid(1) : *text;
        }
        rows.append(row);
    }

    if (const auto rule = firstFailingVariable(rows, decimalSeparator)) {
        VariablesCsvFailure failure { records.lines[rule->row], VariablesCsvProblem::InvalidRow, QString(), rule };
        return VariablesCsvImport { {}, failure };
    }
    return VariablesCsvImport { rows, std::nullopt };
}

QString variablesCsvFailureText(const VariablesCsvFailure &failure, const QStringList &catalogue)
{
    QString reason;
    switch (failure.problem) {
    case VariablesCsvProblem::Unreadable:
        reason = catalogue.value(MsgId::CsvUnreadable).arg(failure.detail);
        break;
    case VariablesCsvProblem::NoHeaderLine:
        reason = catalogue.value(MsgId::CsvNoHeader);
        break;
    case VariablesCsvProblem::NotUtf8:
        reason = catalogue.value(MsgId::CsvNotUtf8);
        break;
    case VariablesCsvProblem::UnknownColumn:
        reason = catalogue.value(MsgId::CsvUnknownColumn).arg(excerpt(failure.detail));
        break;
    case VariablesCsvProblem::DuplicateColumn:
        reason = catalogue.value(MsgId::CsvDuplicateColumn).arg(excerpt(failure.detail));
        break;
    case VariablesCsvProblem::CellCount:
        reason = catalogue.value(MsgId::CsvCellCount).arg(failure.detail);
        break;
    case VariablesCsvProblem::TooManyRows:
        reason = catalogue.value(MsgId::CsvTooManyRows).arg(VariableListCapacity);
        break;
    case VariablesCsvProblem::InvalidRow:
        if (failure.rule)
            reason = catalogue.value(failure.rule->message) + failure.rule->detail;
        break;
    }
    return catalogue.value(MsgId::CsvLine).arg(failure.line).arg(reason);
}

} // namespace sw

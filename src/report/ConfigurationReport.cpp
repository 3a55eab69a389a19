#include "report/ConfigurationReport.h"
#include "report/ReportContent.h"

#include "core/Error.h"
#include "core/checks/CertificateInspection.h"
#include "core/checks/ConfigurationCheck.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/ProjectFiles.h"
#include "core/documents/VariablesDocument.h"
#include "core/files/AtomicFile.h"
#include "core/image/Compiler.h"
#include "core/text/MessageIds.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <functional>

namespace sw::report {

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

// Collects the report's blocks; every text goes in as plain text.
class Builder
{
public:
    explicit Builder(const QStringList &catalogue)
        : m_catalogue(catalogue)
    {
    }

    QString msg(int id) const { return m_catalogue.value(id); }

    // The blocks from here on go on landscape pages.
    void wideFromHere() { m_wide = true; }

    void title(const QString &text) { add(Block::Kind::Title, text); }
    void heading(int id) { add(Block::Kind::Heading, msg(id)); }
    void paragraph(const QString &text) { add(Block::Kind::Paragraph, text); }

    void beginTable(const QString &name, const QList<Column> &columns, bool grid = true)
    {
        Block b;
        b.kind = Block::Kind::Table;
        b.wide = m_wide;
        b.table.name = name;
        b.table.columns = columns;
        b.table.grid = grid;
        m_content.blocks << b;
    }
    void row(const QStringList &cells) { m_content.blocks.back().table.rows << Row { cells, false }; }
    void groupRow(const QString &title) { m_content.blocks.back().table.rows << Row { { title }, true }; }

    ReportContent &content() { return m_content; }

private:
    void add(Block::Kind kind, const QString &text)
    {
        Block b;
        b.kind = kind;
        b.text = text;
        b.wide = m_wide;
        m_content.blocks << b;
    }

    const QStringList &m_catalogue;
    ReportContent m_content;
    bool m_wide = false;
};

QString dateText(const QDateTime &t)
{
    return t.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
}

template <size_t N> QString item(const std::array<const char *, N> &items, int index)
{
    return index >= 0 && size_t(index) < N ? QString::fromUtf8(items[size_t(index)]) : QString::number(index);
}

QString certificateText(const Builder &page, const std::optional<CertificateSummary> &summary)
{
    if (!summary)
        return page.msg(MsgId::ReportNotSet);
    if (!summary->readable)
        return page.msg(MsgId::ReportUnreadable).arg(summary->reason);
    return QStringLiteral("%1: %2\n%3: %4\n%5: %6\n%7: %8")
        .arg(page.msg(MsgId::ReportSubject), summary->subject, page.msg(MsgId::ReportIssuer), summary->issuer,
            page.msg(MsgId::ReportValidFrom), dateText(summary->validFrom), page.msg(MsgId::ReportValidUntil),
            dateText(summary->validUntil));
}

QList<Column> columns(const Builder &page, std::initializer_list<int> ids)
{
    QList<Column> out;
    for (int id : ids)
        out << Column { page.msg(id) };
    return out;
}

void parameterSection(Builder &page, const ParGenValues &v, const QList<KnownCertRow> &knownCerts, const QDateTime &now,
    const QStringList &catalogue)
{
    const TlsInspection tls = inspectTls(v, knownCerts, now, catalogue);
    const auto yesNo = [&](bool on) { return page.msg(on ? MsgId::ReportYes : MsgId::ReportNo); };
    const auto secret
        = [&](const QString &text) { return page.msg(text.isEmpty() ? MsgId::ReportNotSet : MsgId::ReportSet); };
    QString key = page.msg(MsgId::ReportNotSet);
    if (tls.key) {
        key = tls.key->readable ? page.msg(MsgId::ReportKeyReads)
                                : page.msg(MsgId::ReportKeyUnreadable).arg(tls.key->reason);
        if (tls.key->readable && tls.server && tls.server->readable) {
            bool mismatch = false;
            for (const Finding &f : tls.findings)
                mismatch |= f.field == QLatin1StringView("TLS_Server_Key") && f.text == page.msg(MsgId::KeyMismatch);
            key = page.msg(MsgId::ReportPrivateKey)
                      .arg(key, page.msg(mismatch ? MsgId::ReportKeyNoMatch : MsgId::ReportKeyMatches));
        }
    }
    const auto dotted = [](const QString &a, const QString &b, const QString &c, const QString &d) {
        return QStringList { a, b, c, d }.join(u'.');
    };
    QString gateway = dotted(v.Ethernet_GAT1, v.Ethernet_GAT2, v.Ethernet_GAT3, v.Ethernet_GAT4);
    if (!v.Ethernet_EN_GAT)
        gateway += QStringLiteral(" (%1)").arg(page.msg(MsgId::ReportNotInUse));

    page.beginTable(QStringLiteral("parameters"), columns(page, { MsgId::ReportParameter, MsgId::ReportValue }));
    page.groupRow(page.msg(MsgId::ParGenIEC61850Server));
    page.row({ page.msg(MsgId::ParGenPort), v.IEC61850_Server_Port });
    page.row({ page.msg(MsgId::ParGenPassword), secret(v.IEC61850_Server_Password) });
    page.groupRow(page.msg(MsgId::ParGenTLSServer));
    page.row({ page.msg(MsgId::ParGenEnableTLS), yesNo(v.TLS_Server_Enable) });
    page.row({ page.msg(MsgId::ParGenKey), key });
    page.row({ page.msg(MsgId::ParGenKeyPassword), secret(v.TLS_Server_Key_Password) });
    page.row({ page.msg(MsgId::ParGenServerCert), certificateText(page, tls.server) });
    page.row({ page.msg(MsgId::ParGenRootCert), certificateText(page, tls.root) });
    page.row({ page.msg(MsgId::ParGenKnownCert), yesNo(v.TLS_Server_Enable_Known_Cert) });
    page.groupRow(page.msg(MsgId::ParGenEthernet));
    page.row(
        { page.msg(MsgId::ParGenIPAddress), dotted(v.Ethernet_IP1, v.Ethernet_IP2, v.Ethernet_IP3, v.Ethernet_IP4) });
    page.row(
        { page.msg(MsgId::ParGenSubNetMask), dotted(v.Ethernet_SM1, v.Ethernet_SM2, v.Ethernet_SM3, v.Ethernet_SM4) });
    page.row({ page.msg(MsgId::ParGenGateway), gateway });
    page.groupRow(page.msg(MsgId::ParGenModbusSlave));
    page.row({ page.msg(MsgId::ParGenSerial), item(ParGenSerialItems, v.MODBUS_SLAVE_SERIAL) });
    page.row({ page.msg(MsgId::ParGenBaudrate), item(ParGenBaudrateItems, v.MODBUS_SLAVE_BAUDRATE) });
    page.row({ page.msg(MsgId::ParGenParity), item(ParGenParityItems, v.MODBUS_SLAVE_PARITY) });
    page.row({ page.msg(MsgId::ParGenStopBits), item(ParGenStopBitsItems, v.MODBUS_SLAVE_STOPBITS) });
    page.row({ page.msg(MsgId::ParGenIDDevice), v.MODBUS_SLAVE_IDDEVICE });
    page.row({ page.msg(MsgId::ParGenReadInput), yesNo(v.MODBUS_SLAVE_READ_INPUT_REGISTER) });
}

// The header entries of the variable table's columns 0 to 12.
constexpr int VariableHeaders[] = { 914, 915, 916, 917, 918, 919, 920, 932, 933, 934, 942, 943, 921 };
constexpr int VariableNameColumn = 2;

void variableSection(Builder &page, const QList<VariableRow> &rows)
{
    if (rows.isEmpty()) {
        page.paragraph(page.msg(MsgId::ReportNone));
        return;
    }
    QList<Column> headers;
    for (int id : VariableHeaders)
        headers << Column { page.msg(id) };
    headers[VariableNameColumn].breaks = Breaks::Reference;
    headers.back().under = true; // the Mnemonic
    page.beginTable(QStringLiteral("variables"), headers);
    int n = 0;
    for (const VariableRow &r : rows) {
        QStringList cells { QString::number(++n) };
        for (const VariableAttribute &a : VariableAttributes)
            cells << r.*a.member;
        page.row(cells);
    }
}

void knownCertSection(Builder &page, const QList<KnownCertRow> &rows, const QStringList &catalogue)
{
    if (rows.isEmpty()) {
        page.paragraph(page.msg(MsgId::ReportNone));
        return;
    }
    page.beginTable(QStringLiteral("certificates"),
        columns(page,
            { 814, 815, 817, MsgId::ReportSubject, MsgId::ReportIssuer, MsgId::ReportValidFrom,
                MsgId::ReportValidUntil }));
    int n = 0;
    for (const KnownCertRow &r : rows) {
        const CertificateSummary s = inspectCertificate(r.Certificate, catalogue);
        const QString yes = page.msg(r.Enable ? MsgId::ReportYes : MsgId::ReportNo);
        if (s.readable)
            page.row({ QString::number(++n), yes, r.Mnemonic, s.subject, s.issuer, dateText(s.validFrom),
                dateText(s.validUntil) });
        else
            page.row({ QString::number(++n), yes, r.Mnemonic, page.msg(MsgId::ReportUnreadable).arg(s.reason),
                QString(), QString(), QString() });
    }
}

void findingSection(Builder &page, const QList<Finding> &findings)
{
    if (findings.isEmpty()) {
        page.paragraph(page.msg(MsgId::ReportNoFindings));
        return;
    }
    page.beginTable(QStringLiteral("findings"),
        columns(page,
            { MsgId::ReportSeverity, MsgId::ReportDocument, MsgId::ReportRow, MsgId::ReportField,
                MsgId::ReportFinding }));
    for (const Finding &f : findings) {
        page.row({ page.msg(f.severity == FindingSeverity::Error ? MsgId::ReportError : MsgId::ReportWarning),
            f.document, f.row > 0 ? QString::number(f.row) : QString(), f.field, f.text });
    }
}

void imageSection(Builder &page, const ProjectDocuments &docs)
{
    image::Images images;
    try {
        image::ImageCompiler compiler;
        images = compiler.Compile_Bin(docs);
    } catch (const std::exception &e) {
        page.paragraph(page.msg(MsgId::ReportImageFailed).arg(errorText(e)));
        return;
    }
    QList<Column> headers = columns(page, { MsgId::ReportFile, MsgId::ReportSize, MsgId::ReportSha256 });
    headers[2].breaks = Breaks::Never;
    headers[2].monospace = true;
    page.beginTable(QStringLiteral("image"), headers);
    for (const auto &[name, bytes] :
        { std::pair { Bank1FileName, &images.bank1 }, std::pair { Bank2FileName, &images.bank2 } }) {
        page.row({ QString::fromLatin1(name), QString::number(bytes->size()),
            QString::fromLatin1(QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex()) });
    }
}

// Runs `section`, or reports in its place why its document cannot be read.
void guarded(Builder &page, const std::function<void()> &section)
{
    try {
        section();
    } catch (const std::exception &e) {
        page.paragraph(page.msg(MsgId::ReportUnreadable).arg(errorText(e)));
    }
}

ReportContent reportContent(const ReportInput &input)
{
    Builder page(input.catalogue);
    const ProjectDocuments docs = projectDocuments(input.projectFolder);
    page.content().documentTitle = QStringLiteral("%1 - %2").arg(page.msg(MsgId::ReportTitle), input.projectName);
    page.title(page.msg(MsgId::ReportTitle));
    QList<Column> meta(2);
    meta[0].strong = true;
    page.beginTable(QStringLiteral("meta"), meta, false);
    page.row({ page.msg(MsgId::ReportConfiguration), input.projectName });
    page.row({ page.msg(MsgId::ReportDate), dateText(input.now) });
    page.row({ page.msg(MsgId::ReportProgramVersion), input.programVersion });

    QList<KnownCertRow> knownCerts;
    guarded(page, [&] { knownCerts = cutAtBlankCertificate(readKnownCertFile(docs.knownCerts)); });

    page.heading(MsgId::ReportParameters);
    guarded(page, [&] {
        if (!QFileInfo::exists(docs.parGen))
            page.paragraph(page.msg(MsgId::ReportNoParGen));
        else
            parameterSection(page, readParGenFile(docs.parGen), knownCerts, input.now, input.catalogue);
    });
    // The lists have up to 13 columns and references of up to 129 characters: a landscape line
    // holds a whole reference beside the other columns.
    page.wideFromHere();
    page.heading(MsgId::ReportVariables);
    guarded(page, [&] { variableSection(page, cutAtBlankName(readVariablesFile(docs.variables))); });
    page.heading(MsgId::ReportKnownCerts);
    knownCertSection(page, knownCerts, input.catalogue);
    page.heading(MsgId::ReportCheck);
    findingSection(page, checkConfiguration(docs, input.now, input.catalogue));
    page.heading(MsgId::ReportImage);
    imageSection(page, docs);
    return page.content();
}

// A cell's text as HTML: line feeds as line breaks, and a reference may break after "/" and ".".
QString cellHtml(const QString &text, Breaks breaks)
{
    QString html = esc(text).replace(u'\n', QStringLiteral("<br>"));
    if (breaks == Breaks::Reference)
        html.replace(u'/', QStringLiteral("/<wbr>")).replace(u'.', QStringLiteral(".<wbr>"));
    return html;
}

void tableHtml(QString &html, const Table &t)
{
    html += QStringLiteral("<table class=\"%1\">\n").arg(t.name);
    if (t.grid) {
        html += QStringLiteral("<thead><tr>");
        for (const Column &c : t.columns)
            html += QStringLiteral("<th>%1</th>").arg(esc(c.header));
        html += QStringLiteral("</tr></thead>\n");
    }
    html += QStringLiteral("<tbody>\n");
    for (const Row &r : t.rows) {
        if (r.group) {
            html += QStringLiteral("<tr class=\"group\"><td colspan=\"%1\">%2</td></tr>\n")
                        .arg(t.columns.size())
                        .arg(esc(r.cells.value(0)));
            continue;
        }
        html += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < t.columns.size(); ++c) {
            const Column &column = t.columns[c];
            const QString cls = column.breaks == Breaks::Reference ? QStringLiteral(" class=\"ref\"")
                : column.monospace                                 ? QStringLiteral(" class=\"hash\"")
                : column.strong                                    ? QStringLiteral(" class=\"key\"")
                                                                   : QString();
            html += QStringLiteral("<td%1>%2</td>").arg(cls, cellHtml(r.cells.value(c), column.breaks));
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</tbody></table>\n");
}

constexpr char Style[] = "body { font-family: sans-serif; font-size: 10pt; }\n"
                         "h1 { font-size: 16pt; } h2 { font-size: 12pt; margin-top: 14pt; }\n"
                         "table { border-collapse: collapse; margin-bottom: 6pt; }\n"
                         "table:not(.meta) { width: 100%; }\n"
                         "th { background: #e4e8ee; text-align: left; }\n"
                         "th, td { border: 1px solid #8a8f96; padding: 2px 4px; vertical-align: top; }\n"
                         "table.meta td { border: none; padding: 1px 8px 1px 0; }\n"
                         "td.key, tr.group td { font-weight: bold; }\n"
                         "tr.group td { background: #f2f4f7; }\n"
                         "table.variables, table.findings, table.certificates { font-size: 8pt; }\n"
                         "td.hash { font-family: monospace; }\n"
                         "h2 { break-after: avoid; page-break-after: avoid; }\n"
                         "tr { break-inside: avoid; page-break-inside: avoid; }\n";

QString htmlPage(const ReportContent &content)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
                                  "<style>\n%2</style>\n</head>\n<body>\n")
                       .arg(esc(content.documentTitle), QString::fromLatin1(Style));
    for (const Block &b : content.blocks) {
        switch (b.kind) {
        case Block::Kind::Title:
            html += QStringLiteral("<h1>%1</h1>\n").arg(esc(b.text));
            break;
        case Block::Kind::Heading:
            html += QStringLiteral("<h2>%1</h2>\n").arg(esc(b.text));
            break;
        case Block::Kind::Paragraph:
            html += QStringLiteral("<p>%1</p>\n").arg(esc(b.text));
            break;
        case Block::Kind::Table:
            tableHtml(html, b.table);
            break;
        }
    }
    html += QStringLiteral("</body>\n</html>\n");
    return html;
}

} // namespace

QString reportHtml(const ReportInput &input)
{
    return htmlPage(reportContent(input));
}

QByteArray reportPdf(const ReportInput &input)
{
    return pdfDocument(reportContent(input));
}

std::optional<ReportFormat> reportFormat(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1StringView("pdf"))
        return ReportFormat::Pdf;
    if (suffix == QLatin1StringView("html") || suffix == QLatin1StringView("htm"))
        return ReportFormat::Html;
    return std::nullopt;
}

void writeReport(const QString &path, const ReportInput &input)
{
    const std::optional<ReportFormat> format = reportFormat(path);
    if (!format)
        throw Error(QStringLiteral("Cannot write \"%1\": the name must end in .pdf or .html")
                        .arg(QDir::toNativeSeparators(path)));
    const QByteArray bytes = *format == ReportFormat::Pdf ? reportPdf(input) : reportHtml(input).toUtf8();
    files::saveBytes(bytes, path, files::Target::Chosen);
}

} // namespace sw::report

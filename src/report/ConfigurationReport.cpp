#include "report/ConfigurationReport.h"

#include "core/Error.h"
#include "core/ErrorText.h"
#include "core/checks/CertificateInspection.h"
#include "core/checks/ConfigurationCheck.h"
#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/ProjectFiles.h"
#include "core/documents/VariablesDocument.h"
#include "core/files/AtomicFile.h"
#include "core/image/Compiler.h"
#include "core/text/MessageIds.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <functional>

namespace sw::report {

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

// Builds the page; every text from outside goes through esc().
class Page
{
public:
    explicit Page(const QStringList &catalogue)
        : m_catalogue(catalogue)
    {
    }

    QString msg(int id) const { return m_catalogue.value(id); }

    void heading(int id) { m_html += QStringLiteral("<h2>%1</h2>\n").arg(esc(msg(id))); }
    void paragraph(const QString &text) { m_html += QStringLiteral("<p>%1</p>\n").arg(esc(text)); }

    // A table whose header row repeats on each printed page.
    // `widths` are percentages of the page width, one per column, or none for an even split.
    void beginTable(const QStringList &headers, const QString &cssClass, const QList<int> &widths = {})
    {
        m_html += QStringLiteral("<table class=\"%1\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                                 "width=\"100%\">\n<thead><tr>")
                      .arg(cssClass);
        for (qsizetype i = 0; i < headers.size(); ++i) {
            const QString width = i < widths.size() ? QStringLiteral(" width=\"%1%\"").arg(widths[i]) : QString();
            m_html += QStringLiteral("<th%1>%2</th>").arg(width, esc(headers[i]));
        }
        m_html += QStringLiteral("</tr></thead>\n<tbody>\n");
    }
    void row(const QStringList &cells)
    {
        m_html += QStringLiteral("<tr>");
        for (const QString &c : cells)
            m_html += QStringLiteral("<td>%1</td>").arg(esc(c).replace(u'\n', QStringLiteral("<br>")));
        m_html += QStringLiteral("</tr>\n");
    }
    void groupRow(const QString &title, int columns)
    {
        m_html += QStringLiteral("<tr class=\"group\"><td colspan=\"%1\"><b>%2</b></td></tr>\n")
                      .arg(columns)
                      .arg(esc(title));
    }
    void endTable() { m_html += QStringLiteral("</tbody></table>\n"); }

    QString &html() { return m_html; }

private:
    const QStringList &m_catalogue;
    QString m_html;
};

QString dateText(const QDateTime &t)
{
    return t.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
}

template <size_t N> QString item(const std::array<const char *, N> &items, int index)
{
    return index >= 0 && size_t(index) < N ? QString::fromUtf8(items[size_t(index)]) : QString::number(index);
}

QString certificateText(const Page &page, const std::optional<CertificateSummary> &summary)
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

void parameterSection(Page &page, const ParGenValues &v, const QList<KnownCertRow> &knownCerts, const QDateTime &now,
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

    page.beginTable(
        { page.msg(MsgId::ReportParameter), page.msg(MsgId::ReportValue) }, QStringLiteral("parameters"), { 35, 65 });
    page.groupRow(page.msg(MsgId::ParGenIEC61850Server), 2);
    page.row({ page.msg(MsgId::ParGenPort), v.IEC61850_Server_Port });
    page.row({ page.msg(MsgId::ParGenPassword), secret(v.IEC61850_Server_Password) });
    page.groupRow(page.msg(MsgId::ParGenTLSServer), 2);
    page.row({ page.msg(MsgId::ParGenEnableTLS), yesNo(v.TLS_Server_Enable) });
    page.row({ page.msg(MsgId::ParGenKey), key });
    page.row({ page.msg(MsgId::ParGenKeyPassword), secret(v.TLS_Server_Key_Password) });
    page.row({ page.msg(MsgId::ParGenServerCert), certificateText(page, tls.server) });
    page.row({ page.msg(MsgId::ParGenRootCert), certificateText(page, tls.root) });
    page.row({ page.msg(MsgId::ParGenKnownCert), yesNo(v.TLS_Server_Enable_Known_Cert) });
    page.groupRow(page.msg(MsgId::ParGenEthernet), 2);
    page.row(
        { page.msg(MsgId::ParGenIPAddress), dotted(v.Ethernet_IP1, v.Ethernet_IP2, v.Ethernet_IP3, v.Ethernet_IP4) });
    page.row(
        { page.msg(MsgId::ParGenSubNetMask), dotted(v.Ethernet_SM1, v.Ethernet_SM2, v.Ethernet_SM3, v.Ethernet_SM4) });
    page.row({ page.msg(MsgId::ParGenGateway), gateway });
    page.groupRow(page.msg(MsgId::ParGenModbusSlave), 2);
    page.row({ page.msg(MsgId::ParGenSerial), item(ParGenSerialItems, v.MODBUS_SLAVE_SERIAL) });
    page.row({ page.msg(MsgId::ParGenBaudrate), item(ParGenBaudrateItems, v.MODBUS_SLAVE_BAUDRATE) });
    page.row({ page.msg(MsgId::ParGenParity), item(ParGenParityItems, v.MODBUS_SLAVE_PARITY) });
    page.row({ page.msg(MsgId::ParGenStopBits), item(ParGenStopBitsItems, v.MODBUS_SLAVE_STOPBITS) });
    page.row({ page.msg(MsgId::ParGenIDDevice), v.MODBUS_SLAVE_IDDEVICE });
    page.row({ page.msg(MsgId::ParGenReadInput), yesNo(v.MODBUS_SLAVE_READ_INPUT_REGISTER) });
    page.endTable();
}

// The header entries of the variable table's columns 0 to 12.
constexpr int VariableHeaders[] = { 914, 915, 916, 917, 918, 919, 920, 932, 933, 934, 942, 943, 921 };

void variableSection(Page &page, const QList<VariableRow> &rows)
{
    if (rows.isEmpty()) {
        page.paragraph(page.msg(MsgId::ReportNone));
        return;
    }
    QStringList headers;
    for (int id : VariableHeaders)
        headers << page.msg(id);
    page.beginTable(headers, QStringLiteral("variables"), { 4, 8, 12, 6, 8, 6, 9, 6, 11, 7, 6, 6, 11 });
    int n = 0;
    for (const VariableRow &r : rows) {
        QStringList cells { QString::number(++n) };
        for (const VariableAttribute &a : VariableAttributes)
            cells << r.*a.member;
        page.row(cells);
    }
    page.endTable();
}

void knownCertSection(Page &page, const QList<KnownCertRow> &rows, const QStringList &catalogue)
{
    if (rows.isEmpty()) {
        page.paragraph(page.msg(MsgId::ReportNone));
        return;
    }
    page.beginTable(
        { page.msg(814), page.msg(815), page.msg(817), page.msg(MsgId::ReportSubject), page.msg(MsgId::ReportIssuer),
            page.msg(MsgId::ReportValidFrom), page.msg(MsgId::ReportValidUntil) },
        QStringLiteral("certificates"), { 4, 7, 15, 22, 22, 15, 15 });
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
    page.endTable();
}

void findingSection(Page &page, const QList<Finding> &findings)
{
    if (findings.isEmpty()) {
        page.paragraph(page.msg(MsgId::ReportNoFindings));
        return;
    }
    page.beginTable({ page.msg(MsgId::ReportSeverity), page.msg(MsgId::ReportDocument), page.msg(MsgId::ReportRow),
                        page.msg(MsgId::ReportField), page.msg(MsgId::ReportFinding) },
        QStringLiteral("findings"), { 10, 20, 6, 20, 44 });
    for (const Finding &f : findings) {
        page.row({ page.msg(f.severity == FindingSeverity::Error ? MsgId::ReportError : MsgId::ReportWarning),
            f.document, f.row > 0 ? QString::number(f.row) : QString(), f.field, f.text });
    }
    page.endTable();
}

void imageSection(Page &page, const ProjectDocuments &docs)
{
    image::Images images;
    try {
        image::ImageCompiler compiler;
        images = compiler.Compile_Bin(docs);
    } catch (const std::exception &e) {
        page.paragraph(page.msg(MsgId::ReportImageFailed).arg(errorText(e)));
        return;
    }
    page.beginTable({ page.msg(MsgId::ReportFile), page.msg(MsgId::ReportSize), page.msg(MsgId::ReportSha256) },
        QStringLiteral("image"), { 15, 15, 70 });
    for (const auto &[name, bytes] :
        { std::pair { Bank1FileName, &images.bank1 }, std::pair { Bank2FileName, &images.bank2 } }) {
        page.row({ QString::fromLatin1(name), QString::number(bytes->size()),
            QString::fromLatin1(QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex()) });
    }
    page.endTable();
}

// Runs `section`, or reports in its place why its document cannot be read.
void guarded(Page &page, const std::function<void()> &section)
{
    try {
        section();
    } catch (const std::exception &e) {
        page.paragraph(page.msg(MsgId::ReportUnreadable).arg(errorText(e)));
    }
}

constexpr char Style[] = "body { font-family: sans-serif; font-size: 10pt; }\n"
                         "h1 { font-size: 16pt; } h2 { font-size: 12pt; margin-top: 14pt; }\n"
                         "table { border-collapse: collapse; margin-bottom: 6pt; }\n"
                         "th { background: #e4e8ee; text-align: left; }\n"
                         "th, td { border: 1px solid #8a8f96; padding: 2px 4px; vertical-align: top; }\n"
                         "tr.group td { background: #f2f4f7; }\n"
                         "table.variables, table.findings, table.certificates { font-size: 7pt; }\n"
                         "table.image td { font-family: monospace; }\n";

} // namespace

QString reportHtml(const ReportInput &input)
{
    Page page(input.catalogue);
    const ProjectDocuments docs = projectDocuments(input.projectFolder);
    const QString title = page.msg(MsgId::ReportTitle);
    QString &html = page.html();
    html += QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1 - %2</title>\n"
                           "<style>\n%3</style>\n</head>\n<body>\n<h1>%1</h1>\n")
                .arg(esc(title), esc(input.projectName), QString::fromLatin1(Style));
    html += QStringLiteral("<table class=\"meta\" cellspacing=\"0\" cellpadding=\"2\">\n");
    const auto meta = [&](int id, const QString &value) {
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>\n").arg(esc(page.msg(id)), esc(value));
    };
    meta(MsgId::ReportConfiguration, input.projectName);
    meta(MsgId::ReportDate, dateText(input.now));
    meta(MsgId::ReportProgramVersion, input.programVersion);
    html += QStringLiteral("</table>\n");

    QList<KnownCertRow> knownCerts;
    guarded(page, [&] { knownCerts = cutAtBlankCertificate(readKnownCertFile(docs.knownCerts)); });

    page.heading(MsgId::ReportParameters);
    guarded(page, [&] {
        if (!QFileInfo::exists(docs.parGen))
            page.paragraph(page.msg(MsgId::ReportNoParGen));
        else
            parameterSection(page, readParGenFile(docs.parGen), knownCerts, input.now, input.catalogue);
    });
    page.heading(MsgId::ReportVariables);
    guarded(page, [&] { variableSection(page, cutAtBlankName(readVariablesFile(docs.variables))); });
    page.heading(MsgId::ReportKnownCerts);
    knownCertSection(page, knownCerts, input.catalogue);
    page.heading(MsgId::ReportCheck);
    findingSection(page, checkConfiguration(docs, input.now, input.catalogue));
    page.heading(MsgId::ReportImage);
    imageSection(page, docs);
    html += QStringLiteral("</body>\n</html>\n");
    return html;
}

QByteArray reportPdf(const QString &html, const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        QTextDocument doc;
        doc.setHtml(html);
        // An unpaginated document prints with its own margins and the page number under each page.
        doc.print(&writer);
    }
    return bytes;
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
    const QString html = reportHtml(input);
    const QByteArray bytes = *format == ReportFormat::Pdf
        ? reportPdf(html, QStringLiteral("%1 - %2").arg(input.catalogue.value(MsgId::ReportTitle), input.projectName))
        : html.toUtf8();
    files::saveBytes(bytes, path, files::Target::Chosen);
}

} // namespace sw::report

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// One document that describes a configuration for its commissioning papers: parameters, variables,
// known certificates, the configuration check's findings and the image's sizes and SHA-256.
namespace sw::report {

struct ReportInput
{
    QString projectFolder;
    QString projectName;
    QString programVersion;
    QDateTime now;
    QStringList catalogue; // the language in use
};

// The report as a self-contained HTML page (no script, no outside reference). Every text from
// the project is escaped; passwords and the key password appear only as set or not set, the key
// only as whether it can be read and matches the server certificate. A document that cannot be
// read is reported in its section.
QString reportHtml(const ReportInput &input);

// The same report laid out on A4 pages, numbered under each page: the communication parameters
// upright, the lists on landscape pages in a size that keeps each object reference on one line
// wherever the page allows. Tables repeat their header row on each page; no row, checksum or
// heading is parted from what follows it. Needs a QGuiApplication.
QByteArray reportPdf(const ReportInput &input);

enum class ReportFormat { Pdf, Html };

// The format a file name asks for by its extension (".pdf", ".html" or ".htm", any case).
std::optional<ReportFormat> reportFormat(const QString &path);

// Builds the report in the format of `path` and saves it there atomically. Throws sw::Error for
// an extension of no format and a file that cannot be written.
void writeReport(const QString &path, const ReportInput &input);

} // namespace sw::report

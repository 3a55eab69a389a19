// Builds the configuration report of a full project (TLS with key and certificates, 50 variables
// named with object references up to 129 characters, a known certificate) and prints the time per
// HTML page and per PDF file. Prints figures only; never fails on speed.

#include "CertificateFixtures.h"
#include "ObjectReferences.h"

#include "core/documents/KnownCertDocument.h"
#include "core/documents/ParGenDocument.h"
#include "core/documents/ProjectFiles.h"
#include "core/documents/VariablesDocument.h"
#include "core/text/Catalogue.h"
#include "report/ConfigurationReport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

using namespace sw;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const test::TestKeys keys = test::newKeys();
    const QString cert
        = test::certificatePem(keys.key, "gateway-01", keys.key, "gateway-01", now.addDays(-1), now.addYears(1));
    ParGenValues v;
    v.TLS_Server_Enable = true;
    v.TLS_Server_Key = keys.privatePem;
    v.TLS_Server_Server_Certificate = cert;
    v.TLS_Server_Root_Certificate = cert;
    const ProjectDocuments docs = projectDocuments(dir.path());
    writeParGenFile(docs.parGen, v);
    QList<VariableRow> rows;
    for (const QString &name : test::objectReferences(VariableListCapacity)) {
        VariableRow r;
        r.Name = name;
        r.Type = QStringLiteral("Float");
        r.Length = QStringLiteral("4");
        r.Position = QString::number(4 * rows.size());
        r.Conversion = QStringLiteral("Int to Float");
        r.MultiplicationFactor = QStringLiteral("0,01");
        r.Mnemonic = QStringLiteral("measurement %1 of the feeder").arg(rows.size() + 1);
        rows << r;
    }
    writeVariablesFile(docs.variables, rows);
    writeKnownCertFile(docs.knownCerts, { KnownCertRow { true, cert, QStringLiteral("SCADA client") } });
    const report::ReportInput input { dir.path(), QStringLiteral("Plant Nord"), QStringLiteral("1.000"), now,
        defaultMessages() };

    const auto perRun = [](int rounds, const auto &run) {
        run(); // warm-up: fonts and the crypto library load once
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < rounds; ++i)
            run();
        return double(timer.nsecsElapsed()) / 1e6 / rounds;
    };
    const double htmlMs = perRun(20, [&] { report::reportHtml(input); });
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    const double pdfMs = perRun(10, [&] { report::writeReport(pdf, input); });

    out << QStringLiteral("HTML page:  %1 ms\n").arg(htmlMs, 0, 'f', 1);
    out << QStringLiteral("PDF file:   %1 ms (%2 bytes)\n").arg(pdfMs, 0, 'f', 1).arg(QFileInfo(pdf).size());
    return 0;
}

// Prints how long the known certificate dialog takes to show a full table of 10 certificates from
// its document and to store it with OK, and to undo and redo each kind of step on that table. Runs
// on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "ListBench.h"

#include "core/documents/KnownCertDocument.h"
#include "ui/documents/UTLS_Server_Known_Cert.h"

namespace {

// A PEM block about the size of a 4096-bit RSA certificate: 30 lines of 64 characters, CR LF.
QString certificate(int n)
{
    QString pem = QStringLiteral("-----BEGIN CERTIFICATE-----\r\n");
    for (int line = 0; line < 30; ++line) {
        QString text;
        while (text.size() < 64)
            text += QStringLiteral("MIIF%1q%2Zx+/").arg(n).arg(line);
        pem += text.left(64) + QStringLiteral("\r\n");
    }
    return pem + QStringLiteral("-----END CERTIFICATE-----\r\n");
}

} // namespace

int main(int argc, char **argv)
{
    sw::bench::useOffscreenUnlessSet();
    QApplication app(argc, argv);

    QList<sw::KnownCertRow> rows;
    for (int i = 0; i < sw::KnownCertListCapacity; ++i)
        rows.append({ i % 3 != 2, certificate(i), QStringLiteral("Client station %1, control room").arg(i + 1) });
    const QByteArray document = sw::knownCertDocument(rows);
    sw::bench::ListBench<sw::TFTLS_Server_Known_Cert> bench(
        &sw::ProgramValues::File_TLS_Known_Cert, QStringLiteral("TLS_Known_Cert.xml"), document);
    double showMs = 0;
    double storeMs = 0;
    if (!bench.showAndStore(showMs, storeMs))
        return 1;
    std::printf("TFTLS_Server_Known_Cert, %d certificates of %lld bytes: show %.3f ms, store %.3f ms (%d rounds)\n",
        sw::KnownCertListCapacity, static_cast<long long>(document.size()), showMs, storeMs, bench.Rounds);

    sw::ListTable *table = bench.table("ASG");
    QList<sw::bench::Step> steps = {
        { "cell edit", [&] { sw::test::setCellText(table, 4, 2, QStringLiteral("Edited client station")); } },
        { "check box", [&] { sw::test::setChecked(table, 4, 0, !sw::test::isChecked(table, 4, 0)); } },
    };
    steps += bench.rowSteps(table, 2, 1, 8, 2);
    return bench.undoAndRedo(steps) ? 0 : 1;
}

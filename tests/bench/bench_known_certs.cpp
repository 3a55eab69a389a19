// Prints how long the known certificate dialog takes to show a full table of 10 certificates from
// its document and to store it with OK. Runs on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise.
#include "ProgramFolder.h"

#include "core/documents/KnownCertDocument.h"
#include "core/text/Catalogue.h"
#include "ui/documents/UTLS_Server_Known_Cert.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <cstdio>

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    sw::test::ProgramFolder folder;
    sw::Default_Messages(folder.pv.Msg_Catalogue);
    folder.pv.File_TLS_Known_Cert = folder.path(QStringLiteral("TLS_Known_Cert.xml"));
    QList<sw::KnownCertRow> rows;
    for (int i = 0; i < sw::KnownCertListCapacity; ++i)
        rows.append({ i % 3 != 2, certificate(i), QStringLiteral("Client station %1, control room").arg(i + 1) });
    const QByteArray document = sw::knownCertDocument(rows);
    if (!folder.write(QStringLiteral("TLS_Known_Cert.xml"), document))
        return 1;

    sw::TFTLS_Server_Known_Cert dialog(folder.pv, folder.services);
    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("Btn_OK"));
    constexpr int rounds = 50;
    qint64 showNs = 0;
    qint64 storeNs = 0;
    QElapsedTimer timer;
    for (int r = 0; r < rounds; ++r) {
        timer.start();
        dialog.show();
        QApplication::processEvents();
        showNs += timer.nsecsElapsed();

        timer.start();
        ok->click();
        storeNs += timer.nsecsElapsed();
        if (dialog.isVisible() || !folder.messages.records.isEmpty()) {
            std::fprintf(stderr, "the full list was not stored: %s\n", qPrintable(folder.messages.last()));
            return 1;
        }
    }
    if (folder.read(QStringLiteral("TLS_Known_Cert.xml")) != document) {
        std::fprintf(stderr, "the stored document differs from the loaded one\n");
        return 1;
    }

    std::printf("TFTLS_Server_Known_Cert, %d certificates of %lld bytes: show %.3f ms, store %.3f ms (%d rounds)\n",
        sw::KnownCertListCapacity, static_cast<long long>(document.size()), double(showNs) / rounds / 1e6,
        double(storeNs) / rounds / 1e6, rounds);
    return 0;
}

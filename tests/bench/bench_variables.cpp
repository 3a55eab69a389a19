// Prints how long the variable list dialog takes to show a full table of 50 rows from its document
// and to store it with OK. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "ProgramFolder.h"

#include "core/documents/VariablesDocument.h"
#include "core/text/Catalogue.h"
#include "ui/documents/UIEC61850_Variables.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    sw::test::ProgramFolder folder;
    sw::Default_Messages(folder.pv.Msg_Catalogue);
    folder.pv.File_IEC61850_Variables = folder.path(QStringLiteral("IEC61850_Variables.xml"));
    QList<sw::VariableRow> rows;
    for (int i = 0; i < sw::VariableListCapacity; ++i) {
        sw::VariableRow row;
        row.Name = QStringLiteral("LD0/GGIO1.AnIn%1.mag.f").arg(i + 1);
        row.Type = QStringLiteral("Float");
        row.Length = QStringLiteral("4");
        row.ReadOnly = QStringLiteral("Y");
        row.Position = QString::number(i * 4);
        row.StartBit = QStringLiteral("0");
        row.Conversion = QStringLiteral("Int to Float");
        row.MultiplicationFactor = QStringLiteral("0,1");
        row.Swap = QStringLiteral("N");
        row.SwapWord = QStringLiteral("Y");
        row.Mnemonic = QStringLiteral("Analogue input %1 of the field device").arg(i + 1);
        rows.append(row);
    }
    const QByteArray document = sw::variablesDocument(rows);
    if (!folder.write(QStringLiteral("IEC61850_Variables.xml"), document))
        return 1;

    sw::TFIEC61850_Variables dialog(folder.pv, folder.services);
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
    if (folder.read(QStringLiteral("IEC61850_Variables.xml")) != document) {
        std::fprintf(stderr, "the stored document differs from the loaded one\n");
        return 1;
    }

    std::printf("TFIEC61850_Variables, %d rows: show %.3f ms, validate and store %.3f ms (%d rounds)\n",
        sw::VariableListCapacity, double(showNs) / rounds / 1e6, double(storeNs) / rounds / 1e6, rounds);
    return 0;
}

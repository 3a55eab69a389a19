// Prints how long the variable list dialog takes to show a full table of 50 rows from its document
// and to store it with OK, and to undo and redo each kind of step on that table. Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "ListBench.h"

#include "core/documents/VariablesCsv.h"
#include "core/documents/VariablesDocument.h"
#include "ui/documents/UIEC61850_Variables.h"

int main(int argc, char **argv)
{
    sw::bench::useOffscreenUnlessSet();
    QApplication app(argc, argv);

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
    sw::bench::ListBench<sw::TFIEC61850_Variables> bench(&sw::ProgramValues::File_IEC61850_Variables,
        QStringLiteral("IEC61850_Variables.xml"), sw::variablesDocument(rows));
    double showMs = 0;
    double storeMs = 0;
    if (!bench.showAndStore(showMs, storeMs))
        return 1;
    std::printf("TFIEC61850_Variables, %d rows: show %.3f ms, validate and store %.3f ms (%d rounds)\n",
        sw::VariableListCapacity, showMs, storeMs, bench.Rounds);

    const QString points = bench.folder.path(QStringLiteral("points.csv"));
    QList<sw::VariableRow> imported = rows;
    for (sw::VariableRow &row : imported)
        row.Mnemonic = QStringLiteral("Imported ") + row.Mnemonic;
    if (!bench.folder.write(QStringLiteral("points.csv"), sw::exportVariablesCsv(imported, u',')))
        return 1;
    sw::ListTable *table = bench.table("ACG");
    QList<sw::bench::Step> steps = {
        { "cell edit", [&] { sw::test::setCellText(table, 20, 1, QStringLiteral("LD0/GGIO1.Edited.mag.f")); } },
    };
    steps += bench.rowSteps(table, 10, 3, 40, 11);
    steps.append({ "CSV import", [&] {
                      bench.folder.files.answers = { points };
                      bench.action("importCsv")->trigger();
                  } });
    return bench.undoAndRedo(steps) ? 0 : 1;
}

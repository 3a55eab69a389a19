// Prints how long the variable list dialog takes to show a full table of 50 rows from its document
// and to store it with OK, and to undo and redo each kind of step on that table. Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include "ProgramFolder.h"

#include "core/documents/VariablesCsv.h"
#include "core/documents/VariablesDocument.h"
#include "core/text/Catalogue.h"
#include "ui/documents/UIEC61850_Variables.h"
#include "ui/widgets/ListTable.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

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

    // Each kind of step on the full table, undone and redone, then undone once more so that the
    // next round starts from the same rows.
    const QString points = folder.path(QStringLiteral("points.csv"));
    QList<sw::VariableRow> imported = rows;
    for (sw::VariableRow &row : imported)
        row.Mnemonic = QStringLiteral("Imported ") + row.Mnemonic;
    if (!folder.write(QStringLiteral("points.csv"), sw::exportVariablesCsv(imported, u',')))
        return 1;
    dialog.show();
    QApplication::processEvents();
    auto *table = dialog.findChild<sw::ListTable *>(QStringLiteral("ACG"));
    auto *undo = dialog.findChild<QAction *>(QStringLiteral("undo"));
    auto *redo = dialog.findChild<QAction *>(QStringLiteral("redo"));
    const auto button = [&dialog](const char *name) { return dialog.findChild<QPushButton *>(QLatin1String(name)); };
    const struct
    {
        const char *name;
        std::function<void()> make;
    } steps[] = {
        { "cell edit", [&] { table->item(20, 1)->setText(QStringLiteral("LD0/GGIO1.Edited.mag.f")); } },
        { "insert row",
            [&] {
                table->setCurrentCell(10, 1);
                button("Btn_InsRow")->click();
            } },
        { "delete row",
            [&] {
                table->setCurrentCell(10, 1);
                button("Btn_DelRow")->click();
            } },
        { "paste row",
            [&] {
                table->setCurrentCell(3, 1);
                button("Btn_CopyRow")->click();
                table->setCurrentCell(40, 1);
                button("Btn_PasteRow")->click();
            } },
        { "Delete on a selection",
            [&] {
                table->setCurrentCell(0, 11);
                table->setRangeSelected(QTableWidgetSelectionRange(0, 11, 49, 11), true);
                QTest::keyClick(table, Qt::Key_Delete);
            } },
        { "CSV import",
            [&] {
                folder.files.answers = { points };
                dialog.findChild<QAction *>(QStringLiteral("importCsv"))->trigger();
            } },
    };
    // The median stands for the step; the worst round also holds whatever else the machine did.
    constexpr int stepRounds = 21;
    const auto median = [](QList<qint64> ns) {
        std::sort(ns.begin(), ns.end());
        return double(ns[ns.size() / 2]) / 1e6;
    };
    const auto worst = [](const QList<qint64> &ns) { return double(*std::max_element(ns.begin(), ns.end())) / 1e6; };
    bool fast = true;
    for (const auto &step : steps) {
        QList<qint64> undoNs;
        QList<qint64> redoNs;
        for (int r = 0; r < stepRounds; ++r) {
            step.make();
            if (!undo->isEnabled()) {
                std::fprintf(stderr, "%s made no step\n", step.name);
                return 1;
            }
            timer.start();
            undo->trigger();
            undoNs.append(timer.nsecsElapsed());
            timer.start();
            redo->trigger();
            redoNs.append(timer.nsecsElapsed());
            undo->trigger();
            // What the steps left to the event loop (painting) is not part of the step.
            QApplication::processEvents();
        }
        fast = fast && median(undoNs) < 5.0 && median(redoNs) < 5.0;
        std::printf("  %-22s undo %.3f ms (worst %.3f), redo %.3f ms (worst %.3f)\n", step.name, median(undoNs),
            worst(undoNs), median(redoNs), worst(redoNs));
    }
    button("Btn_OK")->click();
    if (folder.read(QStringLiteral("IEC61850_Variables.xml")) != document) {
        std::fprintf(stderr, "undoing every step did not give back the loaded document\n");
        return 1;
    }
    std::printf("undo and redo of each step (median of %d rounds) %s 5 ms\n", stepRounds, fast ? "under" : "NOT under");
    return 0;
}

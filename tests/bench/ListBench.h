#pragma once

// What the list editors' benchmarks share: a program folder holding the list's document and the
// editor made over it; showing the full list and storing it with OK; undoing and redoing each kind
// of step. Each prints figures and never fails on speed.

#include "ProgramFolder.h"
#include "TableCells.h"

#include "core/text/Catalogue.h"
#include "ui/widgets/ListTable.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace sw::bench {

// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
inline void useOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// One kind of step, made as the user makes it.
struct Step
{
    const char *name;
    std::function<void()> make;
};

// An editor of kind Dialog over the document `file`, which holds `document` and whose path is the
// program value `path`.
template <class Dialog> class ListBench
{
public:
    // Shows and stores this many times.
    static constexpr int Rounds = 50;

    ListBench(QString ProgramValues::*path, const QString &file, const QByteArray &document)
        : m_file(file)
        , m_document(document)
    {
        Default_Messages(folder.pv.Msg_Catalogue);
        folder.pv.*path = folder.path(file);
        m_written = folder.write(file, document);
        dialog = std::make_unique<Dialog>(folder.pv, folder.services);
    }

    test::ProgramFolder folder;
    std::unique_ptr<Dialog> dialog;

    QPushButton *button(const char *name) const
    {
        return dialog->template findChild<QPushButton *>(QLatin1String(name));
    }
    QAction *action(const char *name) const { return dialog->template findChild<QAction *>(QLatin1String(name)); }
    ListTable *table(const char *name) const { return dialog->template findChild<ListTable *>(QLatin1String(name)); }

    // Mean milliseconds of a showing (made, laid out and painted) and of OK over Rounds rounds;
    // false, with the reason on stderr, when OK did not store the document as loaded.
    bool showAndStore(double &showMs, double &storeMs)
    {
        if (!m_written) {
            std::fprintf(stderr, "the document cannot be written\n");
            return false;
        }
        qint64 showNs = 0;
        qint64 storeNs = 0;
        QElapsedTimer timer;
        for (int r = 0; r < Rounds; ++r) {
            timer.start();
            dialog->show();
            QApplication::processEvents();
            showNs += timer.nsecsElapsed();

            timer.start();
            button("Btn_OK")->click();
            storeNs += timer.nsecsElapsed();
            if (dialog->isVisible() || !folder.messages.records.isEmpty()) {
                std::fprintf(stderr, "the full list was not stored: %s\n", qPrintable(folder.messages.last()));
                return false;
            }
        }
        if (folder.read(m_file) != m_document) {
            std::fprintf(stderr, "the stored document differs from the loaded one\n");
            return false;
        }
        showMs = double(showNs) / Rounds / 1e6;
        storeMs = double(storeNs) / Rounds / 1e6;
        return true;
    }

    // The steps of the row buttons and the Delete key on `table`: a row inserted at `row` and
    // deleted there, row `copied` pasted over row `pasted`, the text of `column` emptied in every
    // row.
    QList<Step> rowSteps(ListTable *table, int row, int copied, int pasted, int column)
    {
        return {
            { "insert row",
                [=, this] {
                    table->setCurrentCell(row, 1);
                    button("Btn_InsRow")->click();
                } },
            { "delete row",
                [=, this] {
                    table->setCurrentCell(row, 1);
                    button("Btn_DelRow")->click();
                } },
            { "paste row",
                [=, this] {
                    table->setCurrentCell(copied, 1);
                    button("Btn_CopyRow")->click();
                    table->setCurrentCell(pasted, 1);
                    button("Btn_PasteRow")->click();
                } },
            { "Delete on a selection",
                [=] {
                    table->setCurrentCell(0, column);
                    test::selectCells(table, 0, column, table->rowCount() - 1, column);
                    QTest::keyClick(table, Qt::Key_Delete);
                } },
        };
    }

    // Shows the dialog and makes each step, undoes and redoes it, then undoes it once more so
    // that the next round starts from the same rows; prints the median and worst times of undo
    // and redo. OK at the end must store the document as loaded. False, with the reason on stderr,
    // when a step made no step to undo or the document came out otherwise.
    bool undoAndRedo(const QList<Step> &steps)
    {
        dialog->show();
        QApplication::processEvents();
        QAction *undo = action("undo");
        QAction *redo = action("redo");
        // The median stands for the step; the worst round also holds whatever else the machine did.
        constexpr int stepRounds = 21;
        const auto median = [](QList<qint64> ns) {
            std::sort(ns.begin(), ns.end());
            return double(ns[ns.size() / 2]) / 1e6;
        };
        const auto worst
            = [](const QList<qint64> &ns) { return double(*std::max_element(ns.begin(), ns.end())) / 1e6; };
        QElapsedTimer timer;
        bool fast = true;
        for (const Step &step : steps) {
            QList<qint64> undoNs;
            QList<qint64> redoNs;
            for (int r = 0; r < stepRounds; ++r) {
                step.make();
                if (!undo->isEnabled()) {
                    std::fprintf(stderr, "%s made no step\n", step.name);
                    return false;
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
        if (folder.read(m_file) != m_document) {
            std::fprintf(stderr, "undoing every step did not give back the loaded document\n");
            return false;
        }
        std::printf(
            "undo and redo of each step (median of %d rounds) %s 5 ms\n", stepRounds, fast ? "under" : "NOT under");
        return true;
    }

private:
    const QString m_file;
    const QByteArray m_document;
    bool m_written = false;
};

} // namespace sw::bench

#pragma once

#include "core/models/RowModel.h"
#include "ui/widgets/ListTable.h"

#include <QList>
#include <QUndoCommand>

namespace sw {

// One step of a list editor: rows of the list put in place of others, from row `first` down. Redo
// puts `after`, undo `before`; both are just the rows the step changed, not the whole list. The
// step is made when it is pushed; each later undo or redo also brings the first cell it changes
// into view, current.
//
// A step that edits one cell merges with the step before it when that one edited the same cell,
// so that typing into a cell again and again is one step; one that ends where it began is dropped.
template <class Row> class RowsStep final : public QUndoCommand
{
public:
    // The id of a step that edits one cell.
    static constexpr int CellEditId = 1;

    // `column`: the cell of row `first` that a one-cell edit changes; -1 for any other step.
    RowsStep(RowModel<Row> *model, ListTable *view, int first, QList<Row> before, QList<Row> after, const QString &text,
        int column = -1)
        : QUndoCommand(text)
        , m_model(model)
        , m_view(view)
        , m_first(first)
        , m_column(column)
        , m_before(std::move(before))
        , m_after(std::move(after))
    {
    }

    int id() const override { return m_column >= 0 ? CellEditId : -1; }

    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *edit = dynamic_cast<const RowsStep *>(other);
        if (!edit || edit->m_model != m_model || edit->m_first != m_first || edit->m_column != m_column)
            return false;
        m_after = edit->m_after;
        setObsolete(m_after == m_before);
        return true;
    }

    void undo() override
    {
        m_model->replaceRows(m_first, m_before);
        showChange();
    }

    void redo() override
    {
        m_model->replaceRows(m_first, m_after);
        if (m_made)
            showChange();
        m_made = true;
    }

private:
    // The first cell that differs between before and after, row by row, becomes current and comes
    // into view.
    void showChange() const
    {
        const std::span<const RowColumn<Row>> columns = m_model->columns();
        for (qsizetype i = 0; i < m_before.size() && i < m_after.size(); ++i) {
            for (size_t c = 0; c < columns.size(); ++c) {
                if (RowModel<Row>::valueOf(m_before[i], columns[c]) == RowModel<Row>::valueOf(m_after[i], columns[c]))
                    continue;
                const QModelIndex cell = m_model->index(int(m_first + i), int(c));
                m_view->setCurrentIndex(cell);
                m_view->scrollTo(cell);
                return;
            }
        }
    }

    RowModel<Row> *const m_model;
    ListTable *const m_view;
    const int m_first;
    const int m_column;
    const QList<Row> m_before;
    QList<Row> m_after;
    bool m_made = false;
};

} // namespace sw

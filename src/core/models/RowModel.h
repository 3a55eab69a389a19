#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <span>

namespace sw {

// How a column of a list holds its cells.
enum class CellKind {
    Text, // free text
    TextCheck, // a check box held as text: checked exactly when the text is "Y"; set to "Y" or "N"
    StateCheck, // a check box with a state of its own and no text
};

// One cell to change: its new text (a QString) for a text cell or a check box held as text, its new
// state (a bool) for a check box of its own.
struct CellEdit
{
    int row;
    int column;
    QVariant value;
};

// A list of a fixed number of rows shown as a table, one column per field of a row. The model
// answers what views and their delegates ask of a cell: its text (Qt::DisplayRole, Qt::EditRole),
// the state of a check box of its own (Qt::CheckStateRole, Qt::Checked or Qt::Unchecked), its flags
// (editable, or toggled for a check box of its own), and whatever else a view shows (colours, an
// icon, a tooltip, an alignment), which the model keeps for it by role without knowing its type.
// The header row holds captions and tooltips; the row numbers are the model's own (1, 2, 3...).
//
// Texts and states change in two ways. A view or any other caller of setData or setCells edits
// cells: the edit goes to the edit handler when there is one (an editor that makes each edit a step
// to undo), else it is made at once. The owner of the rows writes them through the typed calls of
// RowModel, which change the rows at once. Either way the views hear of it through dataChanged;
// the number of rows never changes.
class RowTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // Several roles of one cell at once, with one dataChanged: an invalid value removes its role.
    bool setItemData(const QModelIndex &index, const QMap<int, QVariant> &roles) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    CellKind kind(int column) const { return m_kinds.value(column, CellKind::Text); }

    // The captions of the column headers and their tooltips, in column order.
    void setHeaders(const QStringList &texts, const QStringList &toolTips);
    // What every cell of `column` answers for `role` unless the cell holds a value of its own.
    void setColumnData(int column, int role, const QVariant &value);

    // Edits cells as one change: through the edit handler when there is one, else at once.
    void setCells(const QList<CellEdit> &edits);
    // Takes every edit made through setData and setCells instead of the model; none makes them at
    // once again.
    using EditHandler = std::function<void(const QList<CellEdit> &)>;
    void setEditHandler(EditHandler handler) { m_editHandler = std::move(handler); }

    // The roles through which a cell's text or state is read and written.
    static QList<int> contentRoles() { return { Qt::DisplayRole, Qt::EditRole, Qt::CheckStateRole }; }

protected:
    RowTableModel(QList<CellKind> kinds, int rowCount, QObject *parent);

    // A cell's text (QString) or state (bool).
    virtual QVariant cellValue(int row, int column) const = 0;
    // Makes the edits on the rows; the caller tells the views.
    virtual void writeCells(const QList<CellEdit> &edits) = 0;
    // Tells the views that the texts and states of the cells from (top, left) to (bottom, right)
    // changed.
    void cellsChanged(int top, int left, int bottom, int right);

private:
    bool isCell(const QModelIndex &index) const;
    // The content value of `value` written through `role` into a cell of `column`; invalid when
    // that role does not write the cell's content.
    QVariant contentOf(int column, const QVariant &value, int role) const;

    const QList<CellKind> m_kinds;
    const int m_rowCount;
    QStringList m_headers;
    QStringList m_headerTips;
    QList<QMap<int, QVariant>> m_columnData;
    // The roles that cells hold besides their content, row by row.
    QList<QMap<int, QVariant>> m_cellData;
    EditHandler m_editHandler;
};

// One column of a list: how it holds its cells and the field of the row it shows, `text` for a
// text or a check box held as text, `state` for a check box of its own.
template <class Row> struct RowColumn
{
    CellKind kind;
    QString Row::*text = nullptr;
    bool Row::*state = nullptr;
};

// The model of a list whose rows are of type Row, shown one column per entry of `columns`. A new
// model, and every place below the rows given to setRows, holds the default row Row {}.
template <class Row> class RowModel : public RowTableModel
{
public:
    // `columns` is a table that outlives the model, one entry per column.
    RowModel(std::span<const RowColumn<Row>> columns, int capacity, QObject *parent = nullptr)
        : RowTableModel(kindsOf(columns), capacity, parent)
        , m_columns(columns)
        , m_rows(capacity)
    {
    }

    std::span<const RowColumn<Row>> columns() const { return m_columns; }
    const QList<Row> &rows() const { return m_rows; }
    // Row `row` of the list; the default row for a row outside it.
    Row row(int row) const { return m_rows.value(row); }

    // `rows` from the top, as many as fit, then default rows.
    QList<Row> filled(QList<Row> rows) const
    {
        rows.resize(m_rows.size());
        return rows;
    }
    // Shows `rows` from the top and default rows below them.
    void setRows(const QList<Row> &rows)
    {
        m_rows = filled(rows);
        cellsChanged(0, 0, int(m_rows.size()) - 1, int(m_columns.size()) - 1);
    }
    // Writes `rows` over the rows from `first` down, as many as fit. The views hear of the cells
    // that changed, so that they repaint no more than those.
    void replaceRows(int first, const QList<Row> &rows)
    {
        int top = -1;
        int bottom = -1;
        int left = int(m_columns.size());
        int right = -1;
        for (qsizetype i = 0; i < rows.size() && first + i < m_rows.size(); ++i) {
            const int r = int(first + i);
            if (r < 0)
                continue;
            for (size_t c = 0; c < m_columns.size(); ++c) {
                if (valueOf(m_rows[r], m_columns[c]) == valueOf(rows[i], m_columns[c]))
                    continue;
                top = top < 0 ? r : top;
                bottom = r;
                left = std::min(left, int(c));
                right = std::max(right, int(c));
            }
            m_rows[r] = rows[i];
        }
        if (top >= 0)
            cellsChanged(top, left, bottom, right);
    }
    // Sets one cell: a text (QString) or the state of a check box of its own (bool).
    void setCell(int row, int column, const QVariant &value) { replaceRows(row, { withCell(row, column, value) }); }

    // Row `row` with one cell changed.
    Row withCell(int row, int column, const QVariant &value) const
    {
        Row changed = this->row(row);
        if (column >= 0 && column < int(m_columns.size()))
            setValue(changed, m_columns[size_t(column)], value);
        return changed;
    }
    // Rows first to last with those of `edits` made that fall among them.
    QList<Row> withCells(int first, int last, const QList<CellEdit> &edits) const
    {
        QList<Row> changed = m_rows.mid(first, last - first + 1);
        for (const CellEdit &edit : edits) {
            if (edit.row >= first && edit.row <= last && edit.column >= 0 && edit.column < int(m_columns.size()))
                setValue(changed[edit.row - first], m_columns[size_t(edit.column)], edit.value);
        }
        return changed;
    }

    // The column that shows `field`; -1 for none.
    int columnOf(QString Row::*field) const
    {
        return find([field](const RowColumn<Row> &c) { return c.text == field; });
    }
    int columnOf(bool Row::*field) const
    {
        return find([field](const RowColumn<Row> &c) { return c.state == field; });
    }

    // A row's cell as the model answers it: the text, or the state of a check box of its own.
    static QVariant valueOf(const Row &row, const RowColumn<Row> &column)
    {
        return column.kind == CellKind::StateCheck ? QVariant(row.*column.state) : QVariant(row.*column.text);
    }
    static void setValue(Row &row, const RowColumn<Row> &column, const QVariant &value)
    {
        if (column.kind == CellKind::StateCheck)
            row.*column.state = value.toBool();
        else
            row.*column.text = value.toString();
    }

protected:
    QVariant cellValue(int row, int column) const override
    {
        return valueOf(m_rows.at(row), m_columns[size_t(column)]);
    }
    void writeCells(const QList<CellEdit> &edits) override
    {
        for (const CellEdit &edit : edits)
            setValue(m_rows[edit.row], m_columns[size_t(edit.column)], edit.value);
    }

private:
    static QList<CellKind> kindsOf(std::span<const RowColumn<Row>> columns)
    {
        QList<CellKind> kinds;
        for (const RowColumn<Row> &column : columns)
            kinds.append(column.kind);
        return kinds;
    }
    template <class Match> int find(Match match) const
    {
        for (size_t c = 0; c < m_columns.size(); ++c) {
            if (match(m_columns[c]))
                return int(c);
        }
        return -1;
    }

    const std::span<const RowColumn<Row>> m_columns;
    QList<Row> m_rows;
};

} // namespace sw

#include "core/models/RowModel.h"

#include <algorithm>

namespace sw {

RowTableModel::RowTableModel(QList<CellKind> kinds, int rowCount, QObject *parent)
    : QAbstractTableModel(parent)
    , m_kinds(std::move(kinds))
    , m_rowCount(rowCount)
    , m_columnData(m_kinds.size())
    , m_cellData(qsizetype(rowCount) * m_kinds.size())
{
}

int RowTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int RowTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_kinds.size());
}

bool RowTableModel::isCell(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() < m_rowCount && index.column() < m_kinds.size();
}

QVariant RowTableModel::data(const QModelIndex &index, int role) const
{
    if (!isCell(index))
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    if (kind(column) == CellKind::StateCheck) {
        // No text: only the check box shows.
        if (role == Qt::CheckStateRole)
            return int(cellValue(row, column).toBool() ? Qt::Checked : Qt::Unchecked);
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return QVariant();
    } else if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return cellValue(row, column);
    } else if (role == Qt::CheckStateRole) {
        return QVariant();
    }
    const QMap<int, QVariant> &own = m_cellData.at(qsizetype(row) * m_kinds.size() + column);
    if (const auto found = own.constFind(role); found != own.cend())
        return *found;
    return m_columnData.at(column).value(role);
}

QVariant RowTableModel::contentOf(int column, const QVariant &value, int role) const
{
    if (kind(column) == CellKind::StateCheck) {
        if (role == Qt::CheckStateRole)
            return value.toInt() == Qt::Checked;
    } else if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return value.toString();
    }
    return QVariant();
}

bool RowTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    return setItemData(index, { { role, value } });
}

bool RowTableModel::setItemData(const QModelIndex &index, const QMap<int, QVariant> &roles)
{
    if (!isCell(index))
        return false;
    bool written = true;
    QList<int> changed;
    QMap<int, QVariant> &own = m_cellData[qsizetype(index.row()) * m_kinds.size() + index.column()];
    for (auto it = roles.cbegin(); it != roles.cend(); ++it) {
        if (contentRoles().contains(it.key())) {
            const QVariant content = contentOf(index.column(), it.value(), it.key());
            if (content.isValid())
                setCells({ { index.row(), index.column(), content } });
            else
                written = false;
            continue;
        }
        if (own.value(it.key()) == it.value() && own.contains(it.key()) == it.value().isValid())
            continue;
        if (it.value().isValid())
            own.insert(it.key(), it.value());
        else
            own.remove(it.key());
        changed.append(it.key());
    }
    if (!changed.isEmpty())
        Q_EMIT dataChanged(index, index, changed);
    return written;
}

Qt::ItemFlags RowTableModel::flags(const QModelIndex &index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    // A check box of its own is toggled, never edited as text.
    if (kind(index.column()) == CellKind::StateCheck)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= m_kinds.size())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_headers.value(section);
    if (role == Qt::ToolTipRole && !m_headerTips.value(section).isEmpty())
        return m_headerTips.value(section);
    return QVariant();
}

void RowTableModel::setHeaders(const QStringList &texts, const QStringList &toolTips)
{
    m_headers = texts;
    m_headerTips = toolTips;
    if (!m_kinds.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_kinds.size()) - 1);
}

void RowTableModel::setColumnData(int column, int role, const QVariant &value)
{
    if (column < 0 || column >= m_kinds.size())
        return;
    m_columnData[column].insert(role, value);
    if (m_rowCount > 0)
        Q_EMIT dataChanged(index(0, column), index(m_rowCount - 1, column), { role });
}

void RowTableModel::setCells(const QList<CellEdit> &edits)
{
    QList<CellEdit> cells;
    for (const CellEdit &edit : edits) {
        if (edit.row >= 0 && edit.row < m_rowCount && edit.column >= 0 && edit.column < m_kinds.size())
            cells.append(edit);
    }
    if (cells.isEmpty())
        return;
    if (m_editHandler) {
        m_editHandler(cells);
        return;
    }
    writeCells(cells);
    const auto [top, bottom] = std::minmax_element(
        cells.cbegin(), cells.cend(), [](const CellEdit &a, const CellEdit &b) { return a.row < b.row; });
    const auto [left, right] = std::minmax_element(
        cells.cbegin(), cells.cend(), [](const CellEdit &a, const CellEdit &b) { return a.column < b.column; });
    cellsChanged(top->row, left->column, bottom->row, right->column);
}

void RowTableModel::cellsChanged(int top, int left, int bottom, int right)
{
    if (top <= bottom && left <= right)
        Q_EMIT dataChanged(index(top, left), index(bottom, right), contentRoles());
}

} // namespace sw

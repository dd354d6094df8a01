#include "point_table_model.h"

#include <array>
#include <cstddef>

namespace collinear {

PointTableModel::PointTableModel(PointTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
    m_table.SetObserver(this);
}

PointTableModel::~PointTableModel()
{
    m_table.SetObserver(nullptr);
}

int PointTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.RowCount();
}

int PointTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : PointTable::kColumnCount;
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    const auto column = static_cast<PointTable::Column>(index.column());
    return QString::fromStdString(m_table.Text(column, index.row()));
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= PointTable::kColumnCount) {
        return {};
    }
    static constexpr std::array<const char*, PointTable::kColumnCount> kNames{"X", "Y", "N"};
    return QString::fromLatin1(kNames[static_cast<std::size_t>(section)]);
}

void PointTableModel::RowAboutToBeAppended(int row)
{
    beginInsertRows({}, row, row);
}

void PointTableModel::RowAppended(int /*row*/)
{
    endInsertRows();
}

void PointTableModel::RowAboutToBeRemoved(int row)
{
    beginRemoveRows({}, row, row);
}

void PointTableModel::RowRemoved(int /*row*/)
{
    endRemoveRows();
}

void PointTableModel::AboutToClear()
{
    beginResetModel();
}

void PointTableModel::Cleared()
{
    endResetModel();
}

} // namespace collinear

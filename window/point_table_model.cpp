// One column of the core's point table as a Qt list model.
#include "point_table_model.h"

namespace collinear {

PointTableModel::PointTableModel(PointTable& table, PointTable::Column column, QObject* parent)
    : QAbstractListModel(parent)
    , m_table(table)
    , m_column(column)
{
    m_table.AddObserver(this);
}

PointTableModel::~PointTableModel()
{
    m_table.RemoveObserver(this);
}

int PointTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.RowCount();
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    return QString::fromStdString(m_table.Text(m_column, index.row()));
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

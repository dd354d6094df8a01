// One column of the core's point table as a Qt list model.
#pragma once

#include "point_table.h"

#include <QAbstractListModel>

namespace collinear {

// Shows one column of the core's point table (X, Y or N) to a Qt list, the
// row texts exactly as stored. Each list has a model of its own, so a screen
// reader hears only that list's column; changes reach the lists through the
// table's observer calls, and the table itself stays the only copy.
class PointTableModel : public QAbstractListModel, private PointTableObserver {
    Q_OBJECT

public:
    PointTableModel(PointTable& table, PointTable::Column column, QObject* parent = nullptr);
    ~PointTableModel() override;

    PointTableModel(const PointTableModel&) = delete;
    PointTableModel& operator=(const PointTableModel&) = delete;

    [[nodiscard]] PointTable::Column Column() const { return m_column; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    void RowAboutToBeAppended(int row) override;
    void RowAppended(int row) override;
    void RowAboutToBeRemoved(int row) override;
    void RowRemoved(int row) override;
    void AboutToClear() override;
    void Cleared() override;

    PointTable& m_table;
    PointTable::Column m_column;
};

} // namespace collinear

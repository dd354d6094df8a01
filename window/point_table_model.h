#pragma once

#include "point_table.h"

#include <QAbstractTableModel>

namespace collinear {

// Shows the core's point table to Qt views: columns X, Y and N, one row a
// point, the row texts exactly as stored. Changes reach the views through
// the table's observer calls; the table itself stays the only copy.
class PointTableModel : public QAbstractTableModel, private PointTableObserver {
    Q_OBJECT

public:
    explicit PointTableModel(PointTable& table, QObject* parent = nullptr);
    ~PointTableModel() override;

    PointTableModel(const PointTableModel&) = delete;
    PointTableModel& operator=(const PointTableModel&) = delete;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    void RowAboutToBeAppended(int row) override;
    void RowAppended(int row) override;
    void RowAboutToBeRemoved(int row) override;
    void RowRemoved(int row) override;
    void AboutToClear() override;
    void Cleared() override;

    PointTable& m_table;
};

} // namespace collinear

#pragma once

#include <array>
#include <string>
#include <vector>

namespace collinear {

// Told about every change of a PointTable before and after it happens, so a
// view of the table can follow it (the Qt model adapter does).
class PointTableObserver {
public:
    virtual ~PointTableObserver() = default;
    virtual void RowAboutToBeAppended(int row) = 0;
    virtual void RowAppended(int row) = 0;
    virtual void RowAboutToBeRemoved(int row) = 0;
    virtual void RowRemoved(int row) = 0;
    virtual void AboutToClear() = 0;
    virtual void Cleared() = 0;

protected:
    PointTableObserver() = default;
    PointTableObserver(const PointTableObserver&) = default;
    PointTableObserver& operator=(const PointTableObserver&) = default;
};

// The stored points: three text columns X, Y and N kept row for row in the
// order of addition, each with its own selected row (-1 for none). The row
// texts are the only copy of the points; readers parse them back.
class PointTable {
public:
    enum Column { X = 0, Y = 1, N = 2 };
    static constexpr int kColumnCount = 3;

    [[nodiscard]] int RowCount() const;
    // Callers pass rows from 0 to RowCount() - 1.
    [[nodiscard]] double ReadX(int row) const;
    [[nodiscard]] double ReadY(int row) const;
    [[nodiscard]] const std::string& Text(Column column, int row) const;
    // The first row whose point is exactly (x, y) as read back, or -1.
    [[nodiscard]] int RowAt(double x, double y) const;

    void Append(double x, double y, int n);
    void RemoveRow(int row);
    void ClearAll();

    [[nodiscard]] int SelectedRow(Column column) const;
    // A row outside the table selects nothing.
    void SelectRow(Column column, int row);

    // The whole table, its texts and its selections, as one value, so that a
    // step of the pupil's can be taken back.
    struct Contents {
        std::array<std::vector<std::string>, kColumnCount> columns;
        std::array<int, kColumnCount> selected{-1, -1, -1};
        bool operator==(const Contents&) const = default;
    };
    [[nodiscard]] Contents Save() const;
    // Views hear it as the table cleared and filled anew.
    void Restore(const Contents& contents);

    // An observer must be removed before it goes, or outlive the table.
    void AddObserver(PointTableObserver* observer);
    void RemoveObserver(PointTableObserver* observer);

private:
    std::array<std::vector<std::string>, kColumnCount> m_columns;
    std::array<int, kColumnCount> m_selected{-1, -1, -1};
    std::vector<PointTableObserver*> m_observers;

    template <typename Call>
    void Notify(Call call) const;
};

} // namespace collinear

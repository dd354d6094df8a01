#include "point_table.h"

#include "number_text.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace collinear {

template <typename Call>
void PointTable::Notify(Call call) const
{
    for (PointTableObserver* observer : m_observers) {
        call(*observer);
    }
}

int PointTable::RowCount() const
{
    return static_cast<int>(m_columns[X].size());
}

double PointTable::ReadX(int row) const
{
    return TextToNumber(Text(X, row));
}

double PointTable::ReadY(int row) const
{
    return TextToNumber(Text(Y, row));
}

const std::string& PointTable::Text(Column column, int row) const
{
    assert(row >= 0 && row < RowCount());
    return m_columns[column][static_cast<std::size_t>(row)];
}

int PointTable::RowAt(double x, double y) const
{
    for (int row = 0; row < RowCount(); ++row) {
        if (ReadX(row) == x && ReadY(row) == y) {
            return row;
        }
    }
    return -1;
}

void PointTable::Append(double x, double y, int n)
{
    const int row = RowCount();
    Notify([&](PointTableObserver& observer) { observer.RowAboutToBeAppended(row); });
    m_columns[X].push_back(NumberToText(x));
    m_columns[Y].push_back(NumberToText(y));
    m_columns[N].push_back(NumberToText(n));
    Notify([&](PointTableObserver& observer) { observer.RowAppended(row); });
}

void PointTable::RemoveRow(int row)
{
    if (row < 0 || row >= RowCount()) {
        return;
    }
    Notify([&](PointTableObserver& observer) { observer.RowAboutToBeRemoved(row); });
    for (int column = 0; column < kColumnCount; ++column) {
        auto& texts = m_columns[static_cast<std::size_t>(column)];
        texts.erase(texts.begin() + row);
        // A list loses its selection with the selected row; rows below it
        // move up and take their selection with them.
        int& selected = m_selected[static_cast<std::size_t>(column)];
        if (selected == row) {
            selected = -1;
        } else if (selected > row) {
            --selected;
        }
    }
    Notify([&](PointTableObserver& observer) { observer.RowRemoved(row); });
}

void PointTable::ClearAll()
{
    Notify([&](PointTableObserver& observer) { observer.AboutToClear(); });
    for (int column = 0; column < kColumnCount; ++column) {
        m_columns[static_cast<std::size_t>(column)].clear();
        m_selected[static_cast<std::size_t>(column)] = -1;
    }
    Notify([&](PointTableObserver& observer) { observer.Cleared(); });
}

PointTable::Contents PointTable::Save() const
{
    return {m_columns, m_selected};
}

void PointTable::Restore(const Contents& contents)
{
    Notify([&](PointTableObserver& observer) { observer.AboutToClear(); });
    m_columns = contents.columns;
    m_selected = contents.selected;
    Notify([&](PointTableObserver& observer) { observer.Cleared(); });
}

int PointTable::SelectedRow(Column column) const
{
    return m_selected[column];
}

void PointTable::SelectRow(Column column, int row)
{
    m_selected[column] = (row >= 0 && row < RowCount()) ? row : -1;
}

void PointTable::AddObserver(PointTableObserver* observer)
{
    if (observer != nullptr
        && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
        m_observers.push_back(observer);
    }
}

void PointTable::RemoveObserver(PointTableObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

} // namespace collinear

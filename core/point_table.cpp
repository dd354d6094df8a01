#include "point_table.h"

#include "number_text.h"

#include <cassert>
#include <cstddef>

namespace collinear {

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

void PointTable::Append(double x, double y, int n)
{
    const int row = RowCount();
    if (m_observer != nullptr) {
        m_observer->RowAboutToBeAppended(row);
    }
    m_columns[X].push_back(NumberToText(x));
    m_columns[Y].push_back(NumberToText(y));
    m_columns[N].push_back(NumberToText(n));
    if (m_observer != nullptr) {
        m_observer->RowAppended(row);
    }
}

void PointTable::RemoveRow(int row)
{
    if (row < 0 || row >= RowCount()) {
        return;
    }
    if (m_observer != nullptr) {
        m_observer->RowAboutToBeRemoved(row);
    }
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
    if (m_observer != nullptr) {
        m_observer->RowRemoved(row);
    }
}

void PointTable::ClearAll()
{
    if (m_observer != nullptr) {
        m_observer->AboutToClear();
    }
    for (int column = 0; column < kColumnCount; ++column) {
        m_columns[static_cast<std::size_t>(column)].clear();
        m_selected[static_cast<std::size_t>(column)] = -1;
    }
    if (m_observer != nullptr) {
        m_observer->Cleared();
    }
}

int PointTable::SelectedRow(Column column) const
{
    return m_selected[column];
}

void PointTable::SelectRow(Column column, int row)
{
    m_selected[column] = (row >= 0 && row < RowCount()) ? row : -1;
}

void PointTable::SetObserver(PointTableObserver* observer)
{
    m_observer = observer;
}

} // namespace collinear

#include "point_table.h"

#include <gtest/gtest.h>

namespace collinear {
namespace {

TEST(PointTable, StartsEmpty)
{
    const PointTable table;
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.SelectedRow(PointTable::X), -1);
}

TEST(PointTable, RowsAreTextsThatReadBackAsNumbers)
{
    PointTable table;
    table.Append(0, 120, 1);
    table.Append(35, -5, 2);
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Text(PointTable::X, 0), "0");
    EXPECT_EQ(table.Text(PointTable::Y, 0), "120");
    EXPECT_EQ(table.Text(PointTable::N, 1), "2");
    EXPECT_EQ(table.ReadX(0), 0.0);
    EXPECT_EQ(table.ReadY(0), 120.0);
    EXPECT_EQ(table.ReadY(1), -5.0);
}

TEST(PointTable, RemovingARowMovesTheRowsBelowUpAndKeepsTheirNumbers)
{
    PointTable table;
    table.Append(10, 10, 1);
    table.Append(20, 20, 2);
    table.Append(30, 30, 3);
    table.RemoveRow(1);
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Text(PointTable::N, 0), "1");
    EXPECT_EQ(table.Text(PointTable::N, 1), "3");
    EXPECT_EQ(table.ReadX(1), 30.0);
    table.RemoveRow(5); // no such row
    table.RemoveRow(-1);
    EXPECT_EQ(table.RowCount(), 2);
}

TEST(PointTable, SelectionsFollowTheirRows)
{
    PointTable table;
    for (int n = 1; n <= 4; ++n) {
        table.Append(n, n, n);
    }
    table.SelectRow(PointTable::X, 2);
    table.SelectRow(PointTable::Y, 2);
    table.SelectRow(PointTable::N, 0);
    table.RemoveRow(1); // above X and Y's row: they move up with it
    EXPECT_EQ(table.SelectedRow(PointTable::X), 1);
    EXPECT_EQ(table.SelectedRow(PointTable::N), 0);
    table.RemoveRow(1); // the selected row itself: no selection is left
    EXPECT_EQ(table.SelectedRow(PointTable::X), -1);
    EXPECT_EQ(table.SelectedRow(PointTable::Y), -1);
    table.SelectRow(PointTable::X, 9); // past the end selects nothing
    EXPECT_EQ(table.SelectedRow(PointTable::X), -1);
    table.ClearAll();
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.SelectedRow(PointTable::N), -1);
}

} // namespace
} // namespace collinear

#include "point_entry.h"
#include "recording_surface.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace collinear {
namespace {

using testing::RecordingSurface;
using Calls = std::vector<std::string>;

struct SnapCase {
    int step;
    double v;
    double expected;
};

TEST(SnapToGrid, TakesTheNearestNodeAndRoundsHalfStepsUp)
{
    const SnapCase cases[] = {
        {5, 12, 10},    {5, 13, 15},    {10, 14, 10}, {10, 15, 20}, {50, 24, 0},
        {50, 25, 50},   {5, 0, 0},      {5, 15, 15},  {35, 17, 0},  {35, 18, 35},
        {20, 466, 460}, {50, 199, 200}, // a large step may snap past the visible area
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SnapToGrid(c.v, c.step), c.expected) << "step " << c.step << ", v " << c.v;
    }
}

TEST(SnapToGrid, KeepsTheFractionOfTheUnroundedValue)
{
    // The remainder comes from the rounded value but is taken off the
    // unrounded one; negative values keep the remainder's sign.
    EXPECT_EQ(SnapToGrid(12.25, 5), 10.25);
    EXPECT_EQ(SnapToGrid(-12, 5), -10);
    EXPECT_EQ(SnapToGrid(-13, 5), -10);
}

TEST(SnapToGrid, RefusesWhatCannotBeStoredExactly)
{
    EXPECT_FALSE(SnapToGrid(std::numeric_limits<double>::quiet_NaN(), 5));
    EXPECT_FALSE(SnapToGrid(std::numeric_limits<double>::infinity(), 5));
    EXPECT_FALSE(SnapToGrid(3e9, 5));
    EXPECT_FALSE(SnapToGrid(-kCoordinateLimit - 1, 5));
    EXPECT_FALSE(SnapToGrid(10, 0));
    EXPECT_TRUE(SnapToGrid(kCoordinateLimit, 5));
    EXPECT_FALSE(SnapToGrid(kCoordinateLimit - 6, 20)); // its node lies past the limit
}

class PointEntryTest : public ::testing::Test {
protected:
    void Press(float x, float y)
    {
        surface.calls.clear();
        entry.AddPointAt(x, y);
    }

    PointTable table;
    RecordingSurface surface;
    PointEntry entry{table, surface};
};

TEST_F(PointEntryTest, APressIsSnappedNumberedDrawnAndStored)
{
    Press(13, 48);
    EXPECT_EQ(surface.calls, (Calls{"pen 5", "dot 15,50", "pen 1"}));
    ASSERT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.Text(PointTable::X, 0), "15");
    EXPECT_EQ(table.Text(PointTable::Y, 0), "50");
    EXPECT_EQ(table.Text(PointTable::N, 0), "1");
    EXPECT_EQ(entry.PointCounter(), 1);
}

TEST_F(PointEntryTest, APressOnAStoredNodeAddsNothing)
{
    entry.SetGridStepFromList("50");
    Press(60, 60);
    Press(70, 40); // the same node of the 50 grid
    EXPECT_EQ(surface.calls, (Calls{"pen 1"}));
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(entry.PointCounter(), 1);
    Press(80, 60); // the next node is a new point
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Text(PointTable::X, 1), "100");
}

TEST_F(PointEntryTest, TheDuplicateTestComparesBothCoordinates)
{
    Press(10, 10);
    Press(10, 20);
    Press(20, 10);
    EXPECT_EQ(table.RowCount(), 3);
}

TEST_F(PointEntryTest, FiftyOnePointsFitAndTheLimitCountsDeletedPoints)
{
    for (int i = 0; i < 51; ++i) {
        Press(static_cast<float>(i * 5), 0);
    }
    ASSERT_EQ(table.RowCount(), 51);
    EXPECT_EQ(table.Text(PointTable::N, 50), "51");
    Press(0, 100);
    EXPECT_EQ(table.RowCount(), 51);
    EXPECT_TRUE(surface.calls.empty()); // refused before even the pen is set
    table.RemoveRow(0);
    table.RemoveRow(0);
    Press(0, 100);
    EXPECT_EQ(table.RowCount(), 49);
    EXPECT_EQ(entry.PointCounter(), 51);
}

TEST_F(PointEntryTest, NumbersAreNotReusedAfterADeletion)
{
    Press(10, 10);
    Press(20, 20);
    Press(30, 30);
    table.RemoveRow(1);
    Press(40, 40);
    EXPECT_EQ(table.Text(PointTable::N, 0), "1");
    EXPECT_EQ(table.Text(PointTable::N, 1), "3");
    EXPECT_EQ(table.Text(PointTable::N, 2), "4");
}

TEST_F(PointEntryTest, ChangingTheStepMovesNoStoredPoint)
{
    Press(12, 12);
    entry.SetGridStepFromList("20");
    EXPECT_EQ(entry.GridStep(), 20);
    EXPECT_EQ(table.ReadX(0), 10.0);
    Press(12, 12);
    EXPECT_EQ(table.ReadX(1), 20.0);
}

TEST_F(PointEntryTest, TheStepIsReadFromTheListRowText)
{
    for (const auto row : kGridStepRows) {
        entry.SetGridStepFromList(row);
        EXPECT_EQ(std::to_string(entry.GridStep()), std::string(row));
    }
    entry.SetGridStepFromList("12.5"); // ties to even
    EXPECT_EQ(entry.GridStep(), 12);
    // A text that is no usable step leaves the step alone instead of
    // dividing by zero on the next press.
    entry.SetGridStepFromList("");
    entry.SetGridStepFromList("-10");
    entry.SetGridStepFromList("99999");
    EXPECT_EQ(entry.GridStep(), 12);
}

TEST_F(PointEntryTest, PressesThatCannotBeStoredAreIgnored)
{
    Press(std::numeric_limits<float>::quiet_NaN(), 10);
    Press(10, std::numeric_limits<float>::infinity());
    Press(1e30F, 1e30F);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(entry.PointCounter(), 0);
    EXPECT_TRUE(surface.calls.empty());
}

} // namespace
} // namespace collinear

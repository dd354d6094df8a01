#include "collinear_search.h"
#include "recording_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace collinear {
namespace {

using testing::RecordingSurface;
using Calls = std::vector<std::string>;

const std::string kHeading = std::string(kReportHeading) + "\r\n";

PointTable TableOf(const std::vector<std::pair<double, double>>& points)
{
    PointTable table;
    int n = 0;
    for (const auto& [x, y] : points) {
        table.Append(x, y, ++n);
    }
    return table;
}

TEST(FindCollinearTriples, FewerThanThreePointsChangeNothing)
{
    for (const auto& points :
         {std::vector<std::pair<double, double>>{}, {{10, 10}}, {{10, 10}, {20, 20}}}) {
        RecordingSurface surface;
        EXPECT_FALSE(FindCollinearTriples(TableOf(points), surface));
        EXPECT_TRUE(surface.calls.empty());
    }
}

TEST(FindCollinearTriples, OneLineReportsTheTripleAndDrawsItsTwoSegments)
{
    RecordingSurface surface;
    const auto report = FindCollinearTriples(TableOf({{10, 20}, {20, 20}, {30, 20}}), surface);
    ASSERT_TRUE(report);
    EXPECT_EQ(*report, kHeading + "10,20; 20,20; 30,20\r\n");
    EXPECT_EQ(surface.calls, (Calls{"pen 1", "segment 10,20 20,20", "segment 20,20 30,20"}));
}

TEST(FindCollinearTriples, NoCollinearTripleGivesOnlyTheHeading)
{
    RecordingSurface surface;
    const auto report
        = FindCollinearTriples(TableOf({{0, 0}, {10, 0}, {0, 10}, {15, 20}}), surface);
    EXPECT_EQ(report, kHeading);
    EXPECT_TRUE(surface.calls.empty());
}

TEST(FindCollinearTriples, FourPointsOnALineGiveFourTriplesInRowOrder)
{
    RecordingSurface surface;
    const auto report
        = FindCollinearTriples(TableOf({{0, 0}, {5, 5}, {10, 10}, {15, 15}}), surface);
    EXPECT_EQ(report,
              kHeading
                  + "0,0; 5,5; 10,10\r\n"
                    "0,0; 5,5; 15,15\r\n"
                    "0,0; 10,10; 15,15\r\n"
                    "5,5; 10,10; 15,15\r\n");
    EXPECT_EQ(surface.calls.size(), 4U * 3U);
    EXPECT_EQ(surface.calls[3], "pen 1");
    EXPECT_EQ(surface.calls[4], "segment 0,0 5,5");
    EXPECT_EQ(surface.calls[5], "segment 5,5 15,15");
}

TEST(FindCollinearTriples, PointsStayInRowOrderNotInOrderAlongTheLine)
{
    RecordingSurface surface;
    const auto report = FindCollinearTriples(TableOf({{0, 0}, {20, 0}, {10, 0}}), surface);
    EXPECT_EQ(report, kHeading + "0,0; 20,0; 10,0\r\n");
    EXPECT_EQ(surface.calls, (Calls{"pen 1", "segment 0,0 20,0", "segment 20,0 10,0"}));
}

TEST(FindCollinearTriples, FindsOnlyTheCollinearTriplesAmongMany)
{
    // Rows 0, 2 and 4 lie on y = 2x; row 1 and 3 lie off it.
    RecordingSurface surface;
    const auto report
        = FindCollinearTriples(TableOf({{5, 10}, {30, 5}, {10, 20}, {35, 45}, {20, 40}}), surface);
    EXPECT_EQ(report, kHeading + "5,10; 10,20; 20,40\r\n");
}

TEST(FindCollinearTriples, LargeCoordinatesNeitherOverflowNorMatchFalsely)
{
    // Most determinants here are far beyond 32 bits; they are not zero, and
    // only the triple on y = x is reported.
    RecordingSurface surface;
    const auto report = FindCollinearTriples(
        TableOf({{0, 0}, {16777215, 0}, {0, 16777215}, {8000000, 8000000}, {16000000, 16000000}}),
        surface);
    EXPECT_EQ(report, kHeading + "0,0; 8000000,8000000; 16000000,16000000\r\n");
}

TEST(FindCollinearTriples, RunningTwiceRebuildsTheSameReport)
{
    const PointTable table = TableOf({{0, 0}, {5, 0}, {10, 0}, {5, 5}});
    RecordingSurface first;
    RecordingSurface second;
    EXPECT_EQ(FindCollinearTriples(table, first), FindCollinearTriples(table, second));
    EXPECT_EQ(first.calls, second.calls);
}

TEST(FindCollinearTriples, FiftyOnePointsOnALineGiveEveryTriple)
{
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 51; ++i) {
        points.emplace_back(i * 5, 100);
    }
    RecordingSurface surface;
    const auto report = FindCollinearTriples(TableOf(points), surface);
    ASSERT_TRUE(report);
    std::size_t lines = 0;
    for (std::size_t at = report->find("\r\n"); at != std::string::npos;
         at = report->find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 20826U);
    EXPECT_EQ(surface.calls.size(), 20825U * 3U);
}

} // namespace
} // namespace collinear

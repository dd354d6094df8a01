#pragma once

#include "collinear_search.h"
#include "drawing_surface.h"
#include "point_table.h"

#include <string>

namespace collinear::bench {

// The worst case for the search and the drawing: the most points one reset
// allows, all on one line. On the drawing area (467 x 200) 51 grid nodes
// of step 5 fit on one line only horizontally, so this is the line.
inline constexpr int kWorstCasePoints = 51;
inline constexpr int kLineLeft = 100;
inline constexpr int kLineY = 100;
inline constexpr int kPointSpacing = 5;

constexpr int WorstCaseX(int point)
{
    return kLineLeft + kPointSpacing * point;
}

inline PointTable WorstCaseTable()
{
    PointTable table;
    for (int point = 0; point < kWorstCasePoints; ++point) {
        table.Append(WorstCaseX(point), kLineY, point + 1);
    }
    return table;
}

// The report of the worst case: the heading and 20,825 triple lines.
inline std::string WorstCaseReport()
{
    NullSurface surface;
    return FindCollinearTriples(WorstCaseTable(), surface).value_or(std::string());
}

} // namespace collinear::bench

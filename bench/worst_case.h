#pragma once

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

} // namespace collinear::bench

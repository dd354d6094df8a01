#pragma once

#include "drawing_surface.h"
#include "point_table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace collinear {

// The rows of the step list, in order; start-up selects the first.
inline constexpr std::array<std::string_view, 10> kGridStepRows{"5",  "10", "15", "20", "25",
                                                                "30", "35", "40", "45", "50"};

// Points may be added while the counter is at most this, so 51 points fit
// between two resets.
inline constexpr int kPointCounterLimit = 50;

// Presses further from the origin than this are refused: beyond it the
// determinant of three points would no longer be exact in double precision.
inline constexpr double kCoordinateLimit = 16777216.0; // 2^24

// The grid node for one coordinate with step `step`: the remainder of the
// rounded value (truncating, with its sign) is taken off the unrounded value,
// or a whole step is added when the remainder is at least half a step.
// Empty when v is not finite, v or its node is beyond kCoordinateLimit, or
// step is not positive.
std::optional<double> SnapToGrid(double v, int step);

// Turns mouse presses on the drawing area into stored, numbered and drawn
// points, and holds the grid step that the step list sets.
class PointEntry {
public:
    PointEntry(PointTable& table, DrawingSurface& surface);

    [[nodiscard]] std::int16_t PointCounter() const { return m_pointCounter; }
    void ResetPointCounter() { m_pointCounter = 0; }
    // Only for taking a step back or doing it again: the counter is what it
    // was then, so the next point gets the serial it would have had.
    void RestorePointCounter(std::int16_t counter) { m_pointCounter = counter; }

    [[nodiscard]] std::int16_t GridStep() const { return m_gridStep; }
    // Sets the step from the text of the step list's selected row. A text
    // that is no positive whole step leaves the step as it was.
    void SetGridStepFromList(std::string_view selectedRowText);

    // Snaps the press, refuses duplicates and presses past the limit, and
    // otherwise numbers, draws and stores the point. The button and modifier
    // keys of the press do not matter.
    void AddPointAt(float x, float y);

private:
    PointTable& m_table;
    DrawingSurface& m_surface;
    std::int16_t m_pointCounter = 0;
    std::int16_t m_gridStep = 5;
};

} // namespace collinear

#pragma once

#include "drawing_surface.h"
#include "point_table.h"

#include <optional>
#include <string>
#include <string_view>

namespace collinear {

inline constexpr std::string_view kReportHeading = "Търся, точки, лежащи на една права:";
inline constexpr std::string_view kLineEnd = "\r\n";

// Examines every triple of stored points in row order i < j < k. For each
// triple whose determinant ax*by + ay*cx + bx*cy - cx*by - cy*ax - bx*ay
// rounds to 0 it draws the segments A-B and B-C and adds the report line
// "ax,ay; bx,by; cx,cy". Returns the whole report, heading first, or nothing
// (and draws nothing) when fewer than three points are stored.
std::optional<std::string> FindCollinearTriples(const PointTable& table, DrawingSurface& surface);

} // namespace collinear

#include "point_entry.h"

#include "number_text.h"

#include <cmath>

namespace collinear {

std::optional<double> SnapToGrid(double v, int step)
{
    if (step <= 0 || !std::isfinite(v) || std::fabs(v) > kCoordinateLimit) {
        return std::nullopt;
    }
    const auto rounded = RoundToInt32(v);
    if (!rounded) {
        return std::nullopt;
    }
    int remainder = *rounded % step; // truncating: the sign of the rounded value
    if (static_cast<double>(remainder) >= static_cast<double>(step) / 2.0) {
        remainder -= step;
    }
    const double node = v - static_cast<double>(remainder);
    // A press just inside the limit can round up to a node beyond it.
    if (std::fabs(node) > kCoordinateLimit) {
        return std::nullopt;
    }
    return node;
}

PointEntry::PointEntry(PointTable& table, DrawingSurface& surface)
    : m_table(table)
    , m_surface(surface)
{
}

void PointEntry::SetGridStepFromList(std::string_view selectedRowText)
{
    const auto step = RoundToInt16(TextToNumber(selectedRowText));
    // A step of zero or less would make every press divide by zero.
    if (step && *step > 0) {
        m_gridStep = *step;
    }
}

void PointEntry::AddPointAt(float x, float y)
{
    if (m_pointCounter > kPointCounterLimit) {
        return;
    }
    const auto snappedX = SnapToGrid(x, m_gridStep);
    const auto snappedY = SnapToGrid(y, m_gridStep);
    if (!snappedX || !snappedY) {
        return; // a position no point can be stored at, refused like the limit
    }
    if (m_table.RowAt(*snappedX, *snappedY) < 0) {
        ++m_pointCounter;
        m_surface.SetPenWidth(kDotPenWidth);
        m_surface.PlotDot(static_cast<float>(*snappedX), static_cast<float>(*snappedY));
        m_table.Append(*snappedX, *snappedY, m_pointCounter);
    }
    m_surface.SetPenWidth(kSegmentPenWidth);
}

} // namespace collinear

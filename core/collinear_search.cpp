#include "collinear_search.h"

#include "number_text.h"

#include <cstddef>
#include <vector>

namespace collinear {

namespace {

struct ParsedRow {
    double x;
    double y;
    std::string text; // "x,y" as the report writes the point
};

} // namespace

std::optional<std::string> FindCollinearTriples(const PointTable& table, DrawingSurface& surface)
{
    const int n = table.RowCount();
    if (n - 1 < 2) {
        return std::nullopt;
    }

    // Each row is parsed once rather than once per triple: the parse is
    // exact and the table does not change during the search, so the result
    // is the same and 51 points cost 51 parses instead of 125,000.
    std::vector<ParsedRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
        const double x = table.ReadX(r);
        const double y = table.ReadY(r);
        rows.push_back({x, y, NumberToText(x) + "," + NumberToText(y)});
    }

    std::string report{kReportHeading};
    report += kLineEnd;
    for (int i = 0; i <= n - 3; ++i) {
        const ParsedRow& a = rows[static_cast<std::size_t>(i)];
        for (int j = i + 1; j <= n - 2; ++j) {
            const ParsedRow& b = rows[static_cast<std::size_t>(j)];
            for (int k = j + 1; k <= n - 1; ++k) {
                const ParsedRow& c = rows[static_cast<std::size_t>(k)];
                const double det = a.x * b.y + a.y * c.x + b.x * c.y - c.x * b.y - c.y * a.x
                    - b.x * a.y;
                // A determinant too large for 32 bits is certainly not zero.
                const auto rounded = RoundToInt32(det);
                if (!rounded || *rounded != 0) {
                    continue;
                }
                surface.SetPenWidth(kSegmentPenWidth);
                surface.DrawSegment(static_cast<float>(a.x), static_cast<float>(a.y),
                                    static_cast<float>(b.x), static_cast<float>(b.y));
                surface.DrawSegment(static_cast<float>(b.x), static_cast<float>(b.y),
                                    static_cast<float>(c.x), static_cast<float>(c.y));
                report += a.text;
                report += "; ";
                report += b.text;
                report += "; ";
                report += c.text;
                report += kLineEnd;
            }
        }
    }
    return report;
}

} // namespace collinear

#include "collinear_search.h"

#include "number_text.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace collinear {

namespace {

struct ParsedRow {
    double x;
    double y;
    std::string text; // "x,y" as the report writes the point
};

// The determinant of the triple, evaluated term by term as written.
double Determinant(const ParsedRow& a, const ParsedRow& b, const ParsedRow& c)
{
    return a.x * b.y + a.y * c.x + b.x * c.y - c.x * b.y - c.y * a.x - b.x * a.y;
}

// Whether the determinant rounds, to nearest with ties to even, to the
// 32-bit integer 0: exactly when it lies within [-0.5, 0.5]. A determinant
// too large for 32 bits, or not a number, is certainly not zero.
bool RoundsToZero(double determinant)
{
    return std::fabs(determinant) <= 0.5;
}

// Calls visit(a, b, c) for every collinear triple of rows i < j < k, in
// lexicographic order.
template <typename Visit>
void ForEachCollinearTriple(const std::vector<ParsedRow>& rows, Visit&& visit)
{
    const std::size_t n = rows.size();
    for (std::size_t i = 0; i + 2 < n; ++i) {
        for (std::size_t j = i + 1; j + 1 < n; ++j) {
            for (std::size_t k = j + 1; k < n; ++k) {
                if (RoundsToZero(Determinant(rows[i], rows[j], rows[k]))) {
                    visit(rows[i], rows[j], rows[k]);
                }
            }
        }
    }
}

constexpr std::string_view kPointSeparator = "; ";

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

    // A first pass sizes the report, so that the second writes 20,000 lines
    // without growing and copying the string again and again.
    std::size_t size = kReportHeading.size() + kLineEnd.size();
    ForEachCollinearTriple(rows,
                           [&size](const ParsedRow& a, const ParsedRow& b, const ParsedRow& c) {
                               size += a.text.size() + b.text.size() + c.text.size()
                                   + 2 * kPointSeparator.size() + kLineEnd.size();
                           });

    std::string report;
    report.reserve(size);
    report += kReportHeading;
    report += kLineEnd;
    ForEachCollinearTriple(
        rows, [&report, &surface](const ParsedRow& a, const ParsedRow& b, const ParsedRow& c) {
            surface.SetPenWidth(kSegmentPenWidth);
            surface.DrawSegment(static_cast<float>(a.x), static_cast<float>(a.y),
                                static_cast<float>(b.x), static_cast<float>(b.y));
            surface.DrawSegment(static_cast<float>(b.x), static_cast<float>(b.y),
                                static_cast<float>(c.x), static_cast<float>(c.y));
            report += a.text;
            report += kPointSeparator;
            report += b.text;
            report += kPointSeparator;
            report += c.text;
            report += kLineEnd;
        });
    return report;
}

} // namespace collinear

// libFuzzer target for the core: the input bytes become a sequence of the
// operations the window performs on the point table and the point entry
// (presses at any float, step changes from any text, selection, deletion of
// the selected row, the collinear search, reset), and after each one the
// table must still hold together. The window can only press at whole pixels
// inside a small area; the core has to refuse everything else it cannot
// store instead of storing it wrongly.

#include "collinear_search.h"
#include "number_text.h"
#include "point_entry.h"
#include "point_table.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace {

using collinear::PointTable;

constexpr int kMaxRows = collinear::kPointCounterLimit + 1;
// Each search costs up to 51^3 / 6 determinants; a few per input keep the
// fuzzer fast without losing anything a search can show.
constexpr int kMaxSearchesPerInput = 4;
constexpr int kMaxOperationsPerInput = 300;

[[noreturn]] void Fail(const char* what, int row = -1)
{
    std::fprintf(stderr, "core invariant broken: %s (row %d)\n", what, row);
    std::abort();
}

void Check(bool condition, const char* what, int row = -1)
{
    if (!condition) {
        Fail(what, row);
    }
}

// Stands in for the canvas and checks that the procedures only ever draw
// with the two pens and at positions that came from stored points.
class CheckingSurface : public collinear::DrawingSurface {
public:
    void SetBackground(collinear::Rgb /*colour*/) override { }
    void ClearCanvas() override { }
    void SetPenWidth(int width) override
    {
        Check(width == collinear::kDotPenWidth || width == collinear::kSegmentPenWidth,
              "drawn with an unknown pen");
        m_penWidth = width;
    }
    void PlotDot(float x, float y) override
    {
        Check(std::isfinite(x) && std::isfinite(y), "a dot at a position that is no number");
        Check(m_penWidth == collinear::kDotPenWidth, "a dot drawn without the dot pen");
    }
    void PlotDot(float x, float y, collinear::Rgb /*colour*/) override { PlotDot(x, y); }
    void DrawSegment(float x1, float y1, float x2, float y2) override
    {
        Check(std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2),
              "a segment to a position that is no number");
        Check(m_penWidth == collinear::kSegmentPenWidth, "a segment drawn without the line pen");
        ++segments;
    }
    void SetPersistent(bool /*on*/) override { }

    int segments = 0;

private:
    int m_penWidth = 0;
};

bool IsWholeNumberText(const std::string& text)
{
    std::size_t start = (!text.empty() && text[0] == '-') ? 1 : 0;
    if (start == text.size()) {
        return false;
    }
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

struct State {
    explicit State(bool checking)
        : surface(checking ? static_cast<collinear::DrawingSurface&>(checkingSurface) : nullSurface)
    {
    }

    PointTable table;
    CheckingSurface checkingSurface;
    // Draws nothing and checks nothing: the core must not depend on what
    // the surface does.
    collinear::NullSurface nullSurface;
    collinear::DrawingSurface& surface;
    collinear::PointEntry entry{table, surface};
    // True while every press since the last reset was at whole numbers.
    bool onlyWholePresses = true;
};

// The invariants that hold after any operation.
void CheckTable(const State& state)
{
    const PointTable& table = state.table;
    const int rows = table.RowCount();
    const int counter = state.entry.PointCounter();
    Check(rows >= 0 && rows <= kMaxRows, "more rows than points can be added");
    Check(counter >= 0 && counter <= kMaxRows, "the counter is out of its range");
    Check(state.entry.GridStep() > 0, "the step is not positive");

    const int selected = table.SelectedRow(PointTable::X);
    Check(table.SelectedRow(PointTable::Y) == selected
              && table.SelectedRow(PointTable::N) == selected,
          "the columns select different rows");
    Check(selected >= -1 && selected < rows, "a row outside the table is selected");

    std::set<std::pair<double, double>> points;
    double previousSerial = 0;
    for (int row = 0; row < rows; ++row) {
        const std::string& serialText = table.Text(PointTable::N, row);
        Check(IsWholeNumberText(serialText), "a serial number that is no whole number", row);
        const double serial = collinear::TextToNumber(serialText);
        Check(serial > previousSerial && serial <= counter,
              "serial numbers do not rise up to the counter", row);
        previousSerial = serial;

        const double x = table.ReadX(row);
        const double y = table.ReadY(row);
        if (!(std::isfinite(x) && std::isfinite(y) && std::fabs(x) <= collinear::kCoordinateLimit
              && std::fabs(y) <= collinear::kCoordinateLimit)) {
            std::fprintf(stderr, "stored %s, %s with step %d\n",
                         table.Text(PointTable::X, row).c_str(),
                         table.Text(PointTable::Y, row).c_str(), state.entry.GridStep());
            Fail("a coordinate beyond what can be stored exactly", row);
        }
        // The text is the only copy: writing the value read back must give
        // the same text, or a later reader would see another point.
        Check(collinear::NumberToText(x) == table.Text(PointTable::X, row)
                  && collinear::NumberToText(y) == table.Text(PointTable::Y, row),
              "a coordinate text does not read back to itself", row);
        if (state.onlyWholePresses) {
            Check(IsWholeNumberText(table.Text(PointTable::X, row))
                      && IsWholeNumberText(table.Text(PointTable::Y, row)),
                  "a whole press stored a coordinate that is not whole", row);
        }
        Check(points.insert({x, y}).second, "the same point is stored twice", row);
    }
}

float AnyFloat(FuzzedDataProvider& data)
{
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0:
        // Every bit pattern: NaNs, infinities, subnormals, huge values.
        return std::bit_cast<float>(data.ConsumeIntegral<std::uint32_t>());
    case 1: {
        constexpr std::array<float, 14> kEdges{
            std::numeric_limits<float>::quiet_NaN(),
            std::numeric_limits<float>::infinity(),
            -std::numeric_limits<float>::infinity(),
            std::numeric_limits<float>::max(),
            std::numeric_limits<float>::lowest(),
            std::numeric_limits<float>::denorm_min(),
            -0.0F,
            0.5F,
            2.5F,
            -2.5F,
            16777216.0F,
            -16777216.0F,
            16777215.0F,
            2147483648.0F,
        };
        return kEdges[data.ConsumeIntegralInRange<std::size_t>(0, kEdges.size() - 1)];
    }
    default:
        return data.ConsumeFloatingPointInRange(-4.0e7F, 4.0e7F);
    }
}

float WholeFloat(FuzzedDataProvider& data)
{
    if (data.ConsumeBool()) {
        return static_cast<float>(data.ConsumeIntegralInRange(-600, 600));
    }
    return static_cast<float>(data.ConsumeIntegralInRange(-20'000'000, 20'000'000));
}

void Press(State& state, float x, float y)
{
    const int rowsBefore = state.table.RowCount();
    const int counterBefore = state.entry.PointCounter();
    const int selectedBefore = state.table.SelectedRow(PointTable::X);
    state.onlyWholePresses = state.onlyWholePresses && std::isfinite(x) && std::isfinite(y)
        && std::trunc(x) == x && std::trunc(y) == y;
    state.entry.AddPointAt(x, y);
    const int rows = state.table.RowCount();
    Check(rows == rowsBefore || rows == rowsBefore + 1, "a press removed or added several rows");
    Check(state.table.SelectedRow(PointTable::X) == selectedBefore, "a press moved the selection");
    const bool storable = std::isfinite(x) && std::isfinite(y)
        && std::fabs(x) <= collinear::kCoordinateLimit
        && std::fabs(y) <= collinear::kCoordinateLimit;
    if (rows == rowsBefore) {
        Check(state.entry.PointCounter() == counterBefore, "a refused press moved the counter");
        return;
    }
    Check(storable, "a press that cannot be stored was stored");
    Check(state.entry.PointCounter() == counterBefore + 1, "an added point did not count");
    Check(state.table.Text(PointTable::N, rows - 1) == std::to_string(counterBefore + 1),
          "an added point does not carry the counter", rows - 1);
}

void Search(State& state)
{
    const int rows = state.table.RowCount();
    const int segmentsBefore = state.checkingSurface.segments;
    const auto report = collinear::FindCollinearTriples(state.table, state.surface);
    Check(report.has_value() == (rows >= 3), "a report with fewer than three points, or none");
    Check(state.table.RowCount() == rows, "the search changed the table");
    if (!report) {
        Check(state.checkingSurface.segments == segmentsBefore, "segments drawn without a report");
        return;
    }
    const std::string heading = std::string(collinear::kReportHeading) + "\r\n";
    Check(report->compare(0, heading.size(), heading) == 0, "the report has no heading");
    Check(report->size() >= 2 && report->compare(report->size() - 2, 2, "\r\n") == 0,
          "the report's last line is not ended");
    long lines = 0;
    for (std::size_t at = report->find("\r\n"); at != std::string::npos;
         at = report->find("\r\n", at + 2)) {
        ++lines;
    }
    const long triples = lines - 1;
    const long possible = static_cast<long>(rows) * (rows - 1) * (rows - 2) / 6;
    Check(triples <= possible, "more triples reported than there are");
    if (&state.surface == &state.checkingSurface) {
        Check(state.checkingSurface.segments - segmentsBefore == 2 * triples,
              "each reported triple does not draw its two segments");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    // Qt sets the C locale from the environment; the conversions must not
    // care, so the fuzzer runs under a locale with a decimal comma when the
    // machine has one.
    if (std::setlocale(LC_ALL, "bg_BG.UTF-8") == nullptr) {
        std::setlocale(LC_ALL, "");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    State state(data.ConsumeBool());
    int searches = 0;
    for (int operation = 0; operation < kMaxOperationsPerInput && data.remaining_bytes() > 0;
         ++operation) {
        switch (data.ConsumeIntegralInRange(0, 9)) {
        case 0:
        case 1:
        case 2: {
            const float x = WholeFloat(data);
            Press(state, x, WholeFloat(data));
            break;
        }
        case 3: {
            const float x = AnyFloat(data);
            Press(state, x, AnyFloat(data));
            break;
        }
        case 4: {
            if (data.ConsumeBool()) {
                const auto& rows = collinear::kGridStepRows;
                state.entry.SetGridStepFromList(
                    rows[data.ConsumeIntegralInRange<std::size_t>(0, rows.size() - 1)]);
            } else {
                state.entry.SetGridStepFromList(data.ConsumeRandomLengthString(16));
            }
            break;
        }
        case 5:
        case 6: {
            const int row = data.ConsumeIntegralInRange(-2, state.table.RowCount() + 1);
            // The window keeps the three columns on one row.
            state.table.SelectRow(PointTable::X, row);
            const int selected = state.table.SelectedRow(PointTable::X);
            Check(selected == ((row >= 0 && row < state.table.RowCount()) ? row : -1),
                  "selecting a row selected another", row);
            state.table.SelectRow(PointTable::Y, selected);
            state.table.SelectRow(PointTable::N, selected);
            break;
        }
        case 7: {
            const int selected = state.table.SelectedRow(PointTable::X);
            const int rows = state.table.RowCount();
            const int counter = state.entry.PointCounter();
            state.table.RemoveRow(selected);
            Check(state.table.RowCount() == (selected < 0 ? rows : rows - 1),
                  "deleting the selected row removed something else");
            Check(state.table.SelectedRow(PointTable::X) == -1, "a row is selected after deleting");
            Check(state.entry.PointCounter() == counter, "deleting moved the counter");
            break;
        }
        case 8:
            if (searches < kMaxSearchesPerInput) {
                ++searches;
                Search(state);
            }
            break;
        default:
            state.table.ClearAll();
            state.entry.ResetPointCounter();
            state.onlyWholePresses = true;
            Check(state.table.RowCount() == 0 && state.table.SelectedRow(PointTable::X) == -1,
                  "a reset left rows or a selection");
            break;
        }
        CheckTable(state);
    }
    return 0;
}

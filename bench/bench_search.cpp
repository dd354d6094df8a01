#include "collinear_search.h"
#include "worst_case.h"

#include <benchmark/benchmark.h>

namespace {

using namespace collinear;

// A drawing surface that draws nothing, so that only the search is timed.
class NullSurface final : public DrawingSurface {
public:
    void SetBackground(Rgb /*colour*/) override { }
    void ClearCanvas() override { }
    void SetPenWidth(int /*width*/) override { }
    void PlotDot(float /*x*/, float /*y*/) override { }
    void PlotDot(float /*x*/, float /*y*/, Rgb /*colour*/) override { }
    void DrawSegment(float /*x1*/, float /*y1*/, float /*x2*/, float /*y2*/) override { }
    void SetPersistent(bool /*on*/) override { }
};

void BM_SearchWorstCase(benchmark::State& state)
{
    PointTable table;
    for (int point = 0; point < bench::kWorstCasePoints; ++point) {
        table.Append(bench::WorstCaseX(point), bench::kLineY, point + 1);
    }
    NullSurface surface;
    std::size_t reportBytes = 0;
    for (auto _ : state) {
        auto report = FindCollinearTriples(table, surface);
        benchmark::DoNotOptimize(report);
        reportBytes = report ? report->size() : 0;
    }
    state.counters["report_bytes"] = static_cast<double>(reportBytes);
}

} // namespace

BENCHMARK(BM_SearchWorstCase)->Unit(benchmark::kMillisecond);

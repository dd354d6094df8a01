#include "collinear_search.h"
#include "worst_case.h"

#include <benchmark/benchmark.h>

namespace {

using namespace collinear;

void BM_SearchWorstCase(benchmark::State& state)
{
    const PointTable table = bench::WorstCaseTable();
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

#include "paint_watch.h"
#include "plain_text_box.h"
#include "report_panel.h"
#include "shown_window.h"
#include "startup_text.h"
#include "window_layout.h"
#include "worst_case.h"

#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

// Whether the report panel earns its keep: the 20,826-line report set into
// it and into the read-only QPlainTextEdit it would otherwise be, each in a
// window of the main window's size and font at the panel's place, timed
// until the box has painted the new text.

namespace {

using collinear::ReportPanel;
using collinear::bench::PaintWatch;
using collinear::bench::ProcessEventsUntilIdle;

std::unique_ptr<QWidget> WindowOfTheMainWindowsSize()
{
    auto window = std::make_unique<QWidget>();
    window->setFont(collinear::WindowFont());
    window->setFixedSize(collinear::kWindowSize);
    return window;
}

void SetReport(ReportPanel& panel, const std::string& report)
{
    panel.SetText(report);
}

// The program hands over one UTF-8 string with CR LF line ends; the
// conversion is part of what Qt's box would cost.
void SetReport(QPlainTextEdit& box, const std::string& report)
{
    box.setPlainText(QString::fromStdString(report));
}

QWidget* Viewport(QAbstractScrollArea& box)
{
    return box.viewport();
}

template <typename TextBox>
void TimeSettingTheReport(benchmark::State& state, TextBox& box, QWidget& window)
{
    if (!collinear::bench::ShowOrSkip(state, window)) {
        return;
    }
    const std::string report = collinear::bench::WorstCaseReport();
    const std::string startUp(collinear::kStartupText);
    PaintWatch watch{Viewport(box)};
    for (auto _ : state) {
        state.PauseTiming();
        SetReport(box, startUp);
        ProcessEventsUntilIdle();
        watch.Reset();
        state.ResumeTiming();

        SetReport(box, report);
        if (!watch.WaitUntilPainted()) {
            state.SkipWithError("the text box did not repaint");
            return;
        }
    }
    state.counters["report_lines"]
        = static_cast<double>(std::count(report.begin(), report.end(), '\n'));
}

void BM_ReportInReportPanel(benchmark::State& state)
{
    const auto window = WindowOfTheMainWindowsSize();
    auto* panel = new ReportPanel(window.get());
    panel->setGeometry(collinear::kReportPanelGeometry);
    TimeSettingTheReport(state, *panel, *window);
}

void BM_ReportInPlainTextEdit(benchmark::State& state)
{
    const auto window = WindowOfTheMainWindowsSize();
    auto* box = new QPlainTextEdit(window.get());
    box->setGeometry(collinear::kReportPanelGeometry);
    collinear::bench::MakeReadOnlyReportBox(*box);
    TimeSettingTheReport(state, *box, *window);
}

} // namespace

BENCHMARK(BM_ReportInReportPanel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReportInPlainTextEdit)->Unit(benchmark::kMillisecond)->UseRealTime();

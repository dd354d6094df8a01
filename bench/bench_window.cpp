#include "main_window.h"
#include "one_row_list.h"
#include "paint_watch.h"
#include "plain_text_box.h"
#include "report_panel.h"
#include "shown_window.h"
#include "worst_case.h"

#include <QAbstractScrollArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

using collinear::MainWindow;
using collinear::bench::kLineY;
using collinear::bench::kWorstCasePoints;
using collinear::bench::PaintWatch;
using collinear::bench::ProcessEventsUntilIdle;
using collinear::bench::ShownMainWindow;
using collinear::bench::WorstCaseX;

// Every window benchmark times one user event until the event loop is idle
// again with the change painted.

QPoint WorstCasePress(int point)
{
    return {WorstCaseX(point), kLineY};
}

// The drawing area keeps the design's coordinates at every window size: a
// press lands on the first widget pixel inside the design pixel, wherever
// the factor (never below 1) puts it.
void PressOnCanvas(MainWindow& window, int point)
{
    const double z = window.Transform().Factor();
    const QPoint design = WorstCasePress(point);
    const QPoint local(static_cast<int>(std::ceil(design.x() * z)),
                       static_cast<int>(std::ceil(design.y() * z)));
    QTest::mouseClick(window.Picture1(), Qt::LeftButton, Qt::NoModifier, local);
}

// A fresh start: Clear, then the first `points` points of the line, all
// drawn and listed.
void ResetWithPoints(MainWindow& window, int points)
{
    window.Command1(MainWindow::Clear)->click();
    for (int point = 0; point < points; ++point) {
        PressOnCanvas(window, point);
    }
    ProcessEventsUntilIdle();
}

void SelectInNumberList(MainWindow& window, int row)
{
    collinear::OneRowList* list = window.List1(collinear::PointTable::N);
    list->setCurrentIndex(list->model()->index(row, 0));
}

// The loop every window benchmark shares: `prepare` outside the timing,
// then `act` timed until all that `watch` looks at is painted again.
template <typename Prepare, typename Act>
void TimeUntilPainted(benchmark::State& state, PaintWatch& watch, Prepare prepare, Act act)
{
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        watch.Reset();
        state.ResumeTiming();

        act();
        if (!watch.WaitUntilPainted()) {
            state.SkipWithError("the window did not repaint");
            return;
        }
    }
}

void NothingToPrepare()
{
}

// „Чертай“ with the worst case, in a window of the given size.
void TimeDrawWorstCase(benchmark::State& state, QSize size)
{
    const auto window = ShownMainWindow(state, {.screen = size});
    if (!window) {
        return;
    }
    if (size.isValid()) {
        window->resize(size);
        ProcessEventsUntilIdle();
    }
    PaintWatch watch{window->Picture1(), window->Text1()->viewport()};
    TimeUntilPainted(
        state, watch,
        // The canvas skips segments it has already drawn in this picture;
        // every Draw timed here starts from a picture without them.
        [&] { ResetWithPoints(*window, kWorstCasePoints); },
        [&] { window->Command1(MainWindow::Draw)->click(); });
    state.counters["report_lines"] = static_cast<double>(
        std::count(window->ReportPanelText().begin(), window->ReportPanelText().end(), '\n'));
    state.counters["factor"] = window->Transform().Factor();
}

void BM_DrawWorstCase(benchmark::State& state)
{
    TimeDrawWorstCase(state, QSize{});
}

// The same Draw as a literal program would make it, the report laid out by
// Qt's read-only text box in the panel's place. The program's panel, hidden,
// still takes the report and indexes its lines; that pass is timed too.
void BM_DrawWorstCaseWithPlainTextEdit(benchmark::State& state)
{
    const auto window = ShownMainWindow(state);
    if (!window) {
        return;
    }
    auto* box = new QPlainTextEdit(window.get());
    collinear::bench::MakeReadOnlyReportBox(*box);
    box->setGeometry(window->Text1()->geometry());
    window->Text1()->hide();
    box->show();
    ProcessEventsUntilIdle();
    PaintWatch watch{window->Picture1(), box->viewport()};
    TimeUntilPainted(
        state, watch,
        [&] {
            ResetWithPoints(*window, kWorstCasePoints);
            box->clear();
            ProcessEventsUntilIdle();
        },
        [&] {
            window->Command1(MainWindow::Draw)->click();
            box->setPlainText(QString::fromStdString(window->ReportPanelText()));
        });
    // One more than the report lines: the box ends with an empty paragraph.
    state.counters["text_blocks"] = box->blockCount();
}

void BM_AddPoint(benchmark::State& state)
{
    const auto window = ShownMainWindow(state);
    if (!window) {
        return;
    }
    PaintWatch watch{window->Picture1()};
    TimeUntilPainted(
        state, watch, [&] { ResetWithPoints(*window, kWorstCasePoints - 1); },
        [&] { PressOnCanvas(*window, kWorstCasePoints - 1); });
    state.counters["points"] = window->Table().RowCount();
}

void BM_SelectRow(benchmark::State& state)
{
    const auto window = ShownMainWindow(state);
    if (!window) {
        return;
    }
    ResetWithPoints(*window, kWorstCasePoints);
    PaintWatch watch{window->Picture1()};
    int row = 0;
    TimeUntilPainted(state, watch, NothingToPrepare, [&] {
        // Between the first and the last point, so that every selection
        // is a change and scrolls the lists.
        row = row == 0 ? kWorstCasePoints - 1 : 0;
        SelectInNumberList(*window, row);
    });
    state.counters["points"] = window->Table().RowCount();
}

void BM_DeletePoint(benchmark::State& state)
{
    const auto window = ShownMainWindow(state);
    if (!window) {
        return;
    }
    PaintWatch watch{window->Picture1()};
    TimeUntilPainted(
        state, watch,
        [&] {
            ResetWithPoints(*window, kWorstCasePoints);
            SelectInNumberList(*window, kWorstCasePoints / 2);
            ProcessEventsUntilIdle();
        },
        [&] { window->Command1(MainWindow::Delete)->click(); });
    state.counters["points_left"] = window->Table().RowCount();
}

// 51 points on one line, „Чертай“ and „Чисти“, in an active window, whose
// shortcuts the keys are: the heaviest step to take back, 20,825 lines and
// a 20,826-line report to bring back.
void TimeHistoryKey(benchmark::State& state, bool undo)
{
    const auto window = ShownMainWindow(state, {.active = true, .screen = QSize()});
    if (!window) {
        return;
    }
    ResetWithPoints(*window, kWorstCasePoints);
    window->Command1(MainWindow::Draw)->click();
    window->Command1(MainWindow::Clear)->click();
    ProcessEventsUntilIdle();
    PaintWatch watch{window->Picture1(), window->Text1()->viewport()};
    // Each key is timed from the same state: the Clear done before Ctrl+Z,
    // taken back before Ctrl+Shift+Z.
    bool first = true;
    TimeUntilPainted(
        state, watch,
        [&] {
            if (!undo) {
                window->Undo();
            } else if (!first) {
                window->Redo();
            }
            first = false;
            ProcessEventsUntilIdle();
        },
        [&] {
            QTest::keyClick(window.get(), Qt::Key_Z,
                            undo ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        });
}

void BM_UndoClearAfterWorstCaseDraw(benchmark::State& state)
{
    TimeHistoryKey(state, true);
}

void BM_RedoClearAfterWorstCaseDraw(benchmark::State& state)
{
    TimeHistoryKey(state, false);
}

// The lesson on a projector: `make bench` gives the offscreen platform a
// screen of 1920 x 1080 (bench/projector_screen.json).
constexpr QSize kProjector{1920, 1080};

// The worst case drawn and its 20,826-line report shown, in an active
// window, whose shortcuts the zoom keys are, on a screen with room for the
// projector's size.
std::unique_ptr<MainWindow> WindowWithTheWorstCaseDrawn(benchmark::State& state)
{
    auto window = ShownMainWindow(state, {.active = true, .screen = kProjector});
    if (!window) {
        return nullptr;
    }
    ResetWithPoints(*window, kWorstCasePoints);
    window->Command1(MainWindow::Draw)->click();
    ProcessEventsUntilIdle();
    return window;
}

// The window maximised on the projector and back to the design's size, in
// turn: the whole design laid out again, the report wrapped anew in a new
// font and the picture painted again from its strokes, until all of it is
// painted.
void BM_ResizeWorstCase(benchmark::State& state)
{
    const auto window = WindowWithTheWorstCaseDrawn(state);
    if (!window) {
        return;
    }
    PaintWatch watch{window.get(), window->Picture1(), window->Text1()->viewport()};
    bool large = false;
    double largest = 1.0;
    const auto noteFactor = [&] { largest = std::max(largest, window->Transform().Factor()); };
    TimeUntilPainted(state, watch, noteFactor, [&] {
        large = !large;
        window->resize(large ? kProjector : window->minimumSize());
    });
    noteFactor();
    state.counters["largest_factor"] = largest;
}

// Ctrl+Plus and Ctrl+Minus in turn, between the steps 150 % and 200 %.
void BM_ZoomKeyWorstCase(benchmark::State& state)
{
    const auto window = WindowWithTheWorstCaseDrawn(state);
    if (!window) {
        return;
    }
    QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier);
    ProcessEventsUntilIdle();
    PaintWatch watch{window.get(), window->Picture1(), window->Text1()->viewport()};
    bool in = false;
    TimeUntilPainted(state, watch, NothingToPrepare, [&] {
        in = !in;
        QTest::keyClick(window.get(), in ? Qt::Key_Plus : Qt::Key_Minus, Qt::ControlModifier);
    });
    state.counters["factor"] = window->Transform().Factor();
}

// „Чертай“ with the worst case in a window that fills the projector.
void BM_DrawWorstCaseOnAProjector(benchmark::State& state)
{
    TimeDrawWorstCase(state, kProjector);
}

// Constructing and showing a window until its first paint; the window is
// torn down outside the timing.
template <typename Window>
void TimeStartUp(benchmark::State& state, const std::function<void(Window&)>& prepare)
{
    for (auto _ : state) {
        auto window = std::make_unique<Window>();
        prepare(*window);
        PaintWatch watch{window.get()};
        window->show();
        if (!watch.WaitUntilPainted()) {
            state.SkipWithError("the window did not paint");
            return;
        }
        state.PauseTiming();
        window.reset();
        ProcessEventsUntilIdle();
        state.ResumeTiming();
    }
}

void BM_StartUp(benchmark::State& state)
{
    TimeStartUp<MainWindow>(state, [](MainWindow& /*window*/) {});
}

// The yardstick for start-up: an empty top-level widget of the main
// window's size.
void BM_StartUpBareWindow(benchmark::State& state)
{
    TimeStartUp<QWidget>(state, [](QWidget& window) { window.setFixedSize(481, 429); });
}

} // namespace

// Timed by the wall clock: what the user waits for includes any time the
// program is not on the processor.
BENCHMARK(BM_DrawWorstCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawWorstCaseWithPlainTextEdit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AddPoint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SelectRow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeletePoint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoClearAfterWorstCaseDraw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RedoClearAfterWorstCaseDraw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResizeWorstCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZoomKeyWorstCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawWorstCaseOnAProjector)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartUpBareWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

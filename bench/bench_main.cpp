#include "main_window.h"
#include "one_row_list.h"
#include "paint_watch.h"
#include "worst_case.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// Besides the benchmarks, this program measures what a user of the real
// program meets once per run: how long a new process takes to paint its
// window, and how much memory the window keeps resident. Each of these is
// measured in a new process of this program, started with
//   --probe=bare   an empty 481 x 429 window, shown until it has painted;
//   --probe=main   the main window shown until it has painted, then the
//                  worst-case Draw until it has repainted;
//   --probe=history  the same, then as many steps as undo keeps, each a
//                  worst-case Draw (a point chosen, which clears the
//                  lines, then „Чертай“); run at display scale 2.
// A probe prints three numbers: microseconds from the start of main() to the
// first paint, the monotonic clock at the first paint (so that the parent
// can tell the time from launching the process, loading Qt included), and
// VmRSS in kB (from /proc/self/status) at the end; the history probe
// prints a fourth, VmRSS after the steps.

namespace {

using collinear::MainWindow;
using namespace collinear::bench;

constexpr const char* kProbeArgument = "--probe=";
// Runs of each probe; their medians are reported.
constexpr int kProbeRuns = 3;

// The system-wide monotonic clock, the same in every process.
long long MonotonicMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

long ResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // A /proc file has no size, so it is read to its end rather than line
    // by line until atEnd().
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

int RunProbe(const std::string& what, const QElapsedTimer& sinceStart)
{
    std::optional<QWidget> bare;
    std::optional<MainWindow> main;
    QWidget* window = nullptr;
    if (what == "bare") {
        window = &bare.emplace();
        window->setFixedSize(481, 429);
    } else if (what == "main" || what == "history") {
        window = &main.emplace();
    } else {
        return 2;
    }
    PaintWatch watch{window};
    window->show();
    if (!watch.WaitUntilPainted()) {
        return 1;
    }
    const qint64 firstPaint = sinceStart.nsecsElapsed() / 1000;
    const long long paintedAt = MonotonicMicroseconds();

    if (main) {
        for (int point = 0; point < kWorstCasePoints; ++point) {
            QTest::mouseClick(main->Picture1(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(WorstCaseX(point), kLineY));
        }
        watch.Reset();
        main->Command1(MainWindow::Draw)->click();
        if (!watch.WaitUntilPainted()) {
            return 1;
        }
    }
    std::printf("%lld %lld %ld", static_cast<long long>(firstPaint), paintedAt,
                ResidentKilobytes());
    if (what == "history") {
        collinear::OneRowList* list = main->List1(collinear::PointTable::N);
        for (int step = 0; step < collinear::UndoHistory::kDepth + 20; ++step) {
            list->SelectAndShow(step % kWorstCasePoints);
            main->Command1(MainWindow::Draw)->click();
        }
        ProcessEventsUntilIdle();
        std::printf(" %ld %d", ResidentKilobytes(), main->History().Steps().count());
    }
    std::printf("\n");
    return 0;
}

struct ProbeResult {
    long firstPaintMicroseconds = -1;
    long launchToPaintMicroseconds = -1;
    long residentKilobytes = -1;
    // The history probe's: resident after its steps, and how many it kept.
    long residentAfterStepsKilobytes = -1;
    long stepsKept = -1;
};

ProbeResult ProbeInNewProcess(const char* what,
                              const QProcessEnvironment& environment
                              = QProcessEnvironment::systemEnvironment())
{
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const long long launchedAt = MonotonicMicroseconds();
    probe.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kProbeArgument) + QString::fromLatin1(what)});
    if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit
        || probe.exitCode() != 0) {
        return {};
    }
    const QList<QByteArray> numbers = probe.readAllStandardOutput().simplified().split(' ');
    if (numbers.size() != 3 && numbers.size() != 5) {
        return {};
    }
    ProbeResult result{numbers[0].toLong(), static_cast<long>(numbers[1].toLongLong() - launchedAt),
                       numbers[2].toLong()};
    if (numbers.size() == 5) {
        result.residentAfterStepsKilobytes = numbers[3].toLong();
        result.stepsKept = numbers[4].toLong();
    }
    return result;
}

long Median(std::vector<long> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Percent(long value, long base)
{
    if (value < 0 || base <= 0) {
        return "?";
    }
    const long percent = (value - base) * 100 / base;
    return (percent >= 0 ? "+" : "") + std::to_string(percent) + " %";
}

// Runs the probes and reports their medians with the benchmarks' context.
void AddProbeContext()
{
    std::vector<long> bareStart;
    std::vector<long> bareLaunch;
    std::vector<long> bareMemory;
    std::vector<long> mainStart;
    std::vector<long> mainLaunch;
    std::vector<long> mainMemory;
    for (int run = 0; run < kProbeRuns; ++run) {
        const ProbeResult bare = ProbeInNewProcess("bare");
        const ProbeResult main = ProbeInNewProcess("main");
        bareStart.push_back(bare.firstPaintMicroseconds);
        bareLaunch.push_back(bare.launchToPaintMicroseconds);
        mainLaunch.push_back(main.launchToPaintMicroseconds);
        bareMemory.push_back(bare.residentKilobytes);
        mainStart.push_back(main.firstPaintMicroseconds);
        mainMemory.push_back(main.residentKilobytes);
    }
    const long bareFirstPaint = Median(bareStart);
    const long mainFirstPaint = Median(mainStart);
    const long bareLaunchToPaint = Median(bareLaunch);
    const long mainLaunchToPaint = Median(mainLaunch);
    const long bareResident = Median(bareMemory);
    const long mainResident = Median(mainMemory);
    benchmark::AddCustomContext("new_process_first_paint_bare_window_us",
                                std::to_string(bareFirstPaint));
    benchmark::AddCustomContext("new_process_first_paint_main_window_us",
                                std::to_string(mainFirstPaint) + " ("
                                    + Percent(mainFirstPaint, bareFirstPaint) + ")");
    benchmark::AddCustomContext("launch_to_first_paint_bare_window_us",
                                std::to_string(bareLaunchToPaint));
    benchmark::AddCustomContext("launch_to_first_paint_main_window_us",
                                std::to_string(mainLaunchToPaint) + " ("
                                    + Percent(mainLaunchToPaint, bareLaunchToPaint) + ")");
    benchmark::AddCustomContext("rss_bare_window_kB", std::to_string(bareResident));
    benchmark::AddCustomContext("rss_main_window_after_worst_case_draw_kB",
                                std::to_string(mainResident) + " ("
                                    + Percent(mainResident, bareResident) + ")");

    // The undo history at its largest: display scale 2, where a picture
    // would be 1.5 MB, and every step kept a worst-case Draw.
    QProcessEnvironment scaled = QProcessEnvironment::systemEnvironment();
    scaled.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    std::vector<long> historyGrowth;
    long stepsKept = -1;
    for (int run = 0; run < kProbeRuns; ++run) {
        const ProbeResult history = ProbeInNewProcess("history", scaled);
        historyGrowth.push_back(history.residentAfterStepsKilobytes < 0
                                    ? -1
                                    : history.residentAfterStepsKilobytes
                                        - history.residentKilobytes);
        stepsKept = history.stepsKept;
    }
    benchmark::AddCustomContext("rss_growth_of_undo_history_at_scale_2_kB",
                                std::to_string(Median(historyGrowth)) + " ("
                                    + std::to_string(stepsKept)
                                    + " steps kept, each a worst-case Draw)");
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kProbeArgument, std::strlen(kProbeArgument)) == 0) {
            return RunProbe(argv[i] + std::strlen(kProbeArgument), sinceStart);
        }
    }

    // Defaults that the command line can override, as later flags win:
    // every benchmark runs five times, and the mean, median and spread of
    // the five are shown.
    std::array<std::string, 3> defaults{"--benchmark_repetitions=5",
                                        "--benchmark_display_aggregates_only=true",
                                        "--benchmark_min_time=0.1"};
    std::vector<char*> arguments{argv[0]};
    for (std::string& flag : defaults) {
        arguments.push_back(flag.data());
    }
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    AddProbeContext();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

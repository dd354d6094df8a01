#pragma once

#include <QSize>

#include <benchmark/benchmark.h>

#include <memory>

class QWidget;

namespace collinear {
class MainWindow;
}

namespace collinear::bench {

// What a window benchmark needs before it can time anything.
struct WindowNeeds {
    // Keys reach the window's shortcuts only in an active window.
    bool active = false;
    // A screen at least this large, for a window grown as on a projector;
    // empty for any screen.
    QSize screen;
};

// Shows `window` and lets the event loop run dry. When the window is never
// shown (or never active, where it must be), or its screen is smaller than
// needed, the benchmark is skipped with the reason, and this returns false:
// a figure measured in a smaller window would read as the large one's.
bool ShowOrSkip(benchmark::State& state, QWidget& window, const WindowNeeds& needs = {});

// A new main window shown by ShowOrSkip; null when the benchmark is skipped.
std::unique_ptr<MainWindow> ShownMainWindow(benchmark::State& state, const WindowNeeds& needs = {});

} // namespace collinear::bench

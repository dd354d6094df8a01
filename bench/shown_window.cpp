#include "shown_window.h"

#include "main_window.h"
#include "paint_watch.h"

#include <QScreen>
#include <QTest>
#include <QWidget>

#include <string>

namespace collinear::bench {

bool ShowOrSkip(benchmark::State& state, QWidget& window, const WindowNeeds& needs)
{
    const QSize screen = window.screen()->size();
    if (needs.screen.isValid()
        && (screen.width() < needs.screen.width() || screen.height() < needs.screen.height())) {
        const std::string message = "the screen is smaller than "
            + std::to_string(needs.screen.width()) + " x " + std::to_string(needs.screen.height())
            + " (make bench gives it bench/projector_screen.json)";
        state.SkipWithError(message.c_str());
        return false;
    }
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was never shown");
        return false;
    }
    if (needs.active) {
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) {
            state.SkipWithError("the window was never active");
            return false;
        }
    }
    ProcessEventsUntilIdle();
    return true;
}

std::unique_ptr<MainWindow> ShownMainWindow(benchmark::State& state, const WindowNeeds& needs)
{
    auto window = std::make_unique<MainWindow>();
    if (!ShowOrSkip(state, *window, needs)) {
        return nullptr;
    }
    return window;
}

} // namespace collinear::bench

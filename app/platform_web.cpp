#include "page_mirror.h"
#include "platform.h"
#include "press_position.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include <emscripten.h>
#include <emscripten/val.h>

#include <optional>

namespace collinear {

QString QtTranslationDirectory()
{
    return QStringLiteral(":/translations");
}

namespace {

// Qt's scroll bars run their context menu with exec(), an event loop of
// its own that a page cannot run: the page would hang. In the page they
// have no context menu; every scroll is still there on the bar itself.
class ScrollBarMenuFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return event->type() == QEvent::ContextMenu
            && qobject_cast<QScrollBar*>(watched) != nullptr;
    }
};

// The page is the window's screen and the window always fills it: the
// browser's own zoom and full screen make it larger. A key that would
// leave full screen or give the window a size of its own (Esc, the zoom
// keys) would leave it a rectangle in a corner of the page, so it is shown
// full again once the event that changed it is done.
class KeepFullScreen : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::WindowStateChange && window != nullptr
            && !window->isFullScreen()) {
            QTimer::singleShot(0, window, &QWidget::showFullScreen);
        }
        return false;
    }
};

// Qt 6.4 takes a press's position in the page as whole CSS pixels, and a
// CSS pixel is two or three device pixels on a tablet or a phone and more
// than a drawing-area pixel on a small page: a tap on the edge of a dot
// would land beside it. The page's own events have the exact position; the
// last press's is kept here, before Qt's handlers see the event, in the
// canvas's CSS pixels, which are the window's pixels (the window fills the
// canvas from its top left corner).
// clang-format off
EM_JS(void, ListenForExactPresses, (), {
    var keep = function(event) {
        var canvas = event.target;
        if (!(canvas instanceof HTMLCanvasElement)) {
            return;
        }
        var box = canvas.getBoundingClientRect();
        var point = event.changedTouches ? event.changedTouches[0] : event;
        Module.collinearLastPress = { x: point.clientX - box.left, y: point.clientY - box.top };
    };
    ['pointerdown', 'touchstart'].forEach(function(type) {
        window.addEventListener(type, keep, { capture: true, passive: true });
    });
});
// clang-format on

void KeepExactPresses()
{
    ListenForExactPresses();
    SetExactPressSource([](QPointF /*rounded*/) -> std::optional<QPointF> {
        const emscripten::val press = emscripten::val::module_property("collinearLastPress");
        if (press.isUndefined() || press.isNull()) {
            return std::nullopt;
        }
        return QPointF(press["x"].as<double>(), press["y"].as<double>());
    });
}

// Qt's page keeps a touch that the browser cancels among the fingers still
// down, and Chromium gives the next touch the same number: Qt would take the
// next tap for that finger moving, and place no point. Once Qt has finished
// with the cancel, the page tells it that those fingers have lifted; Qt lets
// nothing follow a cancel but a new touch, so this lift presses nothing.
// clang-format off
EM_JS(void, ListenForCancelledTouches, (), {
    window.addEventListener('touchcancel', function(event) {
        if (event.target instanceof HTMLCanvasElement) {
            Module.collinearCancelledTouches = {
                canvas: event.target,
                touches: Array.prototype.slice.call(event.changedTouches)
            };
        }
    }, { capture: true, passive: true });
});

EM_JS(void, LiftCancelledTouches, (), {
    var cancelled = Module.collinearCancelledTouches;
    Module.collinearCancelledTouches = undefined;
    if (!cancelled || typeof TouchEvent !== 'function') {
        return;
    }
    try {
        cancelled.canvas.dispatchEvent(new TouchEvent('touchend', {
            bubbles: true, cancelable: true, changedTouches: cancelled.touches
        }));
    } catch (error) {
        // A browser that cannot make a touch event in a script cannot
        // have given Qt the touch either.
    }
});
// clang-format on

class LiftCancelledTouchesFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::TouchCancel) {
            // Not at once: Qt is still inside the cancel, and the lift would
            // be taken for the touch's own end, a tap.
            QTimer::singleShot(0, this, [] { LiftCancelledTouches(); });
        }
        return false;
    }
};

} // namespace

void AdaptToPlatform(QApplication& application)
{
    KeepExactPresses();
    ListenForCancelledTouches();
    application.installEventFilter(new LiftCancelledTouchesFilter(&application));
    application.installEventFilter(new ScrollBarMenuFilter(&application));

    // A browser page has no system fonts for Qt to use. Liberation Serif is
    // Times New Roman's metric twin, as fontconfig substitutes it on Linux:
    // every caption takes the width the design gave it.
    const int font
        = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(font);
    if (!families.isEmpty()) {
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), families.first());
    }
}

void ShowMainWindow(QWidget& window)
{
    // The page is the window's screen: on a phone, or beside another window
    // on a split screen, it is smaller than the design, and the design is
    // drawn smaller to stay whole on it.
    window.setMinimumSize(0, 0);
    // Without a frame Qt draws no title bar of its own into the canvas.
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.installEventFilter(new KeepFullScreen(&window));
    window.showFullScreen();
    // The canvas is all a screen reader would find of the window.
    MirrorWindowInPage(window);
}

} // namespace collinear

// The exact position of a press, which Qt rounds to whole widget pixels.
#include "press_position.h"

#include <QMouseEvent>
#include <QWidget>

#include <cmath>
#include <utility>

namespace collinear {

namespace {

ExactPressSource& PlatformSource()
{
    static ExactPressSource source;
    return source;
}

} // namespace

void SetExactPressSource(ExactPressSource source)
{
    PlatformSource() = std::move(source);
}

QPointF ExactPressPosition(const QWidget& receiver, const QMouseEvent& event)
{
    // The exact position lies within a widget pixel of the rounded one;
    // anything else is another press's, or an event made without a scene
    // position (its scene position is then its local one).
    const QPointF placeInWindow = receiver.mapTo(receiver.window(), QPointF(0, 0));
    const QPointF rounded = event.position() + placeInWindow;
    const auto near = [rounded](QPointF exact) {
        return std::abs(exact.x() - rounded.x()) < 1.0 && std::abs(exact.y() - rounded.y()) < 1.0;
    };
    std::optional<QPointF> exact = event.scenePosition();
    if (PlatformSource()) {
        exact = PlatformSource()(rounded);
    }
    return exact && near(*exact) ? *exact - placeInWindow : event.position();
}

} // namespace collinear

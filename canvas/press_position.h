// The exact position of a press, which Qt rounds to whole widget pixels.
#pragma once

#include <QPointF>

#include <functional>
#include <optional>

class QMouseEvent;
class QWidget;

namespace collinear {

// Where a press really was, to the fraction of a widget pixel.
//
// Qt 6.4 rounds a press to whole widget pixels before a widget sees it
// (QWidgetWindow::handleMouseEvent maps event->position().toPoint()), and
// at a display scale that is not whole one widget pixel spans more than one
// device pixel: half a device pixel of the press would be lost. The event
// that reaches the widget still carries the window system's own position in
// the window, its scene position, unrounded; that is where it is taken
// from. In the browser Qt takes whole CSS pixels from the page's events
// before even the window sees them; there the page's own position is given
// by the platform (SetExactPressSource).
[[nodiscard]] QPointF ExactPressPosition(const QWidget& receiver, const QMouseEvent& event);

// A platform that rounds positions before Qt sees them answers with the
// exact position in the window of the press that Qt has at `rounded`, or
// with nothing.
using ExactPressSource = std::function<std::optional<QPointF>(QPointF rounded)>;
void SetExactPressSource(ExactPressSource source);

} // namespace collinear

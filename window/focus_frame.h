// The frame that marks the control that has the keyboard.
#pragma once

class QEvent;
class QPainter;
class QRect;
class QWidget;

namespace collinear {

// The width of the focus frame at the design's size.
inline constexpr int kFocusFrameWidth = 2;

// The mark of the control that has the keyboard: a black frame `width`
// pixels wide just inside `outer`, as the buttons show it. The style marks
// focus only after keyboard use, and some controls not at all.
void PaintFocusFrame(QPainter& painter, const QRect& outer, int width);

// For a control's event handler, after the control has painted itself:
// the frame over its edge while it has the focus, as wide as the window's
// design factor makes it.
void PaintFocusFrameAfter(QWidget& control, const QEvent& event);

} // namespace collinear

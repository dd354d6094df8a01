#pragma once

class QPainter;
class QRect;

namespace collinear {

// The mark of the control that has the keyboard: a black frame two pixels
// wide just inside `outer`, as the buttons show it. The style marks focus
// only after keyboard use, and some controls not at all.
void PaintFocusFrame(QPainter& painter, const QRect& outer);

} // namespace collinear

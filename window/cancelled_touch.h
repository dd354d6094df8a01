#pragma once

class QApplication;

namespace collinear {

// A touch that the system cancels (a browser taking it for a scroll, a
// palm, a gesture of the desktop's) presses nothing: no button is clicked
// and none stays pressed.
void IgnoreCancelledTouches(QApplication& application);

} // namespace collinear

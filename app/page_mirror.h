#pragma once

class QWidget;

namespace collinear {

// Gives the page's screen readers the window's controls, as the desktop's
// accessibility bus gives them: each with its name, role, value, the
// report's text and caret, and the drawing area's keyboard cursor said as
// it moves. Qt 6.4 in a page has no accessibility of its own, so the
// window's accessible interfaces are read here and mirrored by elements of
// the page (page_mirror.js), kept in step by the events the window raises
// for screen readers. A page that cannot hold the elements runs as without
// them.
void MirrorWindowInPage(QWidget& window);

} // namespace collinear

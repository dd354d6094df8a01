#pragma once

#include <QString>

class QApplication;
class QWidget;

namespace collinear {

// Where Qt's own Bulgarian translation (qtbase_bg.qm) lies on this platform.
QString QtTranslationDirectory();

// Makes up for what the platform lacks before the window is made: a page
// has no fonts of its own, and cannot run a menu that waits for a choice.
void AdaptToPlatform(QApplication& application);

// Shows the main window as the platform's users expect: on the desktop as
// a window of its own; in a page as the whole of the page's canvas, which
// has no desktop around it.
void ShowMainWindow(QWidget& window);

} // namespace collinear

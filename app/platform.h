#pragma once

#include <QString>

class QWidget;

namespace collinear {

// Where Qt's own Bulgarian translation (qtbase_bg.qm) lies on this platform.
QString QtTranslationDirectory();

// Makes the font the design names reachable by its name where the platform
// has no such font of its own. Called before the window is made.
void InstallDesignFont();

// Shows the main window as the platform's users expect: on the desktop as
// a window of its own; in a page as the whole of the page's canvas, which
// has no desktop around it.
void ShowMainWindow(QWidget& window);

} // namespace collinear

#pragma once

#include <QString>

namespace collinear {

// Where Qt's own Bulgarian translation (qtbase_bg.qm) lies on this platform.
QString QtTranslationDirectory();

// Makes the font the design names reachable by its name where the platform
// has no such font of its own. Called before the window is made.
void InstallDesignFont();

} // namespace collinear

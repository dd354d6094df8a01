// Qt's own Bulgarian texts, installed whatever the locale.
#pragma once

class QCoreApplication;
class QString;

namespace collinear {

// The window is Bulgarian whatever the locale, so the texts Qt itself shows
// (the context menus of scroll bars and text fields, the standard buttons)
// must be too: this loads Qt's Bulgarian translation, qtbase_bg.qm, and
// installs it into `application`, which owns it from then on. Call it before
// creating any widget. Returns false, and changes nothing, when the file is
// missing; the program then runs with Qt's English texts.
bool InstallQtTranslation(QCoreApplication& application);
// The same from another folder than Qt's own translations.
bool InstallQtTranslation(QCoreApplication& application, const QString& directory);

} // namespace collinear

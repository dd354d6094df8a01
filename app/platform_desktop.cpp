#include "platform.h"

#include <QLibraryInfo>
#include <QWidget>

namespace collinear {

QString QtTranslationDirectory()
{
    // Debian's qt6-translations-l10n puts it in /usr/share/qt6/translations;
    // on Windows the qt.conf beside collinear.exe points Qt at the
    // translations folder there.
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void AdaptToPlatform(QApplication& /*application*/)
{
    // Windows has Times New Roman; on Linux fontconfig gives its metric
    // twin, Liberation Serif, for the name. Menus run as everywhere.
}

void ShowMainWindow(QWidget& window)
{
    window.show();
}

} // namespace collinear

// Qt's own Bulgarian texts, installed whatever the locale.
#include "qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>
#include <QTranslator>

namespace collinear {

bool InstallQtTranslation(QCoreApplication& application)
{
    // Debian's qt6-translations-l10n puts it in /usr/share/qt6/translations.
    return InstallQtTranslation(application, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool InstallQtTranslation(QCoreApplication& application, const QString& directory)
{
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_bg"), directory)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace collinear

#include "platform.h"

#include <QFont>
#include <QFontDatabase>
#include <QWidget>

namespace collinear {

QString QtTranslationDirectory()
{
    return QStringLiteral(":/translations");
}

void InstallDesignFont()
{
    // A browser page has no system fonts for Qt to use. Liberation Serif is
    // Times New Roman's metric twin, as fontconfig substitutes it on Linux:
    // every caption takes the width the design gave it.
    const int font
        = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(font);
    if (!families.isEmpty()) {
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), families.first());
    }
}

void ShowMainWindow(QWidget& window)
{
    // Without a frame Qt draws no title bar of its own into the canvas.
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.showFullScreen();
}

} // namespace collinear

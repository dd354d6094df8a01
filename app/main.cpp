#include "cancelled_touch.h"
#include "main_window.h"
#include "platform.h"
#include "qt_translation.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("collinear"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Collinear"));
    collinear::AdaptToPlatform(application);
    collinear::IgnoreCancelledTouches(application);
    // Without the translation the window still works, with Qt's menus in English.
    collinear::InstallQtTranslation(application, collinear::QtTranslationDirectory());
    collinear::MainWindow window;
    collinear::ShowMainWindow(window);
    return QApplication::exec();
}

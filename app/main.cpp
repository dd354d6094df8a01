#include "main_window.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("collinear"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Collinear"));
    collinear::MainWindow window;
    window.show();
    return QApplication::exec();
}

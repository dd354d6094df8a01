#include "platform.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

namespace collinear {

QString QtTranslationDirectory()
{
    return QStringLiteral(":/translations");
}

namespace {

// Qt's scroll bars run their context menu with exec(), an event loop of
// its own that a page cannot run: the page would hang. In the page they
// have no context menu; every scroll is still there on the bar itself.
class ScrollBarMenuFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return event->type() == QEvent::ContextMenu
            && qobject_cast<QScrollBar*>(watched) != nullptr;
    }
};

// The page is the window's screen and the window always fills it: the
// browser's own zoom and full screen make it larger. A key that would
// leave full screen or give the window a size of its own (Esc, the zoom
// keys) would leave it a rectangle in a corner of the page, so it is shown
// full again once the event that changed it is done.
class KeepFullScreen : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::WindowStateChange && window != nullptr
            && !window->isFullScreen()) {
            QTimer::singleShot(0, window, &QWidget::showFullScreen);
        }
        return false;
    }
};

} // namespace

void AdaptToPlatform(QApplication& application)
{
    application.installEventFilter(new ScrollBarMenuFilter(&application));

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
    window.installEventFilter(new KeepFullScreen(&window));
    window.showFullScreen();
}

} // namespace collinear

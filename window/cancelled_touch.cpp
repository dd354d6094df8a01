// Keeps a cancelled touch from acting as a tap.
#include "cancelled_touch.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace collinear {

namespace {

// Qt turns an unhandled touch into a mouse press, and when the system
// cancels the touch it ends that press with a release where the press was.
// A button takes a release over itself as a click, so a touch the browser
// cancelled on „Чисти“ would clear the drawing. After a cancel, that release
// is handed on as if the finger had left the widget: a button lets go of
// its pressed look without clicking, and every other control ends its press
// as it does for a release elsewhere.
class CancelledTouchFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::TouchCancel:
            m_cancelled = true;
            return false;
        case QEvent::MouseButtonPress:
            m_cancelled = false;
            return false;
        case QEvent::MouseButtonRelease:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!m_cancelled || widget == nullptr) {
            return false;
        }
        m_cancelled = false;
        const auto& release = *static_cast<QMouseEvent*>(event);
        // One pixel above and left of the widget: outside it whatever its size.
        const QPointF outside(-1, -1);
        QMouseEvent away(QEvent::MouseButtonRelease, outside,
                         widget->mapTo(widget->window(), outside), widget->mapToGlobal(outside),
                         release.button(), release.buttons(), release.modifiers(),
                         release.pointingDevice());
        QCoreApplication::sendEvent(widget, &away);
        return true;
    }

private:
    bool m_cancelled = false;
};

} // namespace

void IgnoreCancelledTouches(QApplication& application)
{
    application.installEventFilter(new CancelledTouchFilter(&application));
}

} // namespace collinear

#include "focus_frame.h"

#include <QEvent>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QWidget>

namespace collinear {

void PaintFocusFrame(QPainter& painter, const QRect& outer)
{
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(outer).adjusted(1, 1, -1, -1));
}

void PaintFocusFrameAfter(QWidget& control, const QEvent& event)
{
    if (event.type() == QEvent::Paint && control.hasFocus()) {
        QPainter painter(&control);
        PaintFocusFrame(painter, control.rect());
    }
}

} // namespace collinear

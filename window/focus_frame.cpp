// The frame that marks the control that has the keyboard.
#include "focus_frame.h"

#include "zoomed_style.h"

#include <QEvent>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QWidget>

namespace collinear {

void PaintFocusFrame(QPainter& painter, const QRect& outer, int width)
{
    painter.setPen(QPen(Qt::black, width));
    painter.setBrush(Qt::NoBrush);
    // The pen straddles the line it draws; half its width in, it covers
    // exactly the outer `width` pixels.
    const double half = width / 2.0;
    painter.drawRect(QRectF(outer).adjusted(half, half, -half, -half));
}

void PaintFocusFrameAfter(QWidget& control, const QEvent& event)
{
    if (event.type() == QEvent::Paint && control.hasFocus()) {
        QPainter painter(&control);
        PaintFocusFrame(painter, control.rect(), DesignLengthOf(control, kFocusFrameWidth));
    }
}

} // namespace collinear

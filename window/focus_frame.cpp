#include "focus_frame.h"

#include <QPainter>
#include <QPen>
#include <QRect>

namespace collinear {

void PaintFocusFrame(QPainter& painter, const QRect& outer)
{
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(outer).adjusted(1, 1, -1, -1));
}

} // namespace collinear

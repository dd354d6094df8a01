// The drawing area's keyboard cursor: its node, its moves, its painting
// and what a screen reader hears of it.
#include "keyboard_cursor.h"

#include "picture.h"
#include "point_entry.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace collinear {

KeyboardCursor::KeyboardCursor(Repaint repaint)
    : m_repaint(std::move(repaint))
{
}

void KeyboardCursor::SetStep(int pixels)
{
    m_step = pixels > 0 ? pixels : 1;
    MoveTo(NearestNode(m_anchor));
}

std::optional<QPoint> KeyboardCursor::ArrowDirection(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return QPoint(-1, 0);
    case Qt::Key_Right:
        return QPoint(1, 0);
    case Qt::Key_Up:
        return QPoint(0, -1);
    case Qt::Key_Down:
        return QPoint(0, 1);
    default:
        return std::nullopt;
    }
}

bool KeyboardCursor::StepBy(QPoint direction)
{
    m_shown = true;
    // A move past the edge stops at the last node inside the area.
    m_anchor = NearestNode(m_node + direction * m_step);
    const QPoint before = m_node;
    MoveTo(m_anchor);
    return m_node != before;
}

void KeyboardCursor::Show()
{
    m_shown = true;
    m_repaint(RepaintArea());
}

void KeyboardCursor::FollowPress(QPoint pixel)
{
    m_shown = false;
    m_anchor = pixel;
    MoveTo(NearestNode(pixel));
}

void KeyboardCursor::FocusIn(bool byKeyboard)
{
    m_shown = byKeyboard;
    m_repaint(RepaintArea());
}

void KeyboardCursor::FocusOut()
{
    m_repaint(RepaintArea());
}

void KeyboardCursor::StayInArea()
{
    MoveTo(NearestNode(m_anchor));
}

QPoint KeyboardCursor::NearestNode(QPoint position) const
{
    const auto node = [this](int v, int extent) {
        const int lastNode = std::max(0, (extent - 1) / m_step * m_step);
        const int snapped = static_cast<int>(SnapToGrid(v, m_step).value_or(0.0));
        return std::clamp(snapped, 0, lastNode);
    };
    return {node(position.x(), kDrawingAreaSize.width()),
            node(position.y(), kDrawingAreaSize.height())};
}

void KeyboardCursor::MoveTo(QPoint node)
{
    m_repaint(RepaintArea());
    m_node = node;
    m_repaint(RepaintArea());
}

void KeyboardCursor::SetSerialAtNode(SerialAtNode serialAt)
{
    m_serialAtNode = std::move(serialAt);
}

QString KeyboardCursor::Text() const
{
    QString text = QStringLiteral("%1, %2").arg(m_node.x()).arg(m_node.y());
    const QString serial = m_serialAtNode ? m_serialAtNode(m_node) : QString();
    if (!serial.isEmpty()) {
        text += QStringLiteral(", точка ") + serial;
    }
    return text;
}

QRect KeyboardCursor::Area() const
{
    constexpr int kArm = 6;
    return {m_node.x() - kArm, m_node.y() - kArm, 2 * kArm + 1, 2 * kArm + 1};
}

QRect KeyboardCursor::RepaintArea() const
{
    // One pixel more, for device pixels that a fractional scale splits.
    return Area().adjusted(-1, -1, 1, 1);
}

void KeyboardCursor::Paint(QPainter& painter, const QImage& picture, QRgb background, QRgb colour,
                           qreal displayRatio) const
{
    // A square frame one pixel wide round the node in the selection colour,
    // clear of the dot on the node, and a mark in each of the dot's corners:
    // at a step of 5 the dots on the neighbouring nodes cover the frame's
    // sides, and the gaps between four dots are all that is left to show
    // the cursor. It touches the picture only where the picture shows the
    // background, so every pixel of every dot stays as drawn at any display
    // scale. It stays inside the cursor's rectangle, so repainting that
    // rectangle removes all of it.
    const qreal ratio = picture.devicePixelRatio();
    const QRect device
        = QRectF(QPointF(Area().topLeft()) * ratio, QSizeF(Area().size()) * ratio).toAlignedRect()
        & picture.rect();
    if (device.isEmpty()) {
        return;
    }
    const QPointF node
        = PixelCentre(static_cast<float>(m_node.x()), static_cast<float>(m_node.y()));
    QImage frame(device.size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    for (int y = device.top(); y <= device.bottom(); ++y) {
        for (int x = device.left(); x <= device.right(); ++x) {
            // How far the device pixel's middle lies from the node's, along
            // the nearer and the farther axis, in drawing-area pixels.
            const double across = std::abs((x + 0.5) / ratio - node.x());
            const double down = std::abs((y + 0.5) / ratio - node.y());
            const double farther = std::max(across, down);
            const double nearer = std::min(across, down);
            const bool onFrame
                = (farther > 4.5 && farther < 5.5) || (nearer > 1.5 && farther < 3.5);
            if (onFrame && picture.pixel(x, y) == background) {
                frame.setPixel(x - device.left(), y - device.top(), colour);
            }
        }
    }
    // The painter is in widget pixels, the frame in the display's.
    frame.setDevicePixelRatio(displayRatio);
    painter.drawImage(QPointF(device.topLeft()) / displayRatio, frame);
}

} // namespace collinear

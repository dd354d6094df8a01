// The drawing area's keyboard cursor: the grid node it stands on, how the
// arrow keys, presses and a new step move it, how it is painted over the
// picture, and the text a screen reader hears of it. It needs no widget.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>

#include <functional>
#include <optional>

class QImage;
class QPainter;

namespace collinear {

// The cursor stands on a grid node of the current step, inside the area;
// the arrow keys move it by one step, and Space or Enter press there. It is
// drawn over the picture, never into it.
class KeyboardCursor {
public:
    // Told the drawing-area pixels that show the cursor, before and after
    // each change, to paint them again.
    using Repaint = std::function<void(const QRect& drawingArea)>;
    // The serial of the point stored at a node, as the N list shows it, or
    // an empty text where none stands there. The cursor keeps no points;
    // the window that owns them answers.
    using SerialAtNode = std::function<QString(QPoint node)>;

    explicit KeyboardCursor(Repaint repaint);

    [[nodiscard]] QPoint Node() const { return m_node; }
    // Whether the cursor shows: only while the keyboard is in use.
    [[nodiscard]] bool Shown() const { return m_shown; }

    // The cursor goes to the new step's node nearest where the pupil left
    // it, not nearest the old node: stepping through several steps and back
    // brings it home instead of wandering.
    void SetStep(int pixels);
    // The direction an arrow key moves the cursor in, in steps; none for
    // any other key.
    [[nodiscard]] static std::optional<QPoint> ArrowDirection(int key);
    // Shows the cursor and moves it one step; a move past the edge stops at
    // the last node inside the area. True when the node changed.
    bool StepBy(QPoint direction);
    // Shows the cursor where it stands: the keyboard pressed there.
    void Show();
    // A press of the mouse on drawing-area pixel `pixel`: the cursor goes
    // until the keyboard is used again, and then stands on the grid node
    // nearest the press inside the area: where the point was stored, unless
    // that node lies beyond the edge.
    void FollowPress(QPoint pixel);
    // The focus came, by the keyboard (Tab) or otherwise, or went.
    void FocusIn(bool byKeyboard);
    void FocusOut();
    // Back on the node nearest where the pupil left it, as the area's size
    // may have changed.
    void StayInArea();

    void SetSerialAtNode(SerialAtNode serialAt);
    // Where the cursor stands, as a screen reader says it: "x, y", and
    // "точка N" where a point stands on that node.
    [[nodiscard]] QString Text() const;

    // Paints the cursor with `painter` (in widget pixels, `displayRatio`
    // device pixels to one) over `picture`, touching only the pixels that
    // show `background`, in `colour`.
    void Paint(QPainter& painter, const QImage& picture, QRgb background, QRgb colour,
               qreal displayRatio) const;

private:
    // The grid node of the current step nearest `position`, inside the area.
    [[nodiscard]] QPoint NearestNode(QPoint position) const;
    void MoveTo(QPoint node);
    [[nodiscard]] QRect Area() const;
    // What to paint again when the cursor shows, goes or moves.
    [[nodiscard]] QRect RepaintArea() const;

    Repaint m_repaint;
    QPoint m_node{0, 0};
    // Where the pupil last put the cursor (a press, or a move by the keys);
    // the cursor stands on the current step's node nearest it. It starts in
    // the middle of the area, where it is easy to see.
    QPoint m_anchor{233, 100};
    // The cursor shows only while the keyboard is in use: after a mouse
    // press it would stand at the raw press, not at the point stored.
    bool m_shown = false;
    int m_step = 5;
    SerialAtNode m_serialAtNode;
};

} // namespace collinear

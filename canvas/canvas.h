// The drawing area as a widget: it joins the picture and the keyboard
// cursor, turns events into strokes, presses and cursor moves, and keeps the
// picture at the display's scale times the window's factor.
#pragma once

#include "design_transform.h"
#include "drawing_surface.h"
#include "keyboard_cursor.h"
#include "picture.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

namespace collinear {

// The drawing area. Everything is drawn into an off-screen image at the
// screen's device pixel ratio times the window's design factor, so the
// picture is crisp at any display scale and any size of the window, and
// survives the window being covered; paint events only copy from it.
// Whatever the factor, the area keeps the design's coordinates: 467 x 200
// drawing-area pixels, dots 5 of them wide and segments 1.
class Canvas : public QWidget, public DrawingSurface {
    Q_OBJECT

public:
    // The drawing area's size in its own pixels, at every factor.
    static constexpr QSize kDesignSize = kDrawingAreaSize;

    explicit Canvas(QWidget* parent = nullptr);

    void SetBackground(Rgb colour) override;
    void ClearCanvas() override;
    void SetPenWidth(int width) override;
    void PlotDot(float x, float y) override;
    void PlotDot(float x, float y, Rgb colour) override;
    void DrawSegment(float x1, float y1, float x2, float y2) override;
    void SetPersistent(bool on) override;

    [[nodiscard]] int PenWidth() const { return m_penWidth; }
    [[nodiscard]] bool Persistent() const { return m_persistent; }
    // The picture at device resolution; its device pixel ratio is device
    // pixels per drawing-area pixel, the display's ratio times the factor.
    [[nodiscard]] const QImage& Image() const { return m_picture.Image(); }
    // The picture at the design's size, one device pixel a drawing-area
    // pixel, whatever the window's factor and the display's scale: what a
    // step changed, judged the same at every size.
    [[nodiscard]] const QImage& DesignImage() const { return m_picture.DesignImage(); }
    [[nodiscard]] QColor ForegroundColour() const;

    [[nodiscard]] CanvasPicture Picture() const;
    // Paints a saved picture again, exactly as it was, and takes up its
    // pen width.
    void RestorePicture(const CanvasPicture& picture);

    QSize sizeHint() const override;

    // The window's design factor (how many widget pixels a drawing-area
    // pixel takes) and the area's place at it. The picture is painted again
    // from its strokes, crisp, once.
    void SetDesignGeometry(const QRect& geometry, double factor);
    [[nodiscard]] double DesignFactor() const { return m_transform.Factor(); }

    // The keyboard cursor: it stands on a grid node of this step, the arrow
    // keys move it by one step, and Space or Enter press there. It is drawn
    // over the picture, never into it.
    void SetKeyboardStep(int pixels);
    [[nodiscard]] QPoint KeyboardCursor() const { return m_keyboardCursor.Node(); }

    // The window tells the cursor which point stands on a node: the canvas
    // keeps no points.
    using SerialAtNode = collinear::KeyboardCursor::SerialAtNode;
    void SetSerialAtNode(SerialAtNode serialAt);
    // Where the keyboard cursor stands, as a screen reader says it: "x, y",
    // and "точка N" where a point stands on that node.
    [[nodiscard]] QString KeyboardCursorText() const;

    // Puts the picture on the clipboard as an image, exactly as shown, at
    // the device resolution and without the keyboard cursor: the way out
    // for a drawing that the program never writes to a file.
    void CopyPicture() const;

    // The display's scale, read once when it is made and used for every
    // stroke until it goes. A procedure runs to completion with no event
    // between its strokes, so the scale cannot change under it; in the
    // browser each reading asks the page, which costs more than painting a
    // segment, and a Draw with 51 points on one line paints 1,274 of them.
    // Holds may nest; the outermost reads the scale.
    class ScaleHold {
    public:
        explicit ScaleHold(Canvas& canvas);
        ~ScaleHold();
        ScaleHold(const ScaleHold&) = delete;
        ScaleHold& operator=(const ScaleHold&) = delete;

    private:
        Canvas& m_canvas;
    };

signals:
    // A mouse press, as the drawing-area pixel that contains it.
    void pressed(float x, float y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // What the picture is to be painted at now: every device pixel the
    // widget covers, at the display's scale times the factor.
    [[nodiscard]] PictureResolution Resolution();
    // Keeps the picture at that resolution.
    void EnsureImage();
    void Dot(float x, float y, const QColor& colour);
    // The design pixel the picture shows at a position in the widget.
    [[nodiscard]] QPoint DesignPixelAt(const QPointF& position) const;
    // The widget's region that shows a rectangle of drawing-area pixels.
    void UpdateDesignRect(const QRectF& design);
    // Tells a screen reader that the cursor's node, or what stands on it,
    // may have changed.
    void AnnounceKeyboardCursor();

    // How many ScaleHolds live, and the scale the outermost read.
    int m_scaleHolds = 0;
    qreal m_heldScale = 1.0;
    // Drawing-area pixels to widget pixels; the area's own origin is the
    // widget's.
    DesignTransform m_transform;
    StrokePicture m_picture;
    // The foreground colour of the current palette, looked up once per
    // palette rather than once per segment.
    QRgb m_foreground = 0;
    int m_penWidth = 1;
    bool m_persistent = false;
    collinear::KeyboardCursor m_keyboardCursor;
};

} // namespace collinear

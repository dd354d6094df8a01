#pragma once

#include "design_transform.h"
#include "drawing_surface.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QPainter;

namespace collinear {

// One dot or segment as it went onto the picture, in its colour.
struct Stroke {
    enum class Kind { Dot, Segment };
    Kind kind = Kind::Dot;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int width = 1;
    QRgb colour = 0;
    bool operator==(const Stroke&) const = default;
};

// The picture as what was drawn since it was last filled: enough to paint
// it again pixel for pixel at any display scale, in a few kilobytes instead
// of an image. Saved pictures share the strokes they have in common: the
// canvas only ever appends to a list of strokes, and a fill starts a new one.
class CanvasPicture {
public:
    [[nodiscard]] bool SamePixels(const CanvasPicture& other) const;
    // How many strokes paint it; what a saved state costs, and what undo
    // paints again.
    [[nodiscard]] std::size_t StrokeCount() const { return m_strokeCount; }

private:
    friend class Canvas;
    QColor m_background{Qt::white};
    int m_penWidth = 1;
    std::shared_ptr<std::vector<Stroke>> m_strokes;
    std::size_t m_strokeCount = 0;
};

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
    static constexpr QSize kDesignSize{467, 200};

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
    [[nodiscard]] const QImage& Image() const { return m_image; }
    // The picture at the design's size, one device pixel a drawing-area
    // pixel, whatever the window's factor and the display's scale: what a
    // step changed, judged the same at every size.
    [[nodiscard]] const QImage& DesignImage() const
    {
        return m_designImage.isNull() ? m_image : m_designImage;
    }
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
    [[nodiscard]] QPoint KeyboardCursor() const { return m_keyboardCursor; }

    // The serial of the point stored at a node, as the N list shows it, or
    // an empty text where none stands there. The canvas keeps no points; the
    // window that owns them answers.
    using SerialAtNode = std::function<QString(QPoint node)>;
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
    struct Segment {
        float x1, y1, x2, y2;
        int width;
        bool operator==(const Segment&) const = default;
    };
    struct SegmentHash {
        std::size_t operator()(const Segment& segment) const;
    };

    void EnsureImage();
    void FillImage();
    void Dot(float x, float y, const QColor& colour);
    // Paints a stroke into the image; true when it could change a pixel.
    bool Paint(const Stroke& stroke);
    void Record(const Stroke& stroke);
    // Notes the stroke at `index` of m_strokes: a segment drawn opaque
    // hides the same segment drawn before in another colour.
    void NoteStroke(std::size_t index);
    // Notes every stroke of a new list of strokes.
    void IndexStrokes();
    // Starts a list of the strokes that are not hidden: the same picture.
    void DropHiddenStrokes();
    // The picture filled with the background and its strokes painted again.
    void PaintStrokes();
    // Fills both pictures, the one shown and the one at the design's size.
    void FillPictures();
    // The design pixel the picture shows at a position in the widget.
    [[nodiscard]] QPoint DesignPixelAt(const QPointF& position) const;
    void ForgetDrawnSegments();
    // The widget's region that shows a rectangle of drawing-area pixels.
    void UpdateDesignRect(const QRectF& design);
    // The grid node of the current step nearest `position`, inside the area.
    [[nodiscard]] QPoint NearestNode(QPoint position) const;
    void MoveKeyboardCursor(QPoint node);
    [[nodiscard]] QRect KeyboardCursorRect() const;
    [[nodiscard]] QRect KeyboardCursorUpdateRect() const;
    void PaintKeyboardCursor(QPainter& painter) const;
    // Tells a screen reader that the cursor's node, or what stands on it,
    // may have changed.
    void AnnounceKeyboardCursor();

    QImage m_image;
    // The same picture at the design's size, kept while the shown one is at
    // another ratio (null otherwise); painted stroke for stroke with it.
    QImage m_designImage;
    // How many ScaleHolds live, and the scale the outermost read.
    int m_scaleHolds = 0;
    qreal m_heldScale = 1.0;
    // Drawing-area pixels to widget pixels; the area's own origin is the
    // widget's.
    DesignTransform m_transform;
    QColor m_background{Qt::white};
    // The foreground colour of the current palette, looked up once per
    // palette rather than once per segment.
    QRgb m_foreground = 0;
    int m_penWidth = 1;
    bool m_persistent = false;
    QPoint m_keyboardCursor{0, 0};
    // Where the pupil last put the cursor (a press, or a move by the keys);
    // the cursor stands on the current step's node nearest it. It starts in
    // the middle of the area, where it is easy to see.
    QPoint m_keyboardAnchor{233, 100};
    // The cursor shows only while the keyboard is in use: after a mouse
    // press it would stand at the raw press, not at the point stored.
    bool m_keyboardCursorShown = false;
    int m_keyboardStep = 5;
    SerialAtNode m_serialAtNode;
    // Segments drawn in m_segmentColour since the picture last got any other
    // colour. Drawing one of them again in that colour cannot change a
    // pixel, so it is skipped: a Draw with 51 points on one line repeats
    // most of its 41,650. In another colour (a new palette's) it is drawn.
    std::unordered_set<Segment, SegmentHash> m_drawnSegments;
    QRgb m_segmentColour = 0;
    // Every stroke since the picture was last filled, in order.
    std::shared_ptr<std::vector<Stroke>> m_strokes = std::make_shared<std::vector<Stroke>>();
    // Where in m_strokes each segment was last drawn, and which strokes a
    // later opaque stroke of the same segment covers pixel for pixel. Lines
    // drawn again and again in the colours of new palettes would otherwise
    // grow the strokes, and what undo paints, without bound.
    std::unordered_map<Segment, std::size_t, SegmentHash> m_lastDrawnAt;
    std::vector<bool> m_hidden;
    std::size_t m_hiddenCount = 0;
};

} // namespace collinear

// The drawing area's picture as its strokes and their rules: which segments
// are skipped, which strokes later ones cover and are dropped, the picture
// painted again from them at any ratio (and at the design's size beside
// it), and the pictures saved for undo. It needs no widget: QtGui only.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace collinear {

// The drawing area's size in its own pixels, at every factor.
inline constexpr QSize kDrawingAreaSize{467, 200};

// Drawing-area coordinates name pixels; the middle of pixel (x, y) is at
// (x + 0.5, y + 0.5) in Qt's continuous coordinates.
inline QPointF PixelCentre(float x, float y)
{
    return {static_cast<double>(x) + 0.5, static_cast<double>(y) + 0.5};
}

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
    friend class StrokePicture;
    // The canvas keeps its pen width with the picture.
    friend class Canvas;
    QColor m_background{Qt::white};
    int m_penWidth = 1;
    std::shared_ptr<std::vector<Stroke>> m_strokes;
    std::size_t m_strokeCount = 0;
};

// How many device pixels the picture has, and how many of them a
// drawing-area pixel takes along each axis.
struct PictureResolution {
    QSize devicePixels;
    qreal ratio = 1.0;
};

// The picture the drawing area shows, at device resolution, and the strokes
// that paint it. Each stroke first asks the resolution it is to be painted
// at; a new one paints everything drawn before again, crisp at it.
class StrokePicture {
public:
    // Asked before each stroke that is painted.
    using ResolutionSource = std::function<PictureResolution()>;
    // Told the drawing-area pixels each stroke painted, to show them.
    using PaintedArea = std::function<void(const QRectF& drawingArea)>;

    StrokePicture(ResolutionSource resolution, PaintedArea painted);

    // Fills the picture with `background` and starts a new list of strokes.
    void Fill(const QColor& background);
    [[nodiscard]] const QColor& Background() const { return m_background; }

    // A segment drawn opaque in `colour`; false where it was skipped, as one
    // already on the picture in that colour with nothing of another colour
    // drawn since.
    bool DrawSegment(float x1, float y1, float x2, float y2, int width, QRgb colour);
    // Paints a stroke and keeps it; false where it was skipped.
    bool Record(const Stroke& stroke);

    // The picture as the strokes that paint it now, and back.
    [[nodiscard]] CanvasPicture Save() const;
    void Restore(const CanvasPicture& picture);
    [[nodiscard]] const std::vector<Stroke>& Strokes() const { return *m_strokes; }

    // Takes the resolution the source gives now; when it is new, the picture
    // is painted again from its strokes. True when it was.
    bool FollowResolution();

    // The picture at device resolution; its device pixel ratio is device
    // pixels per drawing-area pixel.
    [[nodiscard]] const QImage& Image() const { return m_image; }
    // The picture at the design's size, one device pixel a drawing-area
    // pixel, whatever the ratio: what a step changed, judged the same at
    // every size.
    [[nodiscard]] const QImage& DesignImage() const
    {
        return m_designImage.isNull() ? m_image : m_designImage;
    }

private:
    struct Segment {
        float x1, y1, x2, y2;
        int width;
        bool operator==(const Segment&) const = default;
    };
    struct SegmentHash {
        std::size_t operator()(const Segment& segment) const;
    };

    // Whether the stroke could change a pixel; notes a segment as drawn.
    bool Admit(const Stroke& stroke);
    // Paints an admitted stroke into both pictures.
    void PaintImages(const Stroke& stroke);
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
    void FillImages();

    ResolutionSource m_resolution;
    PaintedArea m_painted;
    QImage m_image;
    // The same picture at the design's size, kept while the shown one is at
    // another ratio (null otherwise); painted stroke for stroke with it.
    QImage m_designImage;
    QColor m_background{Qt::white};
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

// Inline, with the hash they look up: a Draw with 51 points on one line
// asks for 41,650 segments, and most of them are skipped here, in the caller.
inline std::size_t StrokePicture::SegmentHash::operator()(const Segment& segment) const
{
    // The bits of the coordinates, mixed by multiplying: a Draw looks up
    // 41,650 segments, and std::hash<float> hashes each float byte by byte.
    // 0 and -0 are equal segments, so both hash as 0.
    std::uint64_t hash = static_cast<std::uint32_t>(segment.width);
    for (const float value : {segment.x1, segment.y1, segment.x2, segment.y2}) {
        std::uint32_t bits = 0U;
        if (value != 0.0F) {
            std::memcpy(&bits, &value, sizeof bits); // std::bit_cast, where every library has it
        }
        hash = (hash ^ bits) * 0x9E3779B97F4A7C15ULL;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

inline bool StrokePicture::DrawSegment(float x1, float y1, float x2, float y2, int width,
                                       QRgb colour)
{
    // Most segments of a Draw were drawn already; they are skipped before
    // anything else is looked up.
    if (m_segmentColour == colour && m_drawnSegments.contains(Segment{x1, y1, x2, y2, width})) {
        return false;
    }
    return Record({Stroke::Kind::Segment, x1, y1, x2, y2, width, colour});
}

} // namespace collinear

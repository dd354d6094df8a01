// The drawing area's picture: its strokes, the rules that skip and drop
// them, and the images they paint.
#include "picture.h"

#include "design_transform.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <utility>

namespace collinear {

StrokePicture::StrokePicture(ResolutionSource resolution, PaintedArea painted)
    : m_resolution(std::move(resolution))
    , m_painted(std::move(painted))
{
}

void StrokePicture::Fill(const QColor& background)
{
    m_background = background;
    FollowResolution();
    m_drawnSegments.clear();
    m_strokes = std::make_shared<std::vector<Stroke>>();
    IndexStrokes();
    FillImages();
}

bool StrokePicture::Record(const Stroke& stroke)
{
    if (!Admit(stroke)) {
        return false;
    }
    // Each stroke checks the resolution: the picture may have to be
    // painted again first.
    FollowResolution();
    PaintImages(stroke);
    m_strokes->push_back(stroke);
    NoteStroke(m_strokes->size() - 1);
    // Amortised: the list is copied only once it is half hidden strokes.
    if (2 * m_hiddenCount > m_strokes->size()) {
        DropHiddenStrokes();
    }
    return true;
}

void StrokePicture::NoteStroke(std::size_t index)
{
    m_hidden.push_back(false);
    const Stroke& stroke = (*m_strokes)[index];
    if (stroke.kind != Stroke::Kind::Segment) {
        return;
    }
    const auto [last, first] = m_lastDrawnAt.try_emplace(
        Segment{stroke.x1, stroke.y1, stroke.x2, stroke.y2, stroke.width}, index);
    if (first) {
        return;
    }
    // The same line at the same width covers the same pixels; an opaque
    // colour leaves nothing of the one before it.
    if (qAlpha(stroke.colour) == 255 && !m_hidden[last->second]) {
        m_hidden[last->second] = true;
        ++m_hiddenCount;
    }
    last->second = index;
}

void StrokePicture::IndexStrokes()
{
    m_lastDrawnAt.clear();
    m_hidden.clear();
    m_hiddenCount = 0;
    for (std::size_t index = 0; index < m_strokes->size(); ++index) {
        NoteStroke(index);
    }
}

void StrokePicture::DropHiddenStrokes()
{
    // A new list: saved pictures keep theirs.
    auto kept = std::make_shared<std::vector<Stroke>>();
    kept->reserve(m_strokes->size() - m_hiddenCount);
    for (std::size_t index = 0; index < m_strokes->size(); ++index) {
        if (!m_hidden[index]) {
            kept->push_back((*m_strokes)[index]);
        }
    }
    m_strokes = std::move(kept);
    IndexStrokes();
}

bool StrokePicture::Admit(const Stroke& stroke)
{
    // Anything in another colour may cover segments drawn before, which
    // then have to be drawn again. The strokes alone decide it, so a
    // picture painted again from them skips exactly what it skipped first,
    // whatever the palette is by then.
    if (stroke.colour != m_segmentColour) {
        m_drawnSegments.clear();
        if (stroke.kind == Stroke::Kind::Segment) {
            m_segmentColour = stroke.colour;
        }
    }
    return stroke.kind != Stroke::Kind::Segment
        || m_drawnSegments.insert(Segment{stroke.x1, stroke.y1, stroke.x2, stroke.y2, stroke.width})
               .second;
}

void StrokePicture::PaintImages(const Stroke& stroke)
{
    const QColor colour = QColor::fromRgba(stroke.colour);
    const int width = stroke.width;
    const QPointF from = PixelCentre(stroke.x1, stroke.y1);
    const QPointF to = PixelCentre(stroke.x2, stroke.y2);
    for (QImage* image : {&m_image, &m_designImage}) {
        if (image->isNull()) {
            continue;
        }
        QPainter painter(image);
        const double ratio = image->devicePixelRatio();
        if (stroke.kind == Stroke::Kind::Dot) {
            // A dot shows only on the device pixels that show its own
            // drawing-area pixels, the width's square round its node: a press
            // on any pixel of it then falls on the node, also where a scale
            // would let the round edge reach a device pixel that shows the
            // next pixel over.
            const int reach = width / 2;
            const auto [left, right] = DesignTransform::DevicePixelsOfDesignPixels(
                static_cast<int>(std::floor(stroke.x1)) - reach,
                static_cast<int>(std::floor(stroke.x1)) + width - 1 - reach, ratio);
            const auto [top, bottom] = DesignTransform::DevicePixelsOfDesignPixels(
                static_cast<int>(std::floor(stroke.y1)) - reach,
                static_cast<int>(std::floor(stroke.y1)) + width - 1 - reach, ratio);
            // The painter works in the image's own pixels over 1 (Qt never
            // scales a painter down by an image's ratio), so the device
            // pixels are given in those.
            const double scale = std::max(1.0, ratio);
            painter.setClipRect(QRectF(left / scale, top / scale, (right + 1 - left) / scale,
                                       (bottom + 1 - top) / scale));
        }
        // Below 1 drawing-area pixel to a device pixel (a page smaller than
        // the design) the painter is scaled down by hand.
        if (ratio < 1.0) {
            painter.scale(ratio, ratio);
        }
        if (stroke.kind == Stroke::Kind::Dot) {
            // A round-capped point is the disc of the pen's diameter,
            // symmetric about the pixel; an aliased ellipse of the same size
            // is not.
            painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
            painter.drawPoint(from);
        } else {
            painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawLine(QLineF(from, to));
        }
    }
    // A segment far outside the area has no finite bounding box worth
    // repainting; the visible part is at most the whole widget.
    const double margin = stroke.kind == Stroke::Kind::Dot ? width / 2.0 + 1.0 : width + 1.0;
    if (m_painted) {
        m_painted(QRectF(from, to).normalized().adjusted(-margin, -margin, margin, margin));
    }
}

CanvasPicture StrokePicture::Save() const
{
    CanvasPicture picture;
    picture.m_background = m_background;
    picture.m_strokes = m_strokes;
    picture.m_strokeCount = m_strokes->size();
    return picture;
}

void StrokePicture::Restore(const CanvasPicture& picture)
{
    m_background = picture.m_background;
    if (picture.m_strokes == nullptr) {
        m_strokes = std::make_shared<std::vector<Stroke>>();
    } else if (picture.m_strokes->size() == picture.m_strokeCount) {
        m_strokes = picture.m_strokes;
    } else {
        // Strokes drawn after this picture was saved stay in the shared list
        // for the pictures that have them; this one goes on in a list of its
        // own.
        m_strokes = std::make_shared<std::vector<Stroke>>(
            picture.m_strokes->begin(),
            picture.m_strokes->begin() + static_cast<std::ptrdiff_t>(picture.m_strokeCount));
    }
    IndexStrokes();
    FollowResolution();
    PaintStrokes();
}

void StrokePicture::FillImages()
{
    m_image.fill(m_background);
    if (!m_designImage.isNull()) {
        m_designImage.fill(m_background);
    }
}

void StrokePicture::PaintStrokes()
{
    FillImages();
    m_drawnSegments.clear();
    for (const Stroke& stroke : *m_strokes) {
        if (Admit(stroke)) {
            PaintImages(stroke);
        }
    }
}

bool StrokePicture::FollowResolution()
{
    const PictureResolution wanted = m_resolution();
    if (m_image.size() == wanted.devicePixels && m_image.devicePixelRatio() == wanted.ratio) {
        return false;
    }
    m_image = QImage(wanted.devicePixels, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(wanted.ratio);
    // What a step changed is judged on the design's picture; where the
    // shown one is it, there is no second one to paint.
    if (wanted.ratio == 1.0) {
        m_designImage = QImage();
    } else if (m_designImage.isNull()) {
        m_designImage = QImage(kDrawingAreaSize, QImage::Format_RGB32);
    }
    // What was drawn is painted again from its strokes, crisp at the new
    // resolution, and as a saved picture would be.
    PaintStrokes();
    return true;
}

bool CanvasPicture::SamePixels(const CanvasPicture& other) const
{
    if (m_background != other.m_background || m_strokeCount != other.m_strokeCount) {
        return false;
    }
    if (m_strokes == other.m_strokes || m_strokeCount == 0) {
        return true;
    }
    return std::equal(m_strokes->begin(),
                      m_strokes->begin() + static_cast<std::ptrdiff_t>(m_strokeCount),
                      other.m_strokes->begin());
}

} // namespace collinear

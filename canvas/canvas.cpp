#include "canvas.h"

#include "point_entry.h"
#include "press_position.h"

#include <QAccessibleWidget>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

namespace collinear {

namespace {

QColor ToQColor(Rgb colour)
{
    return QColor::fromRgb(static_cast<int>((colour >> 16) & 0xff),
                           static_cast<int>((colour >> 8) & 0xff), static_cast<int>(colour & 0xff));
}

// Drawing-area coordinates name pixels; the middle of pixel (x, y) is at
// (x + 0.5, y + 0.5) in Qt's continuous coordinates.
QPointF PixelCentre(float x, float y)
{
    return {static_cast<double>(x) + 0.5, static_cast<double>(y) + 0.5};
}

// Screen readers hear the drawing area as a canvas, not a generic client,
// and its description starts with where the keyboard cursor stands: a
// reader speaks the description on focus and again on each change, so the
// pupil hears the node first and the help after it.
class CanvasAccessible : public QAccessibleWidget {
public:
    explicit CanvasAccessible(Canvas* canvas)
        : QAccessibleWidget(canvas, QAccessible::Canvas)
    {
    }

    [[nodiscard]] QString text(QAccessible::Text kind) const override
    {
        QString text = QAccessibleWidget::text(kind);
        if (kind != QAccessible::Description) {
            return text;
        }
        const QString where = static_cast<const Canvas*>(widget())->KeyboardCursorText();
        return text.isEmpty() ? where : where + QStringLiteral(". ") + text;
    }
};

QAccessibleInterface* CreateCanvasAccessible(const QString& /*className*/, QObject* object)
{
    if (auto* canvas = qobject_cast<Canvas*>(object)) {
        return new CanvasAccessible(canvas);
    }
    return nullptr;
}

} // namespace

std::size_t Canvas::SegmentHash::operator()(const Segment& segment) const
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

Canvas::Canvas(QWidget* parent)
    : QWidget(parent)
{
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(CreateCanvasAccessible);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    m_foreground = ForegroundColour().rgba();
    EnsureImage();
}

QSize Canvas::sizeHint() const
{
    return m_transform.ToScreen(QRect(QPoint(0, 0), kDesignSize)).size();
}

void Canvas::SetDesignGeometry(const QRect& geometry, double factor)
{
    const bool rescaled = factor != m_transform.Factor();
    m_transform = DesignTransform(factor, QPoint(0, 0));
    // A new size paints the picture again, in the resize event.
    setGeometry(geometry);
    if (rescaled) {
        EnsureImage();
        update();
    }
}

void Canvas::UpdateDesignRect(const QRectF& design)
{
    update(m_transform.ToScreen(design).toAlignedRect() & rect());
}

QColor Canvas::ForegroundColour() const
{
    // The system text colour, black in a light scheme. A dark scheme's light
    // text would vanish on the always-white picture, so black stands in.
    const QColor text = palette().color(QPalette::WindowText);
    return text.lightness() < 128 ? text : QColor(Qt::black);
}

void Canvas::SetBackground(Rgb colour)
{
    m_background = ToQColor(colour);
    FillImage();
}

void Canvas::ClearCanvas()
{
    FillImage();
}

void Canvas::SetPenWidth(int width)
{
    m_penWidth = width;
}

void Canvas::PlotDot(float x, float y)
{
    Dot(x, y, ForegroundColour());
}

void Canvas::PlotDot(float x, float y, Rgb colour)
{
    Dot(x, y, ToQColor(colour));
}

void Canvas::DrawSegment(float x1, float y1, float x2, float y2)
{
    // Most segments of a Draw were drawn already; they are skipped before
    // anything else is looked up.
    if (m_segmentColour == m_foreground
        && m_drawnSegments.contains(Segment{x1, y1, x2, y2, m_penWidth})) {
        return;
    }
    Record({Stroke::Kind::Segment, x1, y1, x2, y2, m_penWidth, m_foreground});
}

void Canvas::SetPersistent(bool on)
{
    m_persistent = on;
}

void Canvas::Dot(float x, float y, const QColor& colour)
{
    Record({Stroke::Kind::Dot, x, y, x, y, m_penWidth, colour.rgba()});
}

void Canvas::Record(const Stroke& stroke)
{
    if (!Paint(stroke)) {
        return;
    }
    m_strokes->push_back(stroke);
    NoteStroke(m_strokes->size() - 1);
    // Amortised: the list is copied only once it is half hidden strokes.
    if (2 * m_hiddenCount > m_strokes->size()) {
        DropHiddenStrokes();
    }
}

void Canvas::NoteStroke(std::size_t index)
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

void Canvas::IndexStrokes()
{
    m_lastDrawnAt.clear();
    m_hidden.clear();
    m_hiddenCount = 0;
    for (std::size_t index = 0; index < m_strokes->size(); ++index) {
        NoteStroke(index);
    }
}

void Canvas::DropHiddenStrokes()
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

bool Canvas::Paint(const Stroke& stroke)
{
    // Anything in another colour may cover segments drawn before, which
    // then have to be drawn again. The strokes alone decide it, so a
    // picture painted again from them skips exactly what it skipped first,
    // whatever the palette is by then.
    if (stroke.colour != m_segmentColour) {
        ForgetDrawnSegments();
        if (stroke.kind == Stroke::Kind::Segment) {
            m_segmentColour = stroke.colour;
        }
    }
    const QColor colour = QColor::fromRgba(stroke.colour);
    const int width = stroke.width;
    const QPointF from = PixelCentre(stroke.x1, stroke.y1);
    const QPointF to = PixelCentre(stroke.x2, stroke.y2);
    if (stroke.kind == Stroke::Kind::Segment
        && !m_drawnSegments.insert(Segment{stroke.x1, stroke.y1, stroke.x2, stroke.y2, width})
                .second) {
        return false;
    }
    EnsureImage();
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
    const QRectF bounds = QRectF(from, to).normalized().adjusted(-margin, -margin, margin, margin);
    UpdateDesignRect(bounds);
    return true;
}

CanvasPicture Canvas::Picture() const
{
    CanvasPicture picture;
    picture.m_background = m_background;
    picture.m_penWidth = m_penWidth;
    picture.m_strokes = m_strokes;
    picture.m_strokeCount = m_strokes->size();
    return picture;
}

void Canvas::RestorePicture(const CanvasPicture& picture)
{
    const ScaleHold hold(*this);
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
    EnsureImage();
    PaintStrokes();
    update();
    m_penWidth = picture.m_penWidth;
}

void Canvas::FillPictures()
{
    m_image.fill(m_background);
    if (!m_designImage.isNull()) {
        m_designImage.fill(m_background);
    }
}

void Canvas::PaintStrokes()
{
    FillPictures();
    ForgetDrawnSegments();
    for (const Stroke& stroke : *m_strokes) {
        Paint(stroke);
    }
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

void Canvas::FillImage()
{
    EnsureImage();
    ForgetDrawnSegments();
    m_strokes = std::make_shared<std::vector<Stroke>>();
    IndexStrokes();
    FillPictures();
    update();
}

void Canvas::ForgetDrawnSegments()
{
    m_drawnSegments.clear();
}

Canvas::ScaleHold::ScaleHold(Canvas& canvas)
    : m_canvas(canvas)
{
    if (m_canvas.m_scaleHolds == 0) {
        m_canvas.m_heldScale = m_canvas.devicePixelRatioF();
    }
    ++m_canvas.m_scaleHolds;
}

Canvas::ScaleHold::~ScaleHold()
{
    --m_canvas.m_scaleHolds;
}

void Canvas::EnsureImage()
{
    // Every device pixel the widget covers, addressed by painters in
    // drawing-area pixels. Outside a ScaleHold each stroke asks, as the
    // widget may have moved to a screen of another scale since the last
    // one; inside one it takes the scale the outermost hold read. The
    // strokes painted again below take the same scale.
    const ScaleHold hold(*this);
    const qreal display = m_heldScale;
    const QSize wanted = size() * display;
    const qreal ratio = display * m_transform.Factor();
    if (m_image.size() == wanted && m_image.devicePixelRatio() == ratio) {
        return;
    }
    m_image = QImage(wanted, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    // What a step changed is judged on the design's picture; where the
    // shown one is it, there is no second one to paint.
    if (ratio == 1.0) {
        m_designImage = QImage();
    } else if (m_designImage.isNull()) {
        m_designImage = QImage(kDesignSize, QImage::Format_RGB32);
    }
    // When the widget moves to a screen of another scale or the window
    // grows, what was drawn is painted again from its strokes, crisp at the
    // new size, and as a saved picture would be.
    PaintStrokes();
}

void Canvas::SetKeyboardStep(int pixels)
{
    m_keyboardStep = pixels > 0 ? pixels : 1;
    // The cursor goes to the new step's node nearest where the pupil left
    // it, not nearest the old node: stepping through several steps and
    // back brings it home instead of wandering.
    MoveKeyboardCursor(NearestNode(m_keyboardAnchor));
}

QPoint Canvas::NearestNode(QPoint position) const
{
    const auto node = [this](int v, int extent) {
        const int lastNode = std::max(0, (extent - 1) / m_keyboardStep * m_keyboardStep);
        const int snapped = static_cast<int>(SnapToGrid(v, m_keyboardStep).value_or(0.0));
        return std::clamp(snapped, 0, lastNode);
    };
    return {node(position.x(), kDesignSize.width()), node(position.y(), kDesignSize.height())};
}

void Canvas::MoveKeyboardCursor(QPoint node)
{
    UpdateDesignRect(KeyboardCursorUpdateRect());
    m_keyboardCursor = node;
    UpdateDesignRect(KeyboardCursorUpdateRect());
}

void Canvas::SetSerialAtNode(SerialAtNode serialAt)
{
    m_serialAtNode = std::move(serialAt);
}

QString Canvas::KeyboardCursorText() const
{
    QString text = QStringLiteral("%1, %2").arg(m_keyboardCursor.x()).arg(m_keyboardCursor.y());
    const QString serial = m_serialAtNode ? m_serialAtNode(m_keyboardCursor) : QString();
    if (!serial.isEmpty()) {
        text += QStringLiteral(", точка ") + serial;
    }
    return text;
}

void Canvas::AnnounceKeyboardCursor()
{
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void Canvas::CopyPicture() const
{
    // The image carries the display's device pixel ratio, so a program that
    // pastes it knows its size as shown in logical pixels; the clipboard
    // offers it as PNG.
    QImage shown = m_image;
    shown.setDevicePixelRatio(devicePixelRatioF());
    QGuiApplication::clipboard()->setImage(shown);
}

QRect Canvas::KeyboardCursorRect() const
{
    constexpr int kArm = 6;
    return {m_keyboardCursor.x() - kArm, m_keyboardCursor.y() - kArm, 2 * kArm + 1, 2 * kArm + 1};
}

QRect Canvas::KeyboardCursorUpdateRect() const
{
    // One pixel more, for device pixels that a fractional scale splits.
    return KeyboardCursorRect().adjusted(-1, -1, 1, 1);
}

void Canvas::paintEvent(QPaintEvent* event)
{
    // The widget may have moved to a screen of another scale since the last
    // paint; the image follows it.
    EnsureImage();
    QPainter painter(this);
    const QRect dirty = event->rect();
    const qreal ratio = devicePixelRatioF();
    painter.drawImage(dirty, m_image,
                      QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
    if (hasFocus() && m_keyboardCursorShown) {
        PaintKeyboardCursor(painter);
    }
}

void Canvas::PaintKeyboardCursor(QPainter& painter) const
{
    // A square frame one pixel wide round the node in the selection colour,
    // clear of the dot on the node, and a mark in each of the dot's corners:
    // at a step of 5 the dots on the neighbouring nodes cover the frame's
    // sides, and the gaps between four dots are all that is left to show
    // the cursor. It touches the picture only where the picture shows the
    // background, so every pixel of every dot stays as drawn at any display
    // scale. It stays inside the cursor's rectangle, so repainting that
    // rectangle removes all of it.
    const qreal ratio = m_image.devicePixelRatio();
    const QRect device = QRectF(QPointF(KeyboardCursorRect().topLeft()) * ratio,
                                QSizeF(KeyboardCursorRect().size()) * ratio)
                             .toAlignedRect()
        & m_image.rect();
    if (device.isEmpty()) {
        return;
    }
    const QPointF node = PixelCentre(static_cast<float>(m_keyboardCursor.x()),
                                     static_cast<float>(m_keyboardCursor.y()));
    QImage frame(device.size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    const QRgb colour = palette().color(QPalette::Highlight).rgb();
    const QRgb background = m_background.rgb();
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
            if (onFrame && m_image.pixel(x, y) == background) {
                frame.setPixel(x - device.left(), y - device.top(), colour);
            }
        }
    }
    // The painter is in widget pixels, the frame in the display's.
    frame.setDevicePixelRatio(devicePixelRatioF());
    painter.drawImage(QPointF(device.topLeft()) / devicePixelRatioF(), frame);
}

void Canvas::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyPicture();
        event->accept();
        return;
    }
    QPoint moved = m_keyboardCursor;
    switch (event->key()) {
    case Qt::Key_Left:
        moved.rx() -= m_keyboardStep;
        break;
    case Qt::Key_Right:
        moved.rx() += m_keyboardStep;
        break;
    case Qt::Key_Up:
        moved.ry() -= m_keyboardStep;
        break;
    case Qt::Key_Down:
        moved.ry() += m_keyboardStep;
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_keyboardCursorShown = true;
        UpdateDesignRect(KeyboardCursorUpdateRect());
        emit pressed(static_cast<float>(m_keyboardCursor.x()),
                     static_cast<float>(m_keyboardCursor.y()), Qt::NoButton, event->modifiers());
        // Also after a refused press: the reader then says the point that
        // already stands there, and nothing more.
        AnnounceKeyboardCursor();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_keyboardCursorShown = true;
    // A move past the edge stops at the last node inside the area.
    m_keyboardAnchor = NearestNode(moved);
    const QPoint before = m_keyboardCursor;
    MoveKeyboardCursor(m_keyboardAnchor);
    if (m_keyboardCursor != before) {
        AnnounceKeyboardCursor();
    }
    event->accept();
}

void Canvas::focusInEvent(QFocusEvent* event)
{
    m_keyboardCursorShown
        = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    UpdateDesignRect(KeyboardCursorUpdateRect());
    QWidget::focusInEvent(event);
}

void Canvas::focusOutEvent(QFocusEvent* event)
{
    UpdateDesignRect(KeyboardCursorUpdateRect());
    QWidget::focusOutEvent(event);
}

void Canvas::changeEvent(QEvent* event)
{
    // A new palette may bring another foreground colour, in which the next
    // segments are drawn even where the same ones stand in the old colour.
    if (event->type() == QEvent::PaletteChange) {
        m_foreground = ForegroundColour().rgba();
    }
    QWidget::changeEvent(event);
}

void Canvas::resizeEvent(QResizeEvent* event)
{
    EnsureImage();
    MoveKeyboardCursor(NearestNode(m_keyboardAnchor));
    QWidget::resizeEvent(event);
}

QPoint Canvas::DesignPixelAt(const QPointF& position) const
{
    const QWidget* shownIn = window();
    return m_transform.FromScreen(position, devicePixelRatioF(),
                                  shownIn == this ? QPoint(0, 0) : mapTo(shownIn, QPoint(0, 0)));
}

void Canvas::mousePressEvent(QMouseEvent* event)
{
    // Wherever the press falls inside a drawing-area pixel, the pixel the
    // picture shows there keeps every stored point whole, where it was at
    // the design's size, and on the dot the pupil pressed.
    const QPoint pixel = DesignPixelAt(ExactPressPosition(*this, *event));
    // The cursor goes until the keyboard is used again, and then stands on
    // the grid node nearest the press inside the area: where the point was
    // stored, unless that node lies beyond the edge.
    m_keyboardCursorShown = false;
    m_keyboardAnchor = pixel;
    MoveKeyboardCursor(NearestNode(pixel));
    emit pressed(static_cast<float>(pixel.x()), static_cast<float>(pixel.y()), event->button(),
                 event->modifiers());
    event->accept();
}

} // namespace collinear

// The drawing area as a widget: its events, its raster at the display's
// scale, and what a screen reader is told of it.
#include "canvas.h"

#include "press_position.h"

#include <QAccessibleWidget>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <utility>

namespace collinear {

namespace {

QColor ToQColor(Rgb colour)
{
    return QColor::fromRgb(static_cast<int>((colour >> 16) & 0xff),
                           static_cast<int>((colour >> 8) & 0xff), static_cast<int>(colour & 0xff));
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

Canvas::Canvas(QWidget* parent)
    : QWidget(parent)
    , m_picture([this] { return Resolution(); },
                [this](const QRectF& area) { UpdateDesignRect(area); })
    , m_keyboardCursor([this](const QRect& area) { UpdateDesignRect(area); })
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
    m_picture.Fill(ToQColor(colour));
    update();
}

void Canvas::ClearCanvas()
{
    m_picture.Fill(m_picture.Background());
    update();
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
    m_picture.DrawSegment(x1, y1, x2, y2, m_penWidth, m_foreground);
}

void Canvas::SetPersistent(bool on)
{
    m_persistent = on;
}

void Canvas::Dot(float x, float y, const QColor& colour)
{
    m_picture.Record({Stroke::Kind::Dot, x, y, x, y, m_penWidth, colour.rgba()});
}

CanvasPicture Canvas::Picture() const
{
    CanvasPicture picture = m_picture.Save();
    picture.m_penWidth = m_penWidth;
    return picture;
}

void Canvas::RestorePicture(const CanvasPicture& picture)
{
    const ScaleHold hold(*this);
    m_picture.Restore(picture);
    update();
    m_penWidth = picture.m_penWidth;
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

PictureResolution Canvas::Resolution()
{
    // Every device pixel the widget covers, addressed by painters in
    // drawing-area pixels. Outside a ScaleHold each stroke asks, as the
    // widget may have moved to a screen of another scale since the last
    // one; inside one it takes the scale the outermost hold read.
    const ScaleHold hold(*this);
    const qreal display = m_heldScale;
    return {size() * display, display * m_transform.Factor()};
}

void Canvas::EnsureImage()
{
    // When the widget moves to a screen of another scale or the window
    // grows, what was drawn is painted again from its strokes, crisp at the
    // new size, and as a saved picture would be.
    m_picture.FollowResolution();
}

void Canvas::SetKeyboardStep(int pixels)
{
    m_keyboardCursor.SetStep(pixels);
}

void Canvas::SetSerialAtNode(SerialAtNode serialAt)
{
    m_keyboardCursor.SetSerialAtNode(std::move(serialAt));
}

QString Canvas::KeyboardCursorText() const
{
    return m_keyboardCursor.Text();
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
    QImage shown = Image();
    shown.setDevicePixelRatio(devicePixelRatioF());
    QGuiApplication::clipboard()->setImage(shown);
}

void Canvas::paintEvent(QPaintEvent* event)
{
    // The widget may have moved to a screen of another scale since the last
    // paint; the image follows it.
    EnsureImage();
    QPainter painter(this);
    const QRect dirty = event->rect();
    const qreal ratio = devicePixelRatioF();
    painter.drawImage(dirty, Image(),
                      QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
    if (hasFocus() && m_keyboardCursor.Shown()) {
        m_keyboardCursor.Paint(painter, Image(), m_picture.Background().rgb(),
                               palette().color(QPalette::Highlight).rgb(), devicePixelRatioF());
    }
}

void Canvas::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyPicture();
        event->accept();
        return;
    }
    if (const auto direction = collinear::KeyboardCursor::ArrowDirection(event->key())) {
        if (m_keyboardCursor.StepBy(*direction)) {
            AnnounceKeyboardCursor();
        }
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        m_keyboardCursor.Show();
        const QPoint node = m_keyboardCursor.Node();
        emit pressed(static_cast<float>(node.x()), static_cast<float>(node.y()), Qt::NoButton,
                     event->modifiers());
        // Also after a refused press: the reader then says the point that
        // already stands there, and nothing more.
        AnnounceKeyboardCursor();
        event->accept();
        return;
    }
    default:
        QWidget::keyPressEvent(event);
        return;
    }
}

void Canvas::focusInEvent(QFocusEvent* event)
{
    m_keyboardCursor.FocusIn(event->reason() == Qt::TabFocusReason
                             || event->reason() == Qt::BacktabFocusReason);
    QWidget::focusInEvent(event);
}

void Canvas::focusOutEvent(QFocusEvent* event)
{
    m_keyboardCursor.FocusOut();
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
    m_keyboardCursor.StayInArea();
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
    m_keyboardCursor.FollowPress(pixel);
    emit pressed(static_cast<float>(pixel.x()), static_cast<float>(pixel.y()), event->button(),
                 event->modifiers());
    event->accept();
}

} // namespace collinear

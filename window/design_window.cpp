// The window's design at any size: the factor, the zoom steps and keys,
// full screen, Ctrl+wheel and the places of the controls at the factor.
#include "design_window.h"

#include "canvas.h"
#include "window_layout.h"
#include "zoomed_style.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace collinear {

namespace {

// The buttons' raised border, at the design's size.
constexpr int kButtonBorder = 2;

// Within this of a zoom step, the window is taken to stand at that step.
constexpr double kStepTolerance = 1e-6;

// A flat face of exactly the design's colour: a style sheet keeps the
// platform style from painting a gradient over it. The borders are as wide
// as the window's factor makes the design's two pixels.
QString ButtonStyleSheet(const QColor& face, int border)
{
    return QStringLiteral("QPushButton { background-color: %1; color: black;"
                          " border: %3px outset %2; padding: 0px; }"
                          "QPushButton:pressed { border-style: inset; }"
                          "QPushButton:focus { border: %3px solid black; }")
        .arg(face.name(), face.lighter(150).name())
        .arg(border);
}

// The window's size with the design drawn at `factor`.
QSize WindowSizeAt(double factor)
{
    return DesignTransform(factor, QPoint(0, 0)).ToScreen(QRect(QPoint(0, 0), kWindowSize)).size();
}

} // namespace

DesignWindow::DesignWindow(QWidget* parent)
    : QWidget(parent)
    , m_style(new ZoomedStyle)
{
    m_style->setParent(this);
}

void DesignWindow::Place(QWidget* control, const QRect& design)
{
    m_designGeometry.emplace_back(control, design);
    control->setGeometry(m_transform.ToScreen(design));
}

void DesignWindow::PlaceButton(QPushButton* button, const QString& caption, const QRect& design,
                               const QColor& face)
{
    button->setText(caption);
    Place(button, design);
    button->setFocusPolicy(Qt::StrongFocus);
    // Return and Enter press a focused button, as Space does.
    button->setAutoDefault(true);
    m_buttonFaces.emplace_back(button, face);
    button->setStyleSheet(ButtonStyleSheet(face, m_transform.ToScreen(kButtonBorder)));
}

void DesignWindow::StyleControls()
{
    for (QWidget* control : findChildren<QWidget*>()) {
        if (qobject_cast<QPushButton*>(control) == nullptr) {
            control->setStyle(m_style);
        }
    }
}

double DesignWindow::LargestFactor() const
{
    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return 1.0;
    }
    const QSize room = shownOn->geometry().size();
    return std::max(1.0,
                    std::min(static_cast<double>(room.width()) / kWindowSize.width(),
                             static_cast<double>(room.height()) / kWindowSize.height()));
}

double DesignWindow::SmallestFactor() const
{
    // The window's least size, the design's on the desktop; a page lets
    // the window be as small as the page is.
    const QSize least = minimumSize();
    const double factor = std::min(static_cast<double>(least.width()) / kWindowSize.width(),
                                   static_cast<double>(least.height()) / kWindowSize.height());
    return std::clamp(factor, kSmallestFactor, 1.0);
}

void DesignWindow::FitDesign()
{
    double factor
        = DesignTransform::FactorToFit(kWindowSize, size(), SmallestFactor(), LargestFactor());
    // A window within a pixel of a zoom step's size stands at that step,
    // so that the next zoom key goes on from it.
    for (const double step : kZoomSteps) {
        if (std::abs(factor - step) * kWindowSize.height() < 1.0 && step <= LargestFactor()) {
            factor = step;
        }
    }
    const DesignTransform transform = DesignTransform::Centred(kWindowSize, size(), factor);
    if (transform == m_transform) {
        return;
    }
    const bool rescaled = factor != m_transform.Factor();
    m_transform = transform;
    // The style and the font first, the places last: the report panel and
    // the canvas wrap their lines and paint their picture once, at the
    // new size.
    if (rescaled) {
        m_style->SetFactor(factor);
        for (QWidget* control : findChildren<QWidget*>()) {
            if (control->style() == m_style) {
                QEvent styleChange(QEvent::StyleChange);
                QCoreApplication::sendEvent(control, &styleChange);
            }
        }
        QFont font = WindowFont();
        font.setPointSizeF(font.pointSizeF() * factor);
        setFont(font);
        const int border = m_transform.ToScreen(kButtonBorder);
        for (const auto& [button, face] : m_buttonFaces) {
            button->setStyleSheet(ButtonStyleSheet(face, border));
            // A control polished by a style sheet no longer follows the
            // window's font; it is given the font itself.
            button->setFont(font);
        }
    }
    for (const auto& [control, design] : m_designGeometry) {
        // The canvas paints its picture again at the factor, crisp.
        if (auto* canvas = qobject_cast<Canvas*>(control)) {
            canvas->SetDesignGeometry(m_transform.ToScreen(design), factor);
        } else {
            control->setGeometry(m_transform.ToScreen(design));
        }
    }
    update();
}

QSize DesignWindow::FrameSize() const
{
    return frameGeometry().size() - size();
}

void DesignWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (!isFullScreen() && !isMaximized()) {
        m_normalFrame = FrameSize();
    }
}

void DesignWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!isFullScreen() && !isMaximized()) {
        m_normalFrame = FrameSize();
    }
    FitDesign();
}

void DesignWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_leaveFullScreen != nullptr) {
        m_leaveFullScreen->setEnabled(isFullScreen());
    }
}

void DesignWindow::ZoomTo(double factor)
{
    if (isFullScreen() || isMaximized()) {
        showNormal();
    }
    const QSize wanted = WindowSizeAt(factor);
    // A window that grows past the screen's edge moves back onto it.
    if (const QScreen* shownOn = screen()) {
        const QRect room = shownOn->availableGeometry();
        const QSize frame = wanted + (frameGeometry().size() - size());
        const QPoint at = frameGeometry().topLeft();
        const QPoint onScreen(std::clamp(at.x(), room.left(),
                                         std::max(room.left(), room.right() + 1 - frame.width())),
                              std::clamp(at.y(), room.top(),
                                         std::max(room.top(), room.bottom() + 1 - frame.height())));
        if (onScreen != at) {
            move(onScreen);
        }
    }
    resize(wanted);
}

bool DesignWindow::FitsTheScreen(double factor) const
{
    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return true;
    }
    // The window and its frame stay on the screen's free area. Full screen
    // or maximised it has no frame of its own, but it will have once the
    // zoom brings it back to a size of its own.
    const QSize frame = isFullScreen() || isMaximized() ? m_normalFrame : FrameSize();
    const QSize room = shownOn->availableGeometry().size() - frame;
    const QSize wanted = WindowSizeAt(factor);
    return wanted.width() <= room.width() && wanted.height() <= room.height();
}

void DesignWindow::ZoomIn()
{
    const double current = m_transform.Factor();
    for (const double step : kZoomSteps) {
        if (step > current + kStepTolerance) {
            if (FitsTheScreen(step)) {
                ZoomTo(step);
            }
            return;
        }
    }
}

void DesignWindow::ZoomOut()
{
    // The largest step below the factor, which may lie between steps (full
    // screen, a maximised window), that the screen's free area holds, as
    // ZoomIn would choose it; the design's size always.
    const double current = m_transform.Factor();
    double smaller = 0.0;
    for (const double step : kZoomSteps) {
        if (step < current - kStepTolerance && (step == 1.0 || FitsTheScreen(step))) {
            smaller = step;
        }
    }
    if (smaller > 0.0) {
        ZoomTo(smaller);
    }
}

void DesignWindow::ZoomReset()
{
    ZoomTo(1.0);
}

void DesignWindow::ToggleFullScreen()
{
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
}

bool DesignWindow::TurnZoomWheel(const QWheelEvent& event)
{
    if (!event.modifiers().testFlag(Qt::ControlModifier)) {
        return false;
    }
    const int delta = event.angleDelta().y();
    if (m_zoomWheelRemainder != 0 && (m_zoomWheelRemainder > 0) != (delta > 0)) {
        m_zoomWheelRemainder = 0;
    }
    m_zoomWheelRemainder += delta;
    const int notches = m_zoomWheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    m_zoomWheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
    // Away from the pupil makes larger, as in a browser.
    for (int notch = 0; notch < std::abs(notches); ++notch) {
        if (notches > 0) {
            ZoomIn();
        } else {
            ZoomOut();
        }
    }
    return true;
}

void DesignWindow::wheelEvent(QWheelEvent* event)
{
    if (TurnZoomWheel(*event)) {
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

bool DesignWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+wheel zooms over every control, before a list or the report
    // panel takes the wheel for itself.
    if (event->type() == QEvent::Wheel && TurnZoomWheel(*static_cast<QWheelEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DesignWindow::AddZoomKeys()
{
    // As in a browser; Ctrl+= too, where Ctrl+Plus needs Shift.
    auto* zoomIn = new QShortcut(this);
    zoomIn->setKeys({QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(zoomIn, &QShortcut::activated, this, &DesignWindow::ZoomIn);
    auto* zoomOut = new QShortcut(QKeySequence::ZoomOut, this);
    connect(zoomOut, &QShortcut::activated, this, &DesignWindow::ZoomOut);
    auto* zoomReset = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), this);
    connect(zoomReset, &QShortcut::activated, this, &DesignWindow::ZoomReset);
    auto* fullScreen = new QShortcut(this);
    QList<QKeySequence> fullScreenKeys = QKeySequence::keyBindings(QKeySequence::FullScreen);
    if (!fullScreenKeys.contains(QKeySequence(Qt::Key_F11))) {
        fullScreenKeys.append(QKeySequence(Qt::Key_F11));
    }
    fullScreen->setKeys(fullScreenKeys);
    connect(fullScreen, &QShortcut::activated, this, &DesignWindow::ToggleFullScreen);
    m_leaveFullScreen = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_leaveFullScreen->setEnabled(false);
    connect(m_leaveFullScreen, &QShortcut::activated, this, &DesignWindow::showNormal);
}

} // namespace collinear

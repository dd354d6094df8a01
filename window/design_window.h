// The window's design at any size: the factor it is drawn at, the zoom
// steps and keys, full screen, Ctrl+wheel, and each control's place at the
// factor.
#pragma once

#include "design_transform.h"

#include <QColor>
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

class QPushButton;
class QShortcut;
class QWheelEvent;

namespace collinear {

class ZoomedStyle;

// A window that draws its design, 481 x 429 design pixels, at one factor
// z = min(width / 481, height / 429), between the smallest and the largest
// the screen allows, centred; the window's colour fills the rest. At the
// design's size nothing differs from a window that cannot grow. The window
// that derives from it creates the controls and places them here.
class DesignWindow : public QWidget {
    Q_OBJECT

public:
    // The factors the zoom keys step through, as a browser's do.
    static constexpr std::array<double, 6> kZoomSteps{1.0, 1.25, 1.5, 2.0, 2.5, 3.0};
    // The window grows to the next step that its screen has room for, or
    // shrinks to the step before; ZoomReset brings back the design's size.
    // Views only: nothing the pupil did changes, and undo keeps no step.
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    // The design's factor and where the design stands in the window: the
    // largest factor at which the whole design fits, centred.
    [[nodiscard]] const DesignTransform& Transform() const { return m_transform; }
    // The largest factor the window's screen can show.
    [[nodiscard]] double LargestFactor() const;
    // The smallest factor the window may draw the design at: 1 where the
    // window is never smaller than the design, less in a page on a small
    // screen.
    [[nodiscard]] double SmallestFactor() const;
    // Below this the captions are too small to draw.
    static constexpr double kSmallestFactor = 0.25;
    // Each control's place in design pixels, as the design lays it out.
    [[nodiscard]] const std::vector<std::pair<QWidget*, QRect>>& DesignGeometry() const
    {
        return m_designGeometry;
    }

protected:
    explicit DesignWindow(QWidget* parent = nullptr);

    // Puts a control at its design place, at the window's factor.
    void Place(QWidget* control, const QRect& design);
    void PlaceButton(QPushButton* button, const QString& caption, const QRect& design,
                     const QColor& face);
    // Every control but the buttons, whose style sheets draw them, is drawn
    // by the platform's style at the window's factor.
    void StyleControls();
    // The zoom keys and full screen, wherever the focus is in the window.
    void AddZoomKeys();

    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Ctrl+wheel over any control that watches for the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Lays the design out again for the window's size.
    void FitDesign();
    void ZoomTo(double factor);
    // Whether the window at `factor`, with its frame, fits the free area of
    // its screen.
    [[nodiscard]] bool FitsTheScreen(double factor) const;
    // What the window's frame adds to its size now.
    [[nodiscard]] QSize FrameSize() const;
    // Ctrl+wheel anywhere in the window, by whole notches; true when taken.
    bool TurnZoomWheel(const QWheelEvent& event);
    void ToggleFullScreen();

    DesignTransform m_transform;
    std::vector<std::pair<QWidget*, QRect>> m_designGeometry;
    // Each button with the colour of its face, in the order placed.
    std::vector<std::pair<QPushButton*, QColor>> m_buttonFaces;
    ZoomedStyle* m_style = nullptr;
    QShortcut* m_leaveFullScreen = nullptr;
    // What the window's frame adds to its size when it is neither full
    // screen nor maximised, as last seen so.
    QSize m_normalFrame{0, 0};
    // Eighths of a degree turned with Ctrl held since the last whole notch.
    int m_zoomWheelRemainder = 0;
};

} // namespace collinear

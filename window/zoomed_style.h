// The platform's style, drawn at the window's design factor.
#pragma once

#include <QProxyStyle>

class QWidget;

namespace collinear {

// The platform's style, drawn at the window's design factor: frames,
// scroll bars and their arrows, and the margins round a list's row are as
// many times larger as the window is. A frame or a scroll bar is drawn by
// the platform's style at the design's size into an image of the control's
// device pixels, so it comes out as crisp as at a display scale of the
// same factor, never as an enlarged bitmap. At factor 1 everything goes
// straight to the platform's style.
class ZoomedStyle : public QProxyStyle {
    Q_OBJECT

public:
    ZoomedStyle();

    void SetFactor(double factor) { m_factor = factor; }
    [[nodiscard]] double Factor() const { return m_factor; }

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

private:
    // Runs `draw` with the option's rectangle at the design's size on a
    // painter whose device has the factor in its pixel ratio, then puts the
    // result where the option's rectangle is.
    template <typename Option, typename Draw>
    void DrawAtDesignSize(const Option& option, QPainter* painter, Draw draw) const;

    double m_factor = 1.0;
    // While something is drawn at the design's size, the metrics are the
    // design's too.
    mutable int m_drawingAtDesignSize = 0;
};

// The design factor of the window that `widget` is drawn for: that of its
// ZoomedStyle, or 1 for a widget drawn by any other style.
[[nodiscard]] double DesignFactorOf(const QWidget& widget);

// A length of the design in the widget's pixels, at least one unless 0.
[[nodiscard]] int DesignLengthOf(const QWidget& widget, int designPixels);

} // namespace collinear

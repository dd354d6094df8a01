// The one map between the window's design pixels and the screen, both ways.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <algorithm>
#include <cmath>
#include <utility>

namespace collinear {

// The one map between the window's design, in design pixels (twips / 15),
// and the screen: the design drawn at one factor, its origin at a whole
// widget pixel. Everything that places, paints or hit-tests a part of the
// design goes through it: the window's layout, the canvas's painting, its
// presses and its keyboard cursor. At factor 1 and origin (0, 0) it changes
// nothing.
class DesignTransform {
public:
    DesignTransform() = default;
    DesignTransform(double factor, QPoint origin)
        : m_factor(factor)
        , m_origin(origin)
    {
    }

    // The factor at which a design of `design` fills `available` without
    // being cut: the smaller of the two ratios, never below `smallest` (on
    // the desktop 1: the window is never smaller than the design) nor above
    // `largest`.
    [[nodiscard]] static double FactorToFit(QSize design, QSize available, double smallest,
                                            double largest)
    {
        const double fit = std::min(static_cast<double>(available.width()) / design.width(),
                                    static_cast<double>(available.height()) / design.height());
        return std::clamp(fit, smallest, std::max(smallest, largest));
    }

    // The design of `design` at `factor`, centred in `available`.
    [[nodiscard]] static DesignTransform Centred(QSize design, QSize available, double factor)
    {
        const QSize shown(static_cast<int>(std::lround(design.width() * factor)),
                          static_cast<int>(std::lround(design.height() * factor)));
        return {factor,
                QPoint(std::max(0, (available.width() - shown.width()) / 2),
                       std::max(0, (available.height() - shown.height()) / 2))};
    }

    [[nodiscard]] double Factor() const { return m_factor; }
    [[nodiscard]] QPoint Origin() const { return m_origin; }

    // A design length as whole screen pixels; 0 stays 0 and anything
    // else is at least one pixel.
    [[nodiscard]] int ToScreen(int length) const
    {
        const int scaled = static_cast<int>(std::lround(length * m_factor));
        return length == 0 ? 0 : std::max(1, scaled);
    }

    // Every edge is rounded on its own, so two rectangles that meet in the
    // design still meet on the screen, none that are apart come to overlap,
    // and those that overlap in the design still do.
    [[nodiscard]] QRect ToScreen(const QRect& design) const
    {
        const int left = Edge(design.left(), m_origin.x());
        const int top = Edge(design.top(), m_origin.y());
        const int right = Edge(design.left() + design.width(), m_origin.x());
        const int bottom = Edge(design.top() + design.height(), m_origin.y());
        return {left, top, right - left, bottom - top};
    }

    [[nodiscard]] QPointF ToScreen(const QPointF& design) const
    {
        return QPointF(m_origin) + design * m_factor;
    }

    [[nodiscard]] QRectF ToScreen(const QRectF& design) const
    {
        return {ToScreen(design.topLeft()), design.size() * m_factor};
    }

    // Which design pixel a device pixel of a picture painted at `ratio`
    // device pixels per design pixel shows: the one under the device pixel's
    // middle, as Qt's raster engine and every browser sample a picture. A
    // middle on the edge between two design pixels belongs to the right or
    // lower one, as the edge of a shape belongs to the shape to its right;
    // the hair keeps a division that lands just short of the edge there.
    [[nodiscard]] static int DesignPixelOfDevicePixel(int device, double ratio)
    {
        return static_cast<int>(std::floor((device + 0.5) / ratio + kHair));
    }

    // The device pixels that show design pixels `first` to `last`: the
    // inverse of DesignPixelOfDevicePixel, by the same rule.
    [[nodiscard]] static std::pair<int, int> DevicePixelsOfDesignPixels(int first, int last,
                                                                        double ratio)
    {
        const auto firstShowing = [ratio](int design) {
            int device = static_cast<int>(std::ceil(design * ratio - 0.5));
            while (DesignPixelOfDevicePixel(device, ratio) >= design) {
                --device;
            }
            while (DesignPixelOfDevicePixel(device, ratio) < design) {
                ++device;
            }
            return device;
        };
        return {firstShowing(first), firstShowing(last + 1) - 1};
    }

    // The design pixel that the picture shows at a position: the device
    // pixel that holds the position, then the design pixel that device pixel
    // shows (DesignPixelOfDevicePixel). `display` is the screen's device
    // pixels per widget pixel. A window is painted in whole device pixels,
    // and a widget whose place in it, `placeInWindow`, falls between device
    // pixels (at display scales that are not whole) has its picture moved to
    // the nearest one, as Qt's raster engine draws an image there.
    [[nodiscard]] QPoint FromScreen(const QPointF& screen, double display = 1.0,
                                    QPoint placeInWindow = {}) const
    {
        const double ratio = display * m_factor;
        const auto axis = [display, ratio](double position, int origin, int place) {
            const double device = std::floor((position + place) * display + kHair)
                - std::round((origin + place) * display);
            return DesignPixelOfDevicePixel(static_cast<int>(device), ratio);
        };
        return {axis(screen.x(), m_origin.x(), placeInWindow.x()),
                axis(screen.y(), m_origin.y(), placeInWindow.y())};
    }

    bool operator==(const DesignTransform&) const = default;

private:
    static constexpr double kHair = 1e-9;

    [[nodiscard]] int Edge(int design, int origin) const
    {
        return origin + static_cast<int>(std::lround(design * m_factor));
    }

    double m_factor = 1.0;
    QPoint m_origin{0, 0};
};

} // namespace collinear

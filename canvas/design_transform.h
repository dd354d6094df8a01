#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <algorithm>
#include <cmath>

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
    // being cut: the smaller of the two ratios, never below 1 (the window
    // is never smaller than the design) nor above `largest`.
    [[nodiscard]] static double FactorToFit(QSize design, QSize available, double largest)
    {
        const double fit = std::min(static_cast<double>(available.width()) / design.width(),
                                    static_cast<double>(available.height()) / design.height());
        return std::clamp(fit, 1.0, std::max(1.0, largest));
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

    // The design pixel that contains a screen position.
    [[nodiscard]] QPoint FromScreen(const QPointF& screen) const
    {
        // A press on a pixel's first edge belongs to it, though the division
        // may land a hair short.
        constexpr double kEdge = 1e-9;
        const QPointF design = (screen - QPointF(m_origin)) / m_factor;
        return {static_cast<int>(std::floor(design.x() + kEdge)),
                static_cast<int>(std::floor(design.y() + kEdge))};
    }

    bool operator==(const DesignTransform&) const = default;

private:
    [[nodiscard]] int Edge(int design, int origin) const
    {
        return origin + static_cast<int>(std::lround(design * m_factor));
    }

    double m_factor = 1.0;
    QPoint m_origin{0, 0};
};

} // namespace collinear

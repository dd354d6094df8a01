// The platform's style, drawn at the window's design factor.
#include "zoomed_style.h"

#include "design_transform.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyleOption>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace collinear {

ZoomedStyle::ZoomedStyle()
    : QProxyStyle(QApplication::style()->name())
{
}

int ZoomedStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const
{
    const int design = QProxyStyle::pixelMetric(metric, option, widget);
    if (m_factor == 1.0 || m_drawingAtDesignSize > 0) {
        return design;
    }
    switch (metric) {
    case PM_ScrollBarExtent:
    case PM_ScrollBarSliderMin:
    case PM_DefaultFrameWidth:
    case PM_FocusFrameHMargin:
    case PM_FocusFrameVMargin:
        return static_cast<int>(std::lround(design * m_factor));
    default:
        return design;
    }
}

template <typename Option, typename Draw>
void ZoomedStyle::DrawAtDesignSize(const Option& option, QPainter* painter, Draw draw) const
{
    const QRect shown = option.rect;
    if (m_factor == 1.0 || m_drawingAtDesignSize > 0 || shown.isEmpty()) {
        draw(option, painter);
        return;
    }
    // One image pixel to each device pixel of the control: the style draws
    // at the design's size into a device of the factor's pixel ratio.
    const qreal deviceRatio = painter->device()->devicePixelRatio();
    QImage image(QSize(static_cast<int>(std::ceil(shown.width() * deviceRatio)),
                       static_cast<int>(std::ceil(shown.height() * deviceRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(deviceRatio * m_factor);
    Option design(option);
    design.rect = QRect(0, 0, std::max(1, static_cast<int>(std::lround(shown.width() / m_factor))),
                        std::max(1, static_cast<int>(std::lround(shown.height() / m_factor))));
    {
        const QScopedValueRollback guard(m_drawingAtDesignSize, m_drawingAtDesignSize + 1);
        QPainter designPainter(&image);
        designPainter.setFont(painter->font());
        designPainter.setPen(painter->pen());
        designPainter.setBrush(painter->brush());
        draw(design, &designPainter);
    }
    painter->drawImage(QRectF(shown), image);
}

void ZoomedStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    if (element != CE_ShapedFrame || option == nullptr) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option)) {
        DrawAtDesignSize(*frame, painter, [&](const QStyleOptionFrame& design, QPainter* on) {
            QProxyStyle::drawControl(element, &design, on, widget);
        });
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void ZoomedStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const
{
    if (control == CC_ScrollBar) {
        if (const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            DrawAtDesignSize(*bar, painter, [&](const QStyleOptionSlider& design, QPainter* on) {
                QProxyStyle::drawComplexControl(control, &design, on, widget);
            });
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

double DesignFactorOf(const QWidget& widget)
{
    const auto* zoomed = qobject_cast<const ZoomedStyle*>(widget.style());
    return zoomed == nullptr ? 1.0 : zoomed->Factor();
}

int DesignLengthOf(const QWidget& widget, int designPixels)
{
    return DesignTransform(DesignFactorOf(widget), QPoint(0, 0)).ToScreen(designPixels);
}

} // namespace collinear

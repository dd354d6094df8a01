#pragma once

#include "canvas.h"

#include <QColor>
#include <QImage>

#include <cmath>

namespace collinear::testing {

// The colour of drawing-area pixel (x, y), read from the device pixel
// nearest its middle (at an even scale the middle falls between device
// pixels; the upper left one is taken).
inline QColor PixelAt(const Canvas& canvas, int x, int y)
{
    const QImage& image = canvas.Image();
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(std::ceil((x + 0.5) * ratio - 1.0)),
                            static_cast<int>(std::ceil((y + 0.5) * ratio - 1.0)));
}

inline bool IsWhite(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace collinear::testing

#pragma once

#include <cstdint>

namespace collinear {

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;

constexpr Rgb MakeRgb(int red, int green, int blue)
{
    return (static_cast<Rgb>(red & 0xff) << 16) | (static_cast<Rgb>(green & 0xff) << 8)
        | static_cast<Rgb>(blue & 0xff);
}

inline constexpr Rgb kWhite = MakeRgb(255, 255, 255);
// Colour 6 of the old 16-colour palette: the selected point.
inline constexpr Rgb kHighlight = MakeRgb(128, 128, 0);

inline constexpr int kDotPenWidth = 5;
inline constexpr int kSegmentPenWidth = 1;

// The drawing area as the procedures see it. Positions are drawing-area
// pixels, origin top-left, y downward. Dots without a colour and all segments
// use the area's foreground colour.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // Sets the background and fills the whole picture with it.
    virtual void SetBackground(Rgb colour) = 0;
    virtual void ClearCanvas() = 0;
    virtual void SetPenWidth(int width) = 0;
    // A filled round dot of diameter PenWidth centred on (x, y).
    virtual void PlotDot(float x, float y) = 0;
    virtual void PlotDot(float x, float y, Rgb colour) = 0;
    virtual void DrawSegment(float x1, float y1, float x2, float y2) = 0;
    virtual void SetPersistent(bool on) = 0;

protected:
    DrawingSurface() = default;
    DrawingSurface(const DrawingSurface&) = default;
    DrawingSurface& operator=(const DrawingSurface&) = default;
};

// A drawing surface that draws nothing: for a report made again from points
// whose lines are already on the picture, and for timing the search alone.
class NullSurface final : public DrawingSurface {
public:
    void SetBackground(Rgb /*colour*/) override { }
    void ClearCanvas() override { }
    void SetPenWidth(int /*width*/) override { }
    void PlotDot(float /*x*/, float /*y*/) override { }
    void PlotDot(float /*x*/, float /*y*/, Rgb /*colour*/) override { }
    void DrawSegment(float /*x1*/, float /*y1*/, float /*x2*/, float /*y2*/) override { }
    void SetPersistent(bool /*on*/) override { }
};

} // namespace collinear

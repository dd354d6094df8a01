// The design's measures: twips to pixels, the window's size and font.
#pragma once

#include <QFont>
#include <QRect>

namespace collinear {

// The window's design is laid out in twips, at 15 to the pixel; no design
// measure falls on half a pixel, so this rounds to the nearest.
constexpr int TwipsToPixels(int twips)
{
    return static_cast<int>((twips + 7) / 15);
}

constexpr QRect FromTwips(int left, int top, int width, int height)
{
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

inline constexpr QSize kWindowSize{TwipsToPixels(7215), TwipsToPixels(6435)};
inline constexpr QRect kReportPanelGeometry = FromTwips(120, 4440, 6975, 1935);

// Times New Roman 12 pt regular for the window and every control; where
// the font is missing, fontconfig's serif stands in.
inline QFont WindowFont()
{
    QFont font(QStringLiteral("Times New Roman"), 12);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::Serif);
    return font;
}

} // namespace collinear

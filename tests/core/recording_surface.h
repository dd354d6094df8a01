#pragma once

#include "drawing_surface.h"

#include <string>
#include <vector>

namespace collinear::testing {

// Records every drawing call as a line of text, so a test can assert what
// was drawn, in which order and with which pen.
class RecordingSurface : public DrawingSurface {
public:
    void SetBackground(Rgb colour) override { Record("background " + Hex(colour)); }
    void ClearCanvas() override { Record("clear"); }
    void SetPenWidth(int width) override
    {
        penWidth = width;
        Record("pen " + std::to_string(width));
    }
    void PlotDot(float x, float y) override { Record("dot " + Xy(x, y)); }
    void PlotDot(float x, float y, Rgb colour) override
    {
        Record("dot " + Xy(x, y) + " " + Hex(colour));
    }
    void DrawSegment(float x1, float y1, float x2, float y2) override
    {
        Record("segment " + Xy(x1, y1) + " " + Xy(x2, y2));
    }
    void SetPersistent(bool on) override { Record(on ? "persistent on" : "persistent off"); }

    std::vector<std::string> calls;
    int penWidth = 0;

private:
    void Record(std::string call) { calls.push_back(std::move(call)); }
    static std::string Xy(float x, float y) { return Number(x) + "," + Number(y); }
    static std::string Number(float value)
    {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (!text.empty() && text.back() == '.') {
            text.pop_back();
        }
        return text;
    }
    static std::string Hex(Rgb colour)
    {
        static const char* digits = "0123456789abcdef";
        std::string text = "#";
        for (int shift = 20; shift >= 0; shift -= 4) {
            text += digits[(colour >> shift) & 0xf];
        }
        return text;
    }
};

} // namespace collinear::testing

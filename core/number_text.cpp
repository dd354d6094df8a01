#include "number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace collinear {

std::string NumberToText(double value)
{
    if (value == 0.0) {
        return "0"; // also for -0, which would otherwise print a sign
    }
    // Fixed notation with the shortest digits that read back exactly: a
    // whole number never turns into "1e+09", which the parse could not read.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    if (result.ec != std::errc{}) {
        return "0";
    }
    return {buffer.data(), result.ptr};
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

double TextToNumber(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t start = pos;
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    double magnitude = 0.0;
    // from_chars wants at least one digit before or after the point; the
    // checks above guarantee it, and it never looks at the locale.
    const auto result = std::from_chars(text.data() + start, text.data() + pos, magnitude,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        magnitude = std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc{}) {
        return 0.0;
    }
    return negative ? -magnitude : magnitude;
}

namespace {

std::optional<double> RoundHalfEven(double value)
{
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5) {
        return floor;
    }
    if (fraction > 0.5) {
        return floor + 1.0;
    }
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <typename Int>
std::optional<Int> RoundToInt(double value)
{
    const auto rounded = RoundHalfEven(value);
    if (!rounded || *rounded < static_cast<double>(std::numeric_limits<Int>::min())
        || *rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(*rounded);
}

} // namespace

std::optional<std::int32_t> RoundToInt32(double value)
{
    return RoundToInt<std::int32_t>(value);
}

std::optional<std::int16_t> RoundToInt16(double value)
{
    return RoundToInt<std::int16_t>(value);
}

} // namespace collinear

#include "number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace collinear {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Exact decimal to double, whatever the process locale: the digits go to
// strtod as a whole number with a decimal exponent, a form with no radix
// character, which is the only part of strtod that a locale changes.
// (std::from_chars would do, but not every standard library the program is
// built with has it for floating point.)
double DigitsToMagnitude(std::string_view integerDigits, std::string_view fractionDigits)
{
    // Up to 15 digits the whole number is exact in a double, and so is a
    // power of ten up to 10^22: one division is then correctly rounded.
    // Every row text the program writes itself takes this way.
    if (integerDigits.size() + fractionDigits.size() <= 15) {
        std::int64_t whole = 0;
        for (const char digit : integerDigits) {
            whole = whole * 10 + (digit - '0');
        }
        double power = 1.0;
        for (const char digit : fractionDigits) {
            whole = whole * 10 + (digit - '0');
            power *= 10.0;
        }
        return static_cast<double>(whole) / power;
    }
    std::string scientific;
    scientific.reserve(integerDigits.size() + fractionDigits.size() + 8);
    scientific.append(integerDigits).append(fractionDigits);
    scientific.append("e-").append(std::to_string(fractionDigits.size()));
    // Too large reads as infinity and too small as zero, as strtod rounds them.
    return std::strtod(scientific.c_str(), nullptr);
}

// printf's fixed notation with the locale's decimal separator put back to
// a point; only that separator depends on the locale.
std::string FormatFixed(double value, int fractionDigits)
{
    const int length = std::snprintf(nullptr, 0, "%.*f", fractionDigits, value);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", fractionDigits, value);
    text.pop_back();
    const std::size_t separator = text.find_first_not_of("-0123456789");
    if (separator == std::string::npos) {
        return text;
    }
    const std::size_t fraction = std::min(text.find_first_of("0123456789", separator), text.size());
    return text.substr(0, separator) + '.' + text.substr(fraction);
}

} // namespace

std::string NumberToText(double value)
{
    if (value == 0.0) {
        return "0"; // also for -0, which would otherwise print a sign
    }
    if (!std::isfinite(value)) {
        const char* sign = std::signbit(value) ? "-" : "";
        return std::string(sign) + (std::isnan(value) ? "nan" : "inf");
    }
    // Fixed notation with the fewest digits that read back exactly: a whole
    // number never turns into "1e+09", which the parse could not read. A
    // whole number's exact digits are that shortest form: every candidate
    // has as many digits before the point, and the exact one is closest.
    if (std::trunc(value) == value) {
        if (std::fabs(value) < 0x1p63) {
            std::array<char, 24> buffer{};
            const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                              static_cast<std::int64_t>(value));
            return {buffer.data(), result.ptr};
        }
        return FormatFixed(value, 0);
    }
    // printf rounds correctly, so the first number of fraction digits that
    // reads back is the shortest. 1074 digits reach the smallest double.
    for (int fractionDigits = 1;; ++fractionDigits) {
        std::string text = FormatFixed(value, fractionDigits);
        if (fractionDigits >= 1074 || TextToNumber(text) == value) {
            return text;
        }
    }
}

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
    const std::size_t integerStart = pos;
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
    }
    const std::string_view integerDigits = text.substr(integerStart, pos - integerStart);
    std::string_view fractionDigits;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fractionStart = ++pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            ++pos;
        }
        fractionDigits = text.substr(fractionStart, pos - fractionStart);
    }
    if (integerDigits.empty() && fractionDigits.empty()) {
        return 0.0;
    }
    const double magnitude = DigitsToMagnitude(integerDigits, fractionDigits);
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

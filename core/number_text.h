#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace collinear {

// Number to row text: a whole number as plain decimal digits, a minus sign
// when negative, no decimal separator. The same text whatever the locale.
std::string NumberToText(double value);

// Row text to number: skips leading blanks, reads an optional sign, digits
// and an optional "." fraction, and ignores the rest. No leading number
// reads as 0.
double TextToNumber(std::string_view text);

// Round to nearest, ties to even. Empty when the value is not finite or the
// rounded value does not fit the integer type.
std::optional<std::int32_t> RoundToInt32(double value);
std::optional<std::int16_t> RoundToInt16(double value);

} // namespace collinear

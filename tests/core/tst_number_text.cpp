#include "number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <version>

namespace collinear {
namespace {

TEST(NumberToText, WholeNumbersArePlainDigits)
{
    EXPECT_EQ(NumberToText(0.0), "0");
    EXPECT_EQ(NumberToText(-0.0), "0");
    EXPECT_EQ(NumberToText(120.0), "120");
    EXPECT_EQ(NumberToText(-35.0), "-35");
    // Large whole numbers stay in plain digits, never in exponent form.
    EXPECT_EQ(NumberToText(1000000000.0), "1000000000");
    EXPECT_EQ(NumberToText(16777216.0), "16777216");
}

TEST(NumberToText, FractionsUseAPointAndReadBackExactly)
{
    EXPECT_EQ(NumberToText(2.5), "2.5");
    const double value = 10.300000190734863;
    EXPECT_EQ(TextToNumber(NumberToText(value)), value);
}

TEST(NumberToText, IsTheShortestFixedTextThatReadsBack)
{
    // The program's own conversions, not a library's, so they are the same
    // on every platform it is built for; these are the texts the shortest
    // round trip gives.
    const struct {
        double value;
        std::string text;
    } cases[] = {
        {0.1, "0.1"},
        {-1.5, "-1.5"},
        {1.0 / 3.0, "0.3333333333333333"},
        {1e21, "1000000000000000000000"},
        {9007199254740993.0, "9007199254740992"},
        {0x1p63, "9223372036854775808"},
        {-0x1p63, "-9223372036854775808"},
        {1e-7, "0.0000001"},
        {static_cast<double>(0.1F), "0.10000000149011612"},
        {std::numeric_limits<double>::denorm_min(), "0." + std::string(323, '0') + "5"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(NumberToText(value), text) << value;
        EXPECT_EQ(TextToNumber(text), value) << text;
    }
}

TEST(NumberText, EveryDoubleReadsBackExactly)
{
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 3000; ++i) {
        const std::uint64_t bits = random();
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) {
            continue;
        }
        const std::string text = NumberToText(value);
        EXPECT_EQ(TextToNumber(text), value == 0.0 ? 0.0 : value) << text;
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
        // Where the standard library has it, the same text as std::to_chars.
        std::string expected(1100, '\0');
        const auto result = std::to_chars(expected.data(), expected.data() + expected.size(), value,
                                          std::chars_format::fixed);
        expected.resize(static_cast<std::size_t>(result.ptr - expected.data()));
        if (value != 0.0) {
            EXPECT_EQ(text, expected);
        }
#endif
    }
}

TEST(TextToNumber, ReadsTheLeadingNumberOnly)
{
    EXPECT_EQ(TextToNumber("120"), 120.0);
    EXPECT_EQ(TextToNumber("  -35"), -35.0);
    EXPECT_EQ(TextToNumber("+7"), 7.0);
    EXPECT_EQ(TextToNumber("12abc"), 12.0);
    EXPECT_EQ(TextToNumber("12.5.3"), 12.5);
    EXPECT_EQ(TextToNumber(".5"), 0.5);
    EXPECT_EQ(TextToNumber("5."), 5.0);
    EXPECT_EQ(TextToNumber("1e3"), 1.0); // no exponents in row texts
    EXPECT_EQ(TextToNumber("12,5"), 12.0);
    // Beyond a double's range: too large is infinite, too small is zero.
    EXPECT_EQ(TextToNumber("1" + std::string(400, '0')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToNumber("-0." + std::string(400, '0') + "1"), 0.0);
}

TEST(TextToNumber, NoLeadingNumberReadsAsZero)
{
    EXPECT_EQ(TextToNumber(""), 0.0);
    EXPECT_EQ(TextToNumber("abc"), 0.0);
    EXPECT_EQ(TextToNumber("-"), 0.0);
    EXPECT_EQ(TextToNumber("."), 0.0);
    EXPECT_EQ(TextToNumber(" x12"), 0.0);
}

TEST(NumberText, IgnoresTheProcessLocale)
{
    // A locale with a decimal comma must not change either conversion.
    const char* previous = std::setlocale(LC_ALL, "bg_BG.UTF-8");
    if (previous == nullptr) {
        previous = std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    EXPECT_EQ(NumberToText(2.5), "2.5");
    EXPECT_EQ(NumberToText(15.0), "15");
    EXPECT_EQ(TextToNumber("2.5"), 2.5);
    std::setlocale(LC_ALL, "C");
}

TEST(RoundToInt, TiesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(3.5), 4);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(-3.5), -4);
    EXPECT_EQ(RoundToInt32(2.4999), 2);
    EXPECT_EQ(RoundToInt32(-0.4), 0);
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
}

TEST(RoundToInt, RefusesWhatDoesNotFit)
{
    EXPECT_FALSE(RoundToInt32(2147483647.5));
    EXPECT_TRUE(RoundToInt32(2147483647.4));
    EXPECT_TRUE(RoundToInt32(-2147483648.0));
    EXPECT_FALSE(RoundToInt32(-2147483649.0));
    EXPECT_FALSE(RoundToInt32(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(RoundToInt32(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(RoundToInt16(32767.5));
    EXPECT_FALSE(RoundToInt16(-32769.0));
}

} // namespace
} // namespace collinear

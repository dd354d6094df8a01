#include "number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

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

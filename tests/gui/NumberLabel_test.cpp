// The number display's digit algorithm: significant digits, rounding at the last digit shown,
// the carry into a new integer digit, and "!" when the integer digits do not fit.
#include "gui/NumberLabel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

std::string shown(float v, int digits) {
    char buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    const int n = NumberLabel::format(v, digits, buffer);
    EXPECT_LE(n, digits + 2) << "for " << v;
    EXPECT_EQ(buffer[n], '\0');
    EXPECT_EQ(buffer[digits + 3], '#') << "wrote past its room for " << v;
    return std::string(buffer, n);
}

TEST(NumberLabelFormat, FourSignificantDigits) {
    EXPECT_EQ(shown(12.5f, 4), "12.50");
    EXPECT_EQ(shown(0.123f, 4), "0.123");
    EXPECT_EQ(shown(0.0f, 4), "0.000");
    EXPECT_EQ(shown(1.0f, 4), "1.000");
    EXPECT_EQ(shown(999.0f, 4), "999.0");
    EXPECT_EQ(shown(1234.0f, 4), "1234");
}

TEST(NumberLabelFormat, RoundsAtTheLastShownDigit) {
    EXPECT_EQ(shown(9.9996f, 4), "10.00");   // the carry adds an integer digit
    EXPECT_EQ(shown(9.9994f, 4), "9.999");
    EXPECT_EQ(shown(0.0004f, 4), "0.000");
    EXPECT_EQ(shown(0.0006f, 4), "0.001");
    EXPECT_EQ(shown(2.71828f, 4), "2.718");
    EXPECT_EQ(shown(59.94f, 4), "59.94");
    EXPECT_EQ(shown(99.996f, 4), "100.0");
    EXPECT_EQ(shown(9999.6f, 4), "1000!");  // rounds up past the digits it has
}

TEST(NumberLabelFormat, NegativeNumbersGetASign) {
    EXPECT_EQ(shown(-0.5f, 4), "-0.500");
    EXPECT_EQ(shown(-12.5f, 4), "-12.50");
    EXPECT_EQ(shown(-12345.0f, 4), "-1234!");
}

TEST(NumberLabelFormat, TooManyIntegerDigitsEndInAnExclamationMark) {
    EXPECT_EQ(shown(12345.0f, 4), "1234!");
    EXPECT_EQ(shown(123.0f, 2), "12!");
    EXPECT_EQ(shown(1.0e30f, 4), "1000!");
}

TEST(NumberLabelFormat, OtherDigitCounts) {
    EXPECT_EQ(shown(7.0f, 1), "7");
    EXPECT_EQ(shown(7.6f, 1), "8");
    EXPECT_EQ(shown(3.0f, 2), "3.0");
    EXPECT_EQ(shown(60.0f, 4), "60.00");
    EXPECT_EQ(shown(1.0f / 3.0f, 6), "0.33333");  // the leading 0 counts as a digit
}

TEST(NumberLabelFormat, NonFiniteNumbersShowOverflowWithinTheirRoom) {
    EXPECT_EQ(shown(std::numeric_limits<float>::infinity(), 4), "!");
    EXPECT_EQ(shown(-std::numeric_limits<float>::infinity(), 4), "-!");
    EXPECT_EQ(shown(std::nanf(""), 4), "-!");
}

TEST(NumberLabelFormat, NoDigitsWritesNothing) {
    char buffer[4] = "xyz";
    EXPECT_EQ(NumberLabel::format(5.0f, 0, buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
}

}  // namespace

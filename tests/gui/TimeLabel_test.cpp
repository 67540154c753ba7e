// The time display: minutes wrapping at 10, seconds, milliseconds, the sign, and the
// single-precision 1/60 that the minutes are computed with.
#include "gui/TimeLabel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string shown(float t) {
    char buffer[16];
    const int n = TimeLabel::format(t, buffer);
    EXPECT_LE(n, 9);
    return std::string(buffer, n);
}

TEST(TimeLabelFormat, MinutesSecondsAndMilliseconds) {
    EXPECT_EQ(shown(0.0f), "0:00:000");
    EXPECT_EQ(shown(1.5f), "0:01:500");
    EXPECT_EQ(shown(75.5f), "1:15:500");
    EXPECT_EQ(shown(599.75f), "9:59:750");
}

TEST(TimeLabelFormat, NegativeTimesGetASign) {
    EXPECT_EQ(shown(-75.5f), "-1:15:500");
    EXPECT_EQ(shown(-0.25f), "-0:00:250");
}

TEST(TimeLabelFormat, MinutesWrapAtTen) {
    EXPECT_EQ(shown(605.0f), "0:05:000");
    EXPECT_EQ(shown(675.5f), "1:15:500");
}

TEST(TimeLabelFormat, MillisecondsTruncate) {
    // 0.1 is a little above or below in binary; whatever it is, the digits are truncated.
    const std::string tenth = shown(10.1f);
    EXPECT_TRUE(tenth == "0:10:100" || tenth == "0:10:099") << tenth;
    EXPECT_EQ(shown(2.9999f), "0:02:999");
}

TEST(TimeLabelFormat, SinglePrecisionSixtiethMissesExactMinutes) {
    // 60 x 0.016666666f rounds to just below 1, so a whole minute still counts as minute 0 and
    // its 60 seconds wrap to 0.
    EXPECT_LT(60.0f * 0.016666666f, 1.0f);
    EXPECT_EQ(shown(60.0f), "0:00:000");
    EXPECT_EQ(shown(60.5f), "1:00:500");
}

TEST(TimeLabelFormat, WildValuesStayInsideTheText) {
    EXPECT_EQ(shown(std::nanf("")), "-0:00:000");
    EXPECT_EQ(shown(INFINITY), "0:00:000");
    EXPECT_EQ(shown(1.0e12f), "0:00:000");
}

}  // namespace

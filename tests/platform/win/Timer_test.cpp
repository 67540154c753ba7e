#include "platform/win/win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(Timer, CountsMillisecondsLikeARealClock) {
    using Clock = std::chrono::steady_clock;
    DWORD first = timeGetTime();
    auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    DWORD last = timeGetTime();
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    DWORD counted = last - first;  // the counter wraps at 2^32: differences are unsigned
    EXPECT_GE(counted + 1, static_cast<DWORD>(250));
    EXPECT_LE(counted, static_cast<DWORD>(elapsed + 1));
}

TEST(Timer, PeriodsPairUp) {
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_GE(caps.wPeriodMax, caps.wPeriodMin);
    EXPECT_NE(timeGetDevCaps(nullptr, sizeof caps), TIMERR_NOERROR);
    EXPECT_NE(timeGetDevCaps(&caps, 1), TIMERR_NOERROR);

    EXPECT_NE(timeBeginPeriod(0), TIMERR_NOERROR);
    EXPECT_NE(timeEndPeriod(7), TIMERR_NOERROR);  // never begun
    EXPECT_EQ(timeBeginPeriod(7), TIMERR_NOERROR);
    EXPECT_EQ(timeBeginPeriod(7), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(7), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(7), TIMERR_NOERROR);
    EXPECT_NE(timeEndPeriod(7), TIMERR_NOERROR);
}

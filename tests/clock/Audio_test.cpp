#include "clock/Audio.h"

#include "platform/audio/bass.h"
#include "platform/win/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(Audio, StartTakesTheFinestTimerPeriodAndStopEndsIt) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ASSERT_TRUE(startAudio(nullptr));
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(timerPeriod, caps.wPeriodMin);
    BASS_INFO info;
    EXPECT_TRUE(BASS_GetInfo(&info));
    EXPECT_EQ(info.freq, 44100u);
    // A second start fails: the library is running already.
    EXPECT_FALSE(startAudio(nullptr));
    stopAudio();
    EXPECT_FALSE(BASS_GetInfo(&info));
    // The period was begun once, by the start that succeeded, and the stop ended it.
    EXPECT_NE(timeEndPeriod(timerPeriod), TIMERR_NOERROR);
    // It starts again after a stop.
    ASSERT_TRUE(startAudio(nullptr));
    stopAudio();
}

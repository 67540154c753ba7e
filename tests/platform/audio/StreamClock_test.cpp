#include "platform/audio/StreamClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double rate = 44100;
constexpr double buffer = 512;                // frames per report
constexpr double period = buffer / rate;      // seconds between reports
constexpr double latency = period;            // a buffer is heard once the one before it has played

}  // namespace

TEST(StreamClock, HoldsTheStartUntilTheFirstBufferIsHeard) {
    StreamClock clock;
    clock.start(1000, 1e12);
    EXPECT_EQ(clock.heard(5.0), 1000);
    clock.handed(1000, 1000 + buffer, 5.0, 5.0 + latency, rate);
    EXPECT_EQ(clock.heard(5.0), 1000);
    EXPECT_EQ(clock.heard(5.0 + latency - 0.001), 1000);
    EXPECT_NEAR(clock.heard(5.0 + latency + 0.005), 1000 + 0.005 * rate, 1e-6);
    // Never beyond what the output has taken, however late the next report is.
    EXPECT_EQ(clock.heard(9.0), 1000 + buffer);
}

TEST(StreamClock, ExactReportsGiveAStraightLine) {
    StreamClock clock;
    clock.start(0, 1e12);
    const double t0 = 100.0;
    for (int k = 0; k < 200; ++k) {
        double now = t0 + k * period;
        clock.handed(k * buffer, (k + 1) * buffer, now, now + latency, rate);
        for (double dt = 0; dt < period; dt += period / 7) {
            double t = now + latency + dt;
            EXPECT_NEAR(clock.heard(t), (t - t0 - latency) * rate, 1e-6) << "report " << k;
        }
    }
}

TEST(StreamClock, JitteredReportsNeitherStepNorRunBackwards) {
    // A sound card takes buffers at exact times, but the reports of them arrive with scheduling
    // jitter of up to 2 ms: the clock must stay close to the card without stepping.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-0.002, 0.002);
    StreamClock clock;
    clock.start(0, 1e12);
    const double t0 = 50.0;
    double previous = 0;
    double largestStep = 0;
    double largestError = 0;
    const double sample = 0.001;  // a reader asking every millisecond
    double next = t0 + latency;
    for (int k = 0; k < 1000; ++k) {
        double reported = t0 + k * period + jitter(random);
        clock.handed(k * buffer, (k + 1) * buffer, reported, reported + latency, rate);
        double until = t0 + (k + 1) * period;
        for (; next < until; next += sample) {
            double heard = clock.heard(next);
            double truth = (next - t0 - latency) * rate;
            ASSERT_GE(heard, previous) << "ran backwards at report " << k;
            if (k > 10) {
                largestStep = std::max(largestStep, heard - previous);
                largestError = std::max(largestError, std::fabs(heard - truth));
            }
            previous = heard;
        }
    }
    EXPECT_LT(largestError / rate, 0.0025);
    // A millisecond of reading moves the clock about a millisecond, never a buffer's length.
    EXPECT_LT(largestStep / rate, 0.0015);
    EXPECT_GT(largestStep / rate, 0.0005);
}

TEST(StreamClock, ReportsTensOfMillisecondsOffBendTheSlopeAtMostATenth) {
    // From some report on, the card says its buffers are heard 40 ms earlier (or later) than
    // before: short of a jump, the clock works the error off, running at most 10% fast or slow
    // meanwhile, or motion timed by it would lurch.
    for (double error : {0.04, -0.04}) {
        SCOPED_TRACE(error);
        StreamClock clock;
        clock.start(0, 1e12);
        const double t0 = 10.0;
        for (int k = 0; k < 28; ++k) {
            double now = t0 + k * period;
            double off = k < 20 ? 0 : error;
            clock.handed(k * buffer, (k + 1) * buffer, now, now + latency - off, rate);
            if (k >= 20) {
                double speed = (clock.heard(now + period) - clock.heard(now)) / period / rate;
                EXPECT_LE(std::fabs(speed - 1), 0.1 + 1e-9) << "report " << k;
                EXPECT_GT((speed - 1) * error, 0) << "report " << k << ": the error is worked off";
            }
        }
    }
}

TEST(StreamClock, StopsAtTheEndOfTheStream) {
    StreamClock clock;
    const double total = 1200;  // frames; the third buffer is partly filled
    clock.start(0, total);
    clock.handed(0, 512, 1.0, 1.0 + latency, rate);
    clock.handed(512, 1024, 1.0 + period, 1.0 + period + latency, rate);
    clock.handed(1024, total, 1.0 + 2 * period, 1.0 + 2 * period + latency, rate);
    clock.handed(total, total, 1.0 + 3 * period, 1.0 + 3 * period + latency, rate);
    EXPECT_LT(clock.heard(1.0 + 2 * period + latency), total);
    EXPECT_EQ(clock.heard(1.0 + 5 * period + latency), total);
    EXPECT_EQ(clock.heard(1000.0), total);
}

TEST(StreamClock, FollowsAStalledOutputOnceItGoesOn) {
    StreamClock clock;
    clock.start(0, 1e12);
    for (int k = 0; k < 20; ++k) {
        clock.handed(k * buffer, (k + 1) * buffer, k * period, k * period + latency, rate);
    }
    // The output stopped taking samples for half a second, then went on from where it was.
    const double resume = 20 * period + 0.5;
    EXPECT_EQ(clock.heard(resume), 20 * buffer);  // held at what the output had taken
    clock.handed(20 * buffer, 21 * buffer, resume, resume + latency, rate);
    EXPECT_NEAR(clock.heard(resume + latency + 0.002), 20 * buffer + 0.002 * rate, 1e-6);
}

TEST(StreamClock, RunsOnTimeAloneForTheSilentOutput) {
    // Nobody hears the silent output: its time line is the clock's, however its thread is
    // scheduled, from the start position to the end.
    StreamClock clock;
    clock.startFreeRunning(500, 500 + rate, 2.0, rate);
    EXPECT_EQ(clock.heard(1.9), 500);
    EXPECT_NEAR(clock.heard(2.25), 500 + 0.25 * rate, 1e-6);
    clock.handed(0, 100, 2.3, 2.4, rate);  // reports change nothing
    EXPECT_NEAR(clock.heard(2.5), 500 + 0.5 * rate, 1e-6);
    EXPECT_EQ(clock.heard(3.5), 500 + rate);
}

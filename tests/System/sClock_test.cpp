#include "LIBS/System/sClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Steady = std::chrono::steady_clock;

double MillisecondsSince(Steady::time_point t)
{
    return std::chrono::duration<double, std::milli>(Steady::now() - t).count();
}

// The record is program-wide: this test comes first so that it sees the
// record before anything has measured.
TEST(sClock, StartsUncalibratedAndMeasuresOnce)
{
    sClock& c = sClock::instance();
    EXPECT_EQ(&c, &sClock::instance());
    EXPECT_EQ(c.calibrated, 0);
    EXPECT_EQ(c.cyclesPerSecond, 0u);
    EXPECT_EQ(sClock::elapsedMilliseconds(ReadTimeStamp()), 0);

    auto t0 = Steady::now();
    ASSERT_TRUE(sClock::ensureCalibrated());
    EXPECT_GE(MillisecondsSince(t0), 500.0);
    EXPECT_EQ(c.calibrated, 1);
    const uint64_t rate = c.cyclesPerSecond;
    EXPECT_GT(rate, 0u);

    // Calibrated: no second measurement.
    t0 = Steady::now();
    EXPECT_TRUE(sClock::ensureCalibrated());
    EXPECT_LT(MillisecondsSince(t0), 100.0);
    EXPECT_EQ(c.cyclesPerSecond, rate);
}

TEST(sClock, RateIsPerSecondWhateverTheInterval)
{
    sClock& c = sClock::instance();
    for (uint64_t ms : {40u, 120u}) {
        const auto t0 = Steady::now();
        ASSERT_TRUE(MeasureCpuClock(ms));
        EXPECT_GE(MillisecondsSince(t0), double(ms));
        // The time stamp counts nanoseconds of a monotonic clock: about 1e9
        // a second, more when the busy wait overshoots or is preempted.
        EXPECT_GE(c.cyclesPerSecond, 990000000u) << ms;
        EXPECT_LE(c.cyclesPerSecond, 1500000000u) << ms;
    }
    const uint64_t before = c.cyclesPerSecond;
    EXPECT_FALSE(MeasureCpuClock(0));
    EXPECT_EQ(c.cyclesPerSecond, before);
    EXPECT_EQ(c.calibrated, 1);
}

TEST(sClock, ElapsedMilliseconds)
{
    ASSERT_TRUE(sClock::ensureCalibrated());
    const uint64_t start = ReadTimeStamp();
    EXPECT_GE(ReadTimeStamp(), start);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const int64_t ms = sClock::elapsedMilliseconds(start);
    EXPECT_GE(ms, 55);
    EXPECT_LT(ms, 2000);
}

} // namespace

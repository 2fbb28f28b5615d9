#include "LIBS/System/sClock.h"

#include <chrono>

namespace {

// The reference the rate is measured against, in nanoseconds.
uint64_t referenceNanoseconds()
{
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

} // namespace

sClock& sClock::instance()
{
    static sClock clock{};
    return clock;
}

bool sClock::ensureCalibrated()
{
    sClock& c = instance();
    if (!c.calibrated)
        c.calibrated = MeasureCpuClock(500) ? 1 : 0;
    return c.calibrated != 0;
}

int64_t sClock::elapsedMilliseconds(uint64_t start)
{
    const sClock& c = instance();
    if (!c.calibrated || c.cyclesPerSecond == 0)
        return 0;
    const uint64_t now = ReadTimeStamp();
    const double cycles = now >= start ? double(now - start) : -double(start - now);
    return int64_t(cycles / double(c.cyclesPerSecond) * 1000.0);
}

// A monotonic clock runs at the same rate on every processor, so, unlike a
// per-processor cycle counter, it needs no pinning to one processor and no
// raised priority while it is measured.
uint64_t ReadTimeStamp()
{
    return referenceNanoseconds();
}

bool MeasureCpuClock(uint64_t milliseconds)
{
    // A zero interval would divide by zero below.
    if (milliseconds == 0)
        return false;
    const uint64_t ticks = uint64_t(1000000000) * milliseconds / 1000;
    const uint64_t p0 = referenceNanoseconds();
    const uint64_t s0 = ReadTimeStamp();
    while (int64_t(referenceNanoseconds() - p0) < int64_t(ticks)) {
    }
    const uint64_t s1 = ReadTimeStamp();
    // Divided by the time that really passed, not the interval asked for: a
    // wait preempted at its end would otherwise count the delay as clock rate.
    const uint64_t p1 = referenceNanoseconds();
    const uint64_t rate = uint64_t(double(s1 - s0) * 1e9 / double(p1 - p0));
    if (rate == 0)
        return false;
    sClock& c = sClock::instance();
    c.cyclesPerSecond = rate;
    c.calibrated = 1;
    return true;
}

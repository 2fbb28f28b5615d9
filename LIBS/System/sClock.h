#pragma once

// Profiling clock for timings in log lines. The time stamp is a monotonic
// counter; its rate is measured once and kept in one program-wide record.

#include <cstdint>

struct sClock
{
    uint64_t cyclesPerSecond; // measured rate of ReadTimeStamp, 0 until measured
    uint8_t calibrated;       // 1 once cyclesPerSecond is valid

    // The record, zeroed on first use and kept to the end of the program.
    static sClock& instance();

    // The callers' pattern: measure over 500 ms unless already measured.
    // Returns whether the rate is known.
    static bool ensureCalibrated();

    // Whole milliseconds since a time stamp; 0 while the rate is unknown.
    static int64_t elapsedMilliseconds(uint64_t start);
};

// The current time stamp (a count that only grows).
uint64_t ReadTimeStamp();

// Measures the time-stamp rate over the given interval by busy-waiting on
// the operating system's clock, stores it and sets calibrated. False (the
// record left as it was) when the rate comes out 0 or the interval is 0.
bool MeasureCpuClock(uint64_t milliseconds);

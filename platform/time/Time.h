#pragma once
// Clocks, multimedia timers, critical sections and events.
//
// timeGetTime and the performance counter read one time source: the system's
// monotonic clock, or a clock a test puts in its place. The timers run on their own
// thread (one thread for all of them, so their callbacks never overlap) and always
// use real time.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace platform {

// Milliseconds, wrapping at 2^32.
uint32_t timeGetTime();
bool QueryPerformanceCounter(int64_t* count);
bool QueryPerformanceFrequency(int64_t* frequency); // counts per second
void Sleep(uint32_t milliseconds);

// Nanoseconds on any fixed origin. An empty function restores the system clock.
using TimeSource = std::function<uint64_t()>;
void SetTimeSource(TimeSource source);

// A clock for tests: time moves only when the test says so.
class ManualClock
{
public:
    explicit ManualClock(uint64_t startMs = 0) : ns_(startMs * 1000000ull) {}
    void AdvanceMs(uint64_t ms) { ns_ += ms * 1000000ull; }
    void SetMs(uint64_t ms) { ns_ = ms * 1000000ull; }
    uint64_t Nanoseconds() const { return ns_; }
    // Installs this clock as the time source.
    void Install()
    {
        SetTimeSource([this] { return ns_; });
    }

private:
    uint64_t ns_;
};

constexpr uint32_t TIME_ONESHOT = 0x0000;
constexpr uint32_t TIME_PERIODIC = 0x0001;
constexpr uint32_t TIMERR_NOERROR = 0;
constexpr uint32_t MMSYSERR_INVALPARAM = 11;

using LPTIMECALLBACK = void (*)(uint32_t timerId, uint32_t msg, uintptr_t user, uintptr_t dw1, uintptr_t dw2);

// Starts a timer: after `delayMs` (at least 1), then every `delayMs` when periodic.
// Returns its id, 0 on failure.
uint32_t timeSetEvent(uint32_t delayMs, uint32_t resolutionMs, LPTIMECALLBACK callback, uintptr_t user,
                      uint32_t flags);
// Stops a timer. When its callback is running on the timer thread, waits for it to
// end (unless called from that callback), so nothing runs after the kill returns.
uint32_t timeKillEvent(uint32_t timerId);
inline uint32_t timeBeginPeriod(uint32_t)
{
    return TIMERR_NOERROR;
}
inline uint32_t timeEndPeriod(uint32_t)
{
    return TIMERR_NOERROR;
}

// A critical section: re-entrant on the owning thread.
class CriticalSection
{
public:
    void Enter() { mutex_.lock(); }
    bool TryEnter() { return mutex_.try_lock(); }
    void Leave() { mutex_.unlock(); }
    // For std::lock_guard.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex mutex_;
};

constexpr uint32_t INFINITE = 0xFFFFFFFFu;
constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_TIMEOUT = 0x102;

// An event object: a manual-reset event stays set until Reset; an auto-reset event
// lets one waiter through and clears itself.
class Event
{
public:
    explicit Event(bool manualReset = true, bool initialState = false)
        : manual_(manualReset), set_(initialState)
    {
    }
    void Set();
    void Reset();
    bool IsSet() const;
    // WAIT_OBJECT_0 or WAIT_TIMEOUT.
    uint32_t Wait(uint32_t timeoutMs = INFINITE);

private:
    bool manual_;
    bool set_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
};

inline uint32_t WaitForSingleObject(Event& event, uint32_t timeoutMs)
{
    return event.Wait(timeoutMs);
}

} // namespace platform

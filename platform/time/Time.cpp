#include "platform/time/Time.h"

#include <chrono>
#include <map>
#include <thread>

namespace platform {

namespace {

std::mutex sourceMutex;
TimeSource timeSource;

uint64_t Now()
{
    {
        std::lock_guard<std::mutex> lock(sourceMutex);
        if (timeSource)
            return timeSource();
    }
    return uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

using Clock = std::chrono::steady_clock;

struct Timer
{
    uint32_t periodMs;
    bool periodic;
    LPTIMECALLBACK callback;
    uintptr_t user;
    Clock::time_point due;
};

// Lives for the whole process; its thread is detached and sleeps while no timer exists.
struct TimerQueue
{
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
    std::map<uint32_t, Timer> timers;
    uint32_t nextId = 1;
    uint32_t running = 0;
    std::thread::id threadId;
    bool started = false;

    void Loop()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (timers.empty()) {
                wake.wait(lock);
                continue;
            }
            auto first = timers.begin();
            for (auto it = timers.begin(); it != timers.end(); ++it)
                if (it->second.due < first->second.due)
                    first = it;
            Clock::time_point due = first->second.due;
            if (Clock::now() < due) {
                wake.wait_until(lock, due);
                continue;
            }
            uint32_t id = first->first;
            Timer t = first->second;
            if (t.periodic) {
                first->second.due += std::chrono::milliseconds(t.periodMs);
                // Late by more than a period (a loaded machine): do not fire a burst.
                if (first->second.due < Clock::now())
                    first->second.due = Clock::now() + std::chrono::milliseconds(t.periodMs);
            } else {
                timers.erase(first);
            }
            running = id;
            lock.unlock();
            t.callback(id, 0, t.user, 0, 0);
            lock.lock();
            running = 0;
            finished.notify_all();
        }
    }
};

TimerQueue& Queue()
{
    static TimerQueue* queue = new TimerQueue;
    return *queue;
}

} // namespace

void SetTimeSource(TimeSource source)
{
    std::lock_guard<std::mutex> lock(sourceMutex);
    timeSource = std::move(source);
}

uint32_t timeGetTime()
{
    return uint32_t(Now() / 1000000ull);
}

bool QueryPerformanceCounter(int64_t* count)
{
    if (!count)
        return false;
    *count = int64_t(Now());
    return true;
}

bool QueryPerformanceFrequency(int64_t* frequency)
{
    if (!frequency)
        return false;
    *frequency = 1000000000;
    return true;
}

void Sleep(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t timeSetEvent(uint32_t delayMs, uint32_t, LPTIMECALLBACK callback, uintptr_t user, uint32_t flags)
{
    if (!callback)
        return 0;
    if (delayMs == 0)
        delayMs = 1;
    TimerQueue& q = Queue();
    std::lock_guard<std::mutex> lock(q.mutex);
    if (!q.started) {
        std::thread t([&q] { q.Loop(); });
        q.threadId = t.get_id();
        t.detach();
        q.started = true;
    }
    uint32_t id = q.nextId++;
    if (q.nextId == 0)
        q.nextId = 1;
    q.timers[id] = Timer{delayMs, (flags & TIME_PERIODIC) != 0, callback, user,
                         Clock::now() + std::chrono::milliseconds(delayMs)};
    q.wake.notify_all();
    return id;
}

uint32_t timeKillEvent(uint32_t timerId)
{
    TimerQueue& q = Queue();
    std::unique_lock<std::mutex> lock(q.mutex);
    bool existed = q.timers.erase(timerId) > 0;
    if (std::this_thread::get_id() != q.threadId)
        q.finished.wait(lock, [&] { return q.running != timerId; });
    q.wake.notify_all();
    return existed ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}

void Event::Set()
{
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = true;
    if (manual_)
        cv_.notify_all();
    else
        cv_.notify_one();
}

void Event::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = false;
}

bool Event::IsSet() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return set_;
}

uint32_t Event::Wait(uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return set_; };
    if (timeoutMs == INFINITE)
        cv_.wait(lock, ready);
    else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return WAIT_TIMEOUT;
    if (!manual_)
        set_ = false;
    return WAIT_OBJECT_0;
}

} // namespace platform

#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/model/timer.h"

namespace orvessa::ui {

enum class LcdTimerType { ttThread, ttSystem };
enum class LcdThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// Hands a tick to the user-interface thread. It may run the tick before it returns or queue it;
// either way the worker waits until the tick has run or the timer stops. A tick queued after the
// timer stopped does nothing when it comes to run.
using LcdDispatcher = std::function<void(std::function<void()>)>;
// Where an error raised by a tick goes.
using LcdErrorHandler = std::function<void(std::exception_ptr)>;

class LcdTimerThread;

// The clock's own timer. ttThread: a worker thread wakes every `Interval` milliseconds and, with
// `SyncEvent`, has the tick run on the user-interface thread through the dispatcher. ttSystem:
// `hostTicker()` is armed instead, and the host's window timer fires it.
class LcdTimer {
public:
    explicit LcdTimer(LcdDispatcher dispatcher = {}, LcdErrorHandler onError = {});
    ~LcdTimer();
    LcdTimer(const LcdTimer&) = delete;
    LcdTimer& operator=(const LcdTimer&) = delete;

    bool Enabled() const;
    void setEnabled(bool on);
    int Interval() const;
    void setInterval(int milliseconds);
    bool SyncEvent() const;
    void setSyncEvent(bool on);
    LcdTimerType TimerType() const { return m_type; }
    void setTimerType(LcdTimerType type);
    // Standard threads carry no priority; the value is kept for whoever schedules the thread.
    LcdThreadPriority Priority() const { return m_priority; }
    void setPriority(LcdThreadPriority priority);
    void setHandler(std::function<void()> handler);
    // The worker's next wait only, in place of the interval: a clock that knows where the next
    // second begins says so from its tick, so the wait ends there and a shown second is never
    // skipped. Capped at the interval; ignored by the window timer.
    void setNextWait(int milliseconds);
    // How long the worker waits next, in milliseconds.
    int nextWait() const;

    // Runs the handler if the timer is enabled and one is set.
    void tick();
    // Hands an error raised around a tick (a tick that could not be handed over) to the error
    // handler, if there is one. Called on the worker thread or the user-interface thread.
    void reportError(std::exception_ptr error) const;

    // The window timer of ttSystem; the host drives it while it runs.
    model::Timer& hostTicker() { return m_windowTimer; }
    // Whether the worker thread exists (it is made on the first need and ends on a change of
    // type or with the timer).
    bool threadAlive() const;

private:
    void apply();
    void stopThread();

    const LcdDispatcher m_dispatcher;
    const LcdErrorHandler m_onError;
    mutable std::mutex m_mutex;  // the properties the worker reads
    bool m_enabled = true;
    int m_interval = 1000;
    bool m_syncEvent = true;
    std::function<void()> m_onTimer;
    LcdTimerType m_type = LcdTimerType::ttThread;
    LcdThreadPriority m_priority = LcdThreadPriority::tpNormal;
    model::Timer m_windowTimer{"LcdTimer", 1000, false};
    std::unique_ptr<LcdTimerThread> m_thread;
};

// The worker of a ttThread timer. It waits on an auto-reset event for at most the interval and
// ticks only when the wait times out.
class LcdTimerThread {
public:
    // Created suspended; `owner` outlives the thread.
    explicit LcdTimerThread(LcdTimer& owner, LcdDispatcher dispatcher);
    // Stops: marks the thread terminated, signals the event and waits for the thread to end.
    ~LcdTimerThread();
    LcdTimerThread(const LcdTimerThread&) = delete;
    LcdTimerThread& operator=(const LcdTimerThread&) = delete;

    // Suspends the thread, stores the interval, and resumes it when `resume`.
    void apply(int interval, bool syncEvent, bool resume);
    // See LcdTimer::setNextWait and nextWait.
    void setNextWait(int milliseconds);
    int nextWait() const;

private:
    // Shared with ticks queued on the user-interface thread, which may outlive the thread.
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        bool terminated = false;
        bool signalled = false;
        bool running = false;
        bool syncEvent = true;
        int interval = 1000;
        int nextWait = -1;  // none: the interval
        std::uint64_t handed = 0;
        std::uint64_t done = 0;
        std::thread::id tickThread;  // the thread running a handed-over tick, if any
    };

    // The loop holds its own references, so a tick that ends the timer on the worker leaves it
    // nothing freed to touch.
    static void run(std::shared_ptr<State> state, LcdTimer* owner, LcdDispatcher dispatcher);
    static void handOver(const std::shared_ptr<State>& state, LcdTimer* owner,
                         const LcdDispatcher& dispatcher);

    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::thread m_thread;
};

}  // namespace orvessa::ui

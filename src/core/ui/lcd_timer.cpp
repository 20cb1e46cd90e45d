#include "core/ui/lcd_timer.h"

#include <chrono>
#include <utility>

namespace orvessa::ui {

LcdTimer::LcdTimer(LcdDispatcher dispatcher, LcdErrorHandler onError)
    : m_dispatcher(std::move(dispatcher)), m_onError(std::move(onError)) {
    m_windowTimer.setHandler([this] { tick(); });
}

LcdTimer::~LcdTimer() {
    // First of all, so no tick can reach a half-destroyed owner.
    stopThread();
    m_windowTimer.setEnabled(false);
}

bool LcdTimer::Enabled() const {
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

void LcdTimer::setEnabled(bool on) {
    {
        std::lock_guard lock(m_mutex);
        if (m_enabled == on) {
            return;
        }
        m_enabled = on;
    }
    apply();
}

int LcdTimer::Interval() const {
    std::lock_guard lock(m_mutex);
    return m_interval;
}

void LcdTimer::setInterval(int milliseconds) {
    {
        std::lock_guard lock(m_mutex);
        if (m_interval == milliseconds) {
            return;
        }
        m_interval = milliseconds;
    }
    apply();
}

bool LcdTimer::SyncEvent() const {
    std::lock_guard lock(m_mutex);
    return m_syncEvent;
}

void LcdTimer::setSyncEvent(bool on) {
    {
        std::lock_guard lock(m_mutex);
        m_syncEvent = on;
    }
    apply();
}

void LcdTimer::setTimerType(LcdTimerType type) {
    if (m_type == type) {
        return;
    }
    if (m_type == LcdTimerType::ttThread) {
        stopThread();
    } else {
        m_windowTimer.setEnabled(false);
    }
    m_type = type;
    apply();
}

void LcdTimer::setPriority(LcdThreadPriority priority) {
    m_priority = priority;
    apply();
}

void LcdTimer::setHandler(std::function<void()> handler) {
    {
        std::lock_guard lock(m_mutex);
        m_onTimer = std::move(handler);
    }
    apply();
}

void LcdTimer::tick() {
    std::function<void()> handler;
    {
        std::lock_guard lock(m_mutex);
        if (!m_enabled || !m_onTimer) {
            return;
        }
        handler = m_onTimer;
    }
    try {
        handler();
    } catch (...) {
        reportError(std::current_exception());
    }
}

void LcdTimer::reportError(std::exception_ptr error) const {
    if (m_onError) {
        m_onError(std::move(error));
    }
}

void LcdTimer::setNextWait(int milliseconds) {
    if (m_thread) {
        m_thread->setNextWait(milliseconds);
    }
}

int LcdTimer::nextWait() const {
    return m_thread ? m_thread->nextWait() : Interval();
}

bool LcdTimer::threadAlive() const {
    return m_thread != nullptr;
}

void LcdTimer::apply() {
    bool run = false;
    int interval = 0;
    bool syncEvent = true;
    {
        std::lock_guard lock(m_mutex);
        run = m_enabled && m_interval > 0 && m_onTimer;
        interval = m_interval;
        syncEvent = m_syncEvent;
    }
    if (m_type == LcdTimerType::ttSystem) {
        m_windowTimer.setInterval(interval);
        m_windowTimer.setEnabled(run);
        return;
    }
    if (!m_thread) {
        if (!run) {
            return;
        }
        m_thread = std::make_unique<LcdTimerThread>(*this, m_dispatcher);
    }
    m_thread->apply(interval, syncEvent, run);
}

void LcdTimer::stopThread() {
    m_thread.reset();
}

LcdTimerThread::LcdTimerThread(LcdTimer& owner, LcdDispatcher dispatcher)
    : m_thread(run, m_state, &owner, std::move(dispatcher)) {}

LcdTimerThread::~LcdTimerThread() {
    State& s = *m_state;
    {
        std::unique_lock lock(s.mutex);
        s.terminated = true;
        s.signalled = true;
        s.wake.notify_all();
        // A tick handed to another thread must end before the owner goes; one running on this
        // thread is the caller itself.
        s.wake.wait(lock, [&s] {
            return s.tickThread == std::thread::id{} || s.tickThread == std::this_thread::get_id();
        });
    }
    if (m_thread.get_id() == std::this_thread::get_id()) {
        m_thread.detach();
    } else {
        m_thread.join();
    }
}

void LcdTimerThread::apply(int interval, bool syncEvent, bool resume) {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->running = false;
        m_state->interval = interval;
        m_state->syncEvent = syncEvent;
        m_state->running = resume;
    }
    m_state->wake.notify_all();
}

void LcdTimerThread::setNextWait(int milliseconds) {
    std::lock_guard lock(m_state->mutex);
    m_state->nextWait = milliseconds;
}

int LcdTimerThread::nextWait() const {
    std::lock_guard lock(m_state->mutex);
    const State& s = *m_state;
    return s.nextWait >= 0 && s.nextWait < s.interval ? s.nextWait : s.interval;
}

void LcdTimerThread::run(std::shared_ptr<State> state, LcdTimer* owner, LcdDispatcher dispatcher) {
    State& s = *state;
    std::unique_lock lock(s.mutex);
    while (!s.terminated) {
        if (!s.running) {
            s.wake.wait(lock, [&s] { return s.running || s.terminated; });
            continue;
        }
        const int wait = s.nextWait >= 0 && s.nextWait < s.interval ? s.nextWait : s.interval;
        s.nextWait = -1;
        const bool woken = s.wake.wait_for(lock, std::chrono::milliseconds(wait), [&s] {
            return s.signalled || s.terminated || !s.running;
        });
        // The event resets itself once a wait has seen it.
        s.signalled = false;
        if (woken) {
            continue;
        }
        const bool sync = s.syncEvent && dispatcher;
        lock.unlock();
        if (sync) {
            handOver(state, owner, dispatcher);
        } else {
            owner->tick();
        }
        lock.lock();
    }
}

void LcdTimerThread::handOver(const std::shared_ptr<State>& state, LcdTimer* owner,
                              const LcdDispatcher& dispatcher) {
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(state->mutex);
        ticket = ++state->handed;
    }
    try {
        dispatcher([state, owner, ticket] {
            State& s = *state;
            {
                std::lock_guard lock(s.mutex);
                // The timer stopped while the tick waited in the queue: its owner may be gone.
                if (s.terminated) {
                    return;
                }
                s.tickThread = std::this_thread::get_id();
            }
            struct Finish {
                State& s;
                std::uint64_t ticket;
                ~Finish() {
                    {
                        std::lock_guard lock(s.mutex);
                        s.tickThread = std::thread::id{};
                        s.done = ticket;
                    }
                    s.wake.notify_all();
                }
            } finish{s, ticket};
            owner->tick();
        });
    } catch (...) {
        // A dispatcher that cannot hand the tick over loses this one tick, and says why.
        owner->reportError(std::current_exception());
        return;
    }
    std::unique_lock lock(state->mutex);
    state->wake.wait(lock, [&] { return state->done >= ticket || state->terminated; });
}

}  // namespace orvessa::ui

#include "station/glib_timers.h"

#include <glib.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "core/model/second_deadline.h"

namespace orvessa::station {
namespace {

using std::chrono::nanoseconds;

constexpr int kSecond = 1000;

nanoseconds sinceEpoch(auto time) {
    return std::chrono::duration_cast<nanoseconds>(time.time_since_epoch());
}

// GLib's monotonic time is CLOCK_MONOTONIC in microseconds, as is the steady clock here: a
// deadline on one is a ready time on the other, rounded up so that it is never early.
gint64 readyTimeOf(nanoseconds deadline) {
    return std::chrono::ceil<std::chrono::microseconds>(deadline).count();
}

nanoseconds monotonicNow() {
    return sinceEpoch(std::chrono::steady_clock::now());
}

nanoseconds nextSecondDeadline() {
    // Read back to back, the two clocks agree to well under a millisecond.
    const nanoseconds monotonic = monotonicNow();
    const nanoseconds wall = sinceEpoch(std::chrono::system_clock::now());
    return model::nextSecondDeadline(wall % std::chrono::seconds(1), monotonic);
}

// A source that fires at its ready time and calls its callback; -1 keeps it quiet.
gboolean dispatchReady(GSource* source, GSourceFunc callback, gpointer data) {
    g_source_set_ready_time(source, -1);
    return callback != nullptr ? callback(data) : G_SOURCE_CONTINUE;
}

GSourceFuncs readyFuncs = {nullptr, nullptr, dispatchReady, nullptr, nullptr, nullptr};

GSource* newReadySource(GMainContext* context, GSourceFunc callback, gpointer data) {
    GSource* source = g_source_new(&readyFuncs, sizeof(GSource));
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, callback, data, nullptr);
    g_source_set_ready_time(source, -1);
    g_source_attach(source, context);
    return source;
}

// A source that fires when its file descriptor (a timer's) is readable.
gboolean dispatchFd(GSource*, GSourceFunc callback, gpointer data) {
    return callback != nullptr ? callback(data) : G_SOURCE_CONTINUE;
}

GSourceFuncs fdFuncs = {nullptr, nullptr, dispatchFd, nullptr, nullptr, nullptr};

GSource* newFdSource(GMainContext* context, int fd, GSourceFunc callback, gpointer data) {
    GSource* source = g_source_new(&fdFuncs, sizeof(GSource));
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, callback, data, nullptr);
    g_source_add_unix_fd(source, fd, G_IO_IN);
    g_source_attach(source, context);
    return source;
}

// A timer on the wall clock, or -1 where it would not keep the clock's time: a wall clock
// shifted for tests (libfaketime) moves what the process reads, not what the kernel's timer
// waits for.
int wallClockTimer() {
    if (g_getenv("FAKETIME") != nullptr || g_getenv("FAKETIME_TIMESTAMP_FILE") != nullptr) {
        return -1;
    }
    return timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
}

void destroySource(GSource* source) {
    g_source_destroy(source);
    g_source_unref(source);
}

}  // namespace

struct GlibTimers::Binding {
    GlibTimers* owner = nullptr;
    model::Timer* timer = nullptr;
    bool onTheSecond = false;
    std::function<void()> afterFire;
    GSource* source = nullptr;
    int connection = 0;
};

// One wake-up a second for every timer aligned to the second. It waits on a timer at the
// wall clock's absolute time rather than on the loop's poll timeout: the kernel lets a timeout
// of about a second end 0.1 % late (0.5 % for a niced process), an absolute timer only by the
// thread's small slack. A clock set by hand cancels the wait, which then fires at once, as a
// jump the broadcast clock knows how to tick. Without such a timer, the loop's timeout.
class GlibTimers::Pulse {
public:
    explicit Pulse(GMainContext* context)
        : m_fd(wallClockTimer()),
          m_source(m_fd >= 0 ? newFdSource(context, m_fd, dispatch, this)
                             : newReadySource(context, dispatch, this)) {}
    ~Pulse() {
        destroySource(m_source);
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Pulse(const Pulse&) = delete;
    Pulse& operator=(const Pulse&) = delete;

    void join(Binding* binding) {
        if (std::find(m_waiting.begin(), m_waiting.end(), binding) == m_waiting.end()) {
            m_waiting.push_back(binding);
        }
        if (!m_armed) {
            arm(true);
        }
    }

    void leave(Binding* binding) {
        std::erase(m_waiting, binding);
        // One a firing has yet to reach is not fired either.
        for (std::vector<Binding*>* due : m_firings) {
            std::replace(due->begin(), due->end(), binding, static_cast<Binding*>(nullptr));
        }
        if (m_waiting.empty()) {
            arm(false);
        }
    }

private:
    static gboolean dispatch(gpointer self) {
        auto* pulse = static_cast<Pulse*>(self);
        if (pulse->m_fd >= 0) {
            // Read to quiet the descriptor; a cancelled wait (the clock was set) reads as an
            // error and fires all the same.
            std::uint64_t expirations = 0;
            if (read(pulse->m_fd, &expirations, sizeof expirations) < 0 && errno == EAGAIN) {
                return G_SOURCE_CONTINUE;
            }
        }
        pulse->m_armed = false;
        pulse->fire();
        return G_SOURCE_CONTINUE;
    }

    // Arms the wake-up for just after the wall clock's next second, or disarms it.
    void arm(bool on) {
        m_armed = on;
        if (m_fd < 0) {
            g_source_set_ready_time(m_source, on ? readyTimeOf(nextSecondDeadline()) : -1);
            return;
        }
        itimerspec when{};
        if (on) {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            when.it_value.tv_sec = now.tv_sec + 1;
            when.it_value.tv_nsec = static_cast<long>(model::kPastBoundary.count());
        }
        timerfd_settime(m_fd, on ? TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET : 0, &when, nullptr);
    }

    void fire() {
        std::vector<Binding*> due;
        due.swap(m_waiting);
        m_firings.push_back(&due);
        // All of them join the next second before any handler runs; a handler may still stop or
        // take away one that has yet to run.
        for (Binding* binding : due) {
            binding->owner->rearm(*binding);
        }
        for (std::size_t i = 0; i < due.size(); ++i) {
            if (Binding* binding = due[i]) {
                binding->timer->fire();
                if (binding->afterFire) {
                    binding->afterFire();
                }
            }
        }
        m_firings.pop_back();
    }

    int m_fd;
    GSource* m_source;
    bool m_armed = false;
    std::vector<Binding*> m_waiting;
    std::vector<std::vector<Binding*>*> m_firings;
};

GlibTimers::GlibTimers(GMainContext* context)
    : m_context(context), m_pulse(std::make_unique<Pulse>(context)) {}

GlibTimers::~GlibTimers() {
    for (Binding& binding : m_bindings) {
        binding.timer->changed.disconnect(binding.connection);
        m_pulse->leave(&binding);
        destroySource(binding.source);
    }
}

void GlibTimers::drive(model::Timer& timer, Ticks ticks, std::function<void()> afterFire) {
    Binding& binding = m_bindings.emplace_back();
    binding.owner = this;
    binding.timer = &timer;
    binding.onTheSecond = ticks == Ticks::OnTheSecond;
    binding.afterFire = std::move(afterFire);
    binding.source = newReadySource(m_context, dispatchBinding, &binding);
    binding.connection = timer.changed.connect([this, &binding] { rearm(binding); });
    rearm(binding);
}

int GlibTimers::dispatchBinding(void* binding) {
    Binding& b = *static_cast<Binding*>(binding);
    b.owner->fire(b);
    return G_SOURCE_CONTINUE;
}

void GlibTimers::rearm(Binding& binding) {
    const model::Timer& timer = *binding.timer;
    const bool running = timer.running();
    const bool aligned = running && binding.onTheSecond && timer.interval() == kSecond;
    if (binding.onTheSecond && !aligned) {
        m_pulse->leave(&binding);
    }
    if (!running || aligned) {
        g_source_set_ready_time(binding.source, -1);
    }
    if (!running) {
        return;
    }
    if (aligned) {
        m_pulse->join(&binding);
        return;
    }
    const nanoseconds deadline = monotonicNow() + std::chrono::milliseconds(timer.interval());
    g_source_set_ready_time(binding.source, readyTimeOf(deadline));
}

void GlibTimers::fire(Binding& binding) {
    // Armed first: the handler may stop or restart the timer itself.
    rearm(binding);
    binding.timer->fire();
    if (binding.afterFire) {
        binding.afterFire();
    }
}

}  // namespace orvessa::station

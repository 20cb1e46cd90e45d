#include "gui/timer_binder.h"

#include <algorithm>
#include <vector>

namespace orvessa::gui {
namespace {

using std::chrono::nanoseconds;

constexpr int kSecond = 1000;

nanoseconds sinceEpoch(auto time) {
    return std::chrono::duration_cast<nanoseconds>(time.time_since_epoch());
}

nanoseconds monotonicNow() {
    return sinceEpoch(std::chrono::steady_clock::now());
}

nanoseconds nextSecondDeadline() {
    // The timer counts on the monotonic clock; the boundary is the wall clock's. Reading both
    // back to back ties the two together to well under a millisecond.
    const nanoseconds monotonic = monotonicNow();
    const nanoseconds wall = sinceEpoch(std::chrono::system_clock::now());
    return TimerBinder::nextTickDeadline(wall % std::chrono::seconds(1), monotonic);
}

}  // namespace

// One QTimer for every one-second timer aligned to the second. Two QTimers aimed at the same
// boundary still wake the thread twice, a millisecond apart; one wakes it once for all of them.
class SecondPulse {
public:
    SecondPulse() {
        m_qtimer.setSingleShot(true);
        m_qtimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_qtimer, &QTimer::timeout, [this] { fire(); });
    }

    static std::shared_ptr<SecondPulse> shared() {
        // Made with the first aligned timer, gone with the last, so no QTimer outlives the
        // application object.
        static std::weak_ptr<SecondPulse> current;
        std::shared_ptr<SecondPulse> pulse = current.lock();
        if (!pulse) {
            pulse = std::make_shared<SecondPulse>();
            current = pulse;
        }
        return pulse;
    }

    void join(TimerBinder* binder) {
        if (std::find(m_waiting.begin(), m_waiting.end(), binder) == m_waiting.end()) {
            m_waiting.push_back(binder);
        }
        if (!m_qtimer.isActive()) {
            m_deadline = nextSecondDeadline();
            m_qtimer.start(TimerBinder::millisecondsUntil(m_deadline, monotonicNow()));
        }
    }

    void leave(TimerBinder* binder) {
        std::erase(m_waiting, binder);
        // One a firing has yet to reach is not fired either.
        for (std::vector<TimerBinder*>* due : m_firings) {
            std::replace(due->begin(), due->end(), binder, static_cast<TimerBinder*>(nullptr));
        }
        if (m_waiting.empty()) {
            m_qtimer.stop();
        }
    }

    int armedDelay(const TimerBinder* binder) const {
        const bool waiting =
            std::find(m_waiting.begin(), m_waiting.end(), binder) != m_waiting.end();
        return waiting && m_qtimer.isActive()
                   ? TimerBinder::millisecondsUntil(m_deadline, monotonicNow())
                   : -1;
    }

private:
    void fire() {
        std::vector<TimerBinder*> due;
        due.swap(m_waiting);
        m_firings.push_back(&due);
        // All of them join the next second before any handler runs: a handler that opens a
        // modal loop must not keep the others from ticking in it. A handler may still stop or
        // take away one that has yet to run.
        for (TimerBinder* binder : due) {
            binder->rearm();
        }
        for (std::size_t i = 0; i < due.size(); ++i) {
            if (TimerBinder* binder = due[i]) {
                binder->m_timer.fire();
            }
        }
        m_firings.pop_back();
        // The event loop rounds the wait left up to a whole millisecond when it next sleeps,
        // after the handlers: the same deadline, armed again from now, keeps their time out of
        // the next tick. A deadline they ran past still fires at once.
        if (m_qtimer.isActive()) {
            m_qtimer.start(TimerBinder::millisecondsUntil(m_deadline, monotonicNow()));
        }
    }

    QTimer m_qtimer;
    nanoseconds m_deadline{0};
    std::vector<TimerBinder*> m_waiting;
    // The timers of the firings under way, innermost last: a handler's modal loop may fire again.
    std::vector<std::vector<TimerBinder*>*> m_firings;
};

nanoseconds TimerBinder::nextTickDeadline(nanoseconds wallSubSecond, nanoseconds monotonicNow) {
    return model::nextSecondDeadline(wallSubSecond, monotonicNow);
}

int TimerBinder::millisecondsUntil(nanoseconds deadline, nanoseconds monotonicNow) {
    return model::millisecondsUntil(deadline, monotonicNow);
}

TimerBinder::TimerBinder(model::Timer& timer, Ticks ticks, QObject* parent)
    : QObject(parent),
      m_timer(timer),
      m_pulse(ticks == Ticks::OnTheSecond ? SecondPulse::shared() : nullptr) {
    m_qtimer.setSingleShot(true);
    m_qtimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_qtimer, &QTimer::timeout, this, [this] { fire(); });
    m_connection = m_timer.changed.connect([this] { rearm(); });
    rearm();
}

TimerBinder::~TimerBinder() {
    m_timer.changed.disconnect(m_connection);
    if (m_pulse) {
        m_pulse->leave(this);
    }
}

int TimerBinder::armedDelay() const {
    if (m_pulse) {
        if (const int delay = m_pulse->armedDelay(this); delay >= 0) {
            return delay;
        }
    }
    return m_qtimer.isActive() ? m_armedDelay : -1;
}

void TimerBinder::rearm() {
    const bool running = m_timer.running();
    const bool onTheSecond = running && m_pulse && m_timer.interval() == kSecond;
    if (m_pulse && !onTheSecond) {
        m_pulse->leave(this);
    }
    if (!running || onTheSecond) {
        m_qtimer.stop();
    }
    if (!running) {
        return;
    }
    if (onTheSecond) {
        m_pulse->join(this);
        return;
    }
    m_armedDelay = m_timer.interval();
    m_qtimer.start(m_armedDelay);
}

void TimerBinder::fire() {
    // Arm the next tick first: the handler may stop or restart the timer itself.
    rearm();
    m_timer.fire();
}

}  // namespace orvessa::gui

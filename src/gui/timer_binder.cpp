#include "gui/timer_binder.h"

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

}  // namespace

nanoseconds TimerBinder::nextTickDeadline(nanoseconds wallSubSecond, nanoseconds monotonicNow) {
    return monotonicNow + (std::chrono::seconds(1) - wallSubSecond) + kPastBoundary;
}

int TimerBinder::millisecondsUntil(nanoseconds deadline, nanoseconds monotonicNow) {
    const nanoseconds left = deadline - monotonicNow;
    if (left <= nanoseconds::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

TimerBinder::TimerBinder(model::Timer& timer, Ticks ticks, QObject* parent)
    : QObject(parent), m_timer(timer), m_ticks(ticks) {
    m_qtimer.setSingleShot(true);
    m_qtimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_qtimer, &QTimer::timeout, this, [this] { fire(); });
    m_connection = m_timer.changed.connect([this] { rearm(); });
    rearm();
}

TimerBinder::~TimerBinder() {
    m_timer.changed.disconnect(m_connection);
}

nanoseconds TimerBinder::nextSecondDeadline() {
    // The timer counts on the monotonic clock; the boundary is the wall clock's. Reading both
    // back to back ties the two together to well under a millisecond.
    const nanoseconds monotonic = monotonicNow();
    const nanoseconds wall = sinceEpoch(std::chrono::system_clock::now());
    return nextTickDeadline(wall % std::chrono::seconds(1), monotonic);
}

void TimerBinder::rearm() {
    if (!m_timer.running()) {
        m_qtimer.stop();
        return;
    }
    const int interval = m_timer.interval();
    m_onTheSecond = m_ticks == Ticks::OnTheSecond && interval == kSecond;
    if (m_onTheSecond) {
        m_deadline = nextSecondDeadline();
        m_armedDelay = millisecondsUntil(m_deadline, monotonicNow());
    } else {
        m_armedDelay = interval;
    }
    ++m_armings;
    m_qtimer.start(m_armedDelay);
}

void TimerBinder::fire() {
    // Arm the next tick first: the handler may stop or restart the timer itself.
    rearm();
    const int armings = m_armings;
    m_timer.fire();
    // The event loop rounds the wait left up to a whole millisecond when it next sleeps, after
    // the handler: the same deadline, armed again from now, keeps the handler's time out of the
    // next tick. A deadline the handler ran past still fires at once.
    if (m_onTheSecond && m_armings == armings && m_qtimer.isActive()) {
        m_armedDelay = millisecondsUntil(m_deadline, monotonicNow());
        m_qtimer.start(m_armedDelay);
    }
}

}  // namespace orvessa::gui

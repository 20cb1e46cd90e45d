#include "gui/timer_binder.h"

namespace orvessa::gui {
namespace {

using std::chrono::nanoseconds;

constexpr int kSecond = 1000;

nanoseconds sinceEpoch(auto time) {
    return std::chrono::duration_cast<nanoseconds>(time.time_since_epoch());
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

int TimerBinder::msUntilNextSecond() {
    // The timer counts on the monotonic clock; the boundary is the wall clock's. Reading both
    // back to back ties the two together to well under a millisecond.
    const nanoseconds monotonic = sinceEpoch(std::chrono::steady_clock::now());
    const nanoseconds wall = sinceEpoch(std::chrono::system_clock::now());
    const nanoseconds deadline = nextTickDeadline(wall % std::chrono::seconds(1), monotonic);
    return millisecondsUntil(deadline, sinceEpoch(std::chrono::steady_clock::now()));
}

void TimerBinder::rearm() {
    if (!m_timer.running()) {
        m_qtimer.stop();
        return;
    }
    const int interval = m_timer.interval();
    const bool onTheSecond = m_ticks == Ticks::OnTheSecond && interval == kSecond;
    m_armedDelay = onTheSecond ? msUntilNextSecond() : interval;
    m_qtimer.start(m_armedDelay);
}

void TimerBinder::fire() {
    // Arm the next tick first: the handler may stop or restart the timer itself.
    rearm();
    m_timer.fire();
}

}  // namespace orvessa::gui

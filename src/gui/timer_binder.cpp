#include "gui/timer_binder.h"

#include <QDateTime>

namespace orvessa::gui {
namespace {

constexpr int kSecond = 1000;
// Fire a little after the boundary, so the clock read in the tick is already the new second.
constexpr int kPastBoundary = 15;

}  // namespace

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

int TimerBinder::msUntilNextSecond() const {
    const int ms = QTime::currentTime().msec();
    return kSecond - ms + kPastBoundary;
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

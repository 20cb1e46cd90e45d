#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

#include "core/model/second_deadline.h"
#include "core/model/timer.h"

namespace orvessa::gui {

class SecondPulse;

// Drives a model timer with a QTimer.
class TimerBinder : public QObject {
public:
    enum class Ticks {
        // Every interval from the start.
        FromStart,
        // A one-second timer fires just after each wall-clock second boundary, so that the clock
        // text of successive ticks never skips a second through drift. Only for timers that
        // compare clock texts: the first tick comes early, up to a second before its interval.
        // All such timers share one wake-up a second.
        OnTheSecond,
    };

    // How far past the boundary an OnTheSecond tick aims (model::kPastBoundary).
    static constexpr std::chrono::nanoseconds kPastBoundary = model::kPastBoundary;

    // The monotonic moment kPastBoundary after the wall clock's next second boundary, from the
    // wall clock's part of its second and the monotonic clock read at the same moment.
    static std::chrono::nanoseconds nextTickDeadline(std::chrono::nanoseconds wallSubSecond,
                                                     std::chrono::nanoseconds monotonicNow);
    // Whole milliseconds (what a QTimer takes) to wait from `monotonicNow` so as to fire no
    // earlier than `deadline`; 0 once it has passed.
    static int millisecondsUntil(std::chrono::nanoseconds deadline,
                                 std::chrono::nanoseconds monotonicNow);

    TimerBinder(model::Timer& timer, Ticks ticks, QObject* parent);
    ~TimerBinder() override;

    // Milliseconds until the next firing, as last armed; -1 while stopped.
    int armedDelay() const;

private:
    friend class SecondPulse;

    void rearm();
    void fire();

    model::Timer& m_timer;
    // The shared second of OnTheSecond timers; null for the others.
    const std::shared_ptr<SecondPulse> m_pulse;
    QTimer m_qtimer;
    int m_armedDelay = -1;
    int m_connection;
};

}  // namespace orvessa::gui

#pragma once

#include <QObject>
#include <QTimer>

#include "core/model/timer.h"

namespace orvessa::gui {

// Drives a model timer with a QTimer.
class TimerBinder : public QObject {
public:
    enum class Ticks {
        // Every interval from the start.
        FromStart,
        // A one-second timer fires just after each wall-clock second boundary, so that the clock
        // text of successive ticks never skips a second through drift. Only for timers that
        // compare clock texts: the first tick comes early, up to a second before its interval.
        OnTheSecond,
    };

    TimerBinder(model::Timer& timer, Ticks ticks, QObject* parent);
    ~TimerBinder() override;

    // Milliseconds until the next firing, as last armed; -1 while stopped.
    int armedDelay() const { return m_qtimer.isActive() ? m_armedDelay : -1; }

private:
    void rearm();
    void fire();
    int msUntilNextSecond() const;

    model::Timer& m_timer;
    const Ticks m_ticks;
    QTimer m_qtimer;
    int m_armedDelay = -1;
    int m_connection;
};

}  // namespace orvessa::gui

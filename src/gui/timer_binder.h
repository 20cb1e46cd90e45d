#pragma once

#include <QObject>
#include <QTimer>

#include "core/model/timer.h"

namespace orvessa::gui {

// Drives a model timer with a QTimer. Timers of one second fire just after each wall-clock
// second boundary, so that the clock text of successive ticks never skips a second through
// drift.
class TimerBinder : public QObject {
public:
    TimerBinder(model::Timer& timer, QObject* parent);
    ~TimerBinder() override;

private:
    void rearm();
    void fire();
    int msUntilNextSecond() const;

    model::Timer& m_timer;
    QTimer m_qtimer;
    int m_connection;
};

}  // namespace orvessa::gui

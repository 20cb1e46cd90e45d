#pragma once

#include <functional>
#include <list>
#include <memory>
#include <vector>

#include "core/model/timer.h"

typedef struct _GMainContext GMainContext;
typedef struct _GSource GSource;

namespace orvessa::station {

// Drives model timers on a GLib main context, as the desktop's TimerBinder does on Qt's loop:
// every timer is armed again when it is started, stopped or given a new interval, and the
// one-second timers that compare clock texts fire together just after each wall-clock second.
// Used on the context's own thread only.
class GlibTimers {
public:
    enum class Ticks {
        // Every interval from the start.
        FromStart,
        // A one-second timer fires kPastBoundary after each wall-clock second boundary, all such
        // timers on one wake-up. Other intervals count from the start.
        OnTheSecond,
    };

    // Sources go to `context`; null is the default context.
    explicit GlibTimers(GMainContext* context = nullptr);
    ~GlibTimers();
    GlibTimers(const GlibTimers&) = delete;
    GlibTimers& operator=(const GlibTimers&) = delete;

    // Drives `timer` until this object goes; `afterFire` (may be empty) runs after each firing of
    // its handler, also when the handler stopped the timer.
    void drive(model::Timer& timer, Ticks ticks, std::function<void()> afterFire = {});

private:
    struct Binding;
    class Pulse;

    void rearm(Binding& binding);
    void fire(Binding& binding);
    static int dispatchBinding(void* binding);

    GMainContext* m_context;
    std::unique_ptr<Pulse> m_pulse;
    std::list<Binding> m_bindings;
};

}  // namespace orvessa::station

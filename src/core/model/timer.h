#pragma once

#include <functional>
#include <string>

#include "core/model/signal.h"

namespace orvessa::model {

// A window timer: it fires every `interval` milliseconds while enabled and the interval is not
// 0. The host (real or simulated) calls fire(); a failure inside the handler is swallowed, so
// the next tick starts afresh.
class Timer {
public:
    explicit Timer(std::string name, int interval = 1000, bool enabled = true);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& name() const { return m_name; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    int interval() const { return m_interval; }
    void setInterval(int milliseconds);
    bool running() const { return m_enabled && m_interval > 0; }

    // Stop: interval 0. Start: the interval given, enabled.
    void stop() { setInterval(0); }
    void start(int milliseconds);

    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }
    void fire();

    // Fires when enabled or interval changed, so the host can re-arm its timer.
    Signal<> changed;

private:
    std::string m_name;
    int m_interval;
    bool m_enabled;
    std::function<void()> m_handler;
};

}  // namespace orvessa::model

#pragma once

#include <functional>
#include <string>

#include "core/model/signal.h"

namespace orvessa::model {

// A window timer: it fires every `interval` milliseconds while enabled and the interval is not
// 0. The host (real or simulated) calls fire(); an exception from the handler goes no further
// than fire(), so the next tick starts afresh, and is handed to the error sink if one is set.
class Timer {
public:
    // Receives the timer's name and what its handler threw; it must not throw itself.
    using ErrorSink = std::function<void(const std::string& timerName, const std::string& what)>;

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
    void setErrorSink(ErrorSink sink) { m_errorSink = std::move(sink); }
    // Runs the handler if the timer is running; never throws.
    void fire();

    // Fires when enabled or interval changed, so the host can re-arm its timer.
    Signal<> changed;

private:
    void failed(const std::string& what) const;

    std::string m_name;
    int m_interval;
    bool m_enabled;
    std::function<void()> m_handler;
    ErrorSink m_errorSink;
};

}  // namespace orvessa::model

#include "core/model/timer.h"

namespace orvessa::model {

Timer::Timer(std::string name, int interval, bool enabled)
    : m_name(std::move(name)), m_interval(interval), m_enabled(enabled) {}

void Timer::setEnabled(bool on) {
    if (m_enabled != on) {
        m_enabled = on;
        changed.send();
    }
}

void Timer::setInterval(int milliseconds) {
    if (m_interval != milliseconds) {
        m_interval = milliseconds;
        changed.send();
    }
}

void Timer::start(int milliseconds) {
    const bool was = running() && m_interval == milliseconds;
    m_interval = milliseconds;
    m_enabled = true;
    if (!was) {
        changed.send();
    }
}

void Timer::fire() {
    if (!running() || !m_handler) {
        return;
    }
    try {
        m_handler();
    } catch (...) {
        // A tick that fails leaves nothing behind; the next one starts afresh.
    }
}

}  // namespace orvessa::model

#include "core/model/timer.h"

#include <exception>

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
    // A tick that fails leaves nothing behind but its trace; the next one starts afresh.
    try {
        m_handler();
    } catch (const std::exception& e) {
        failed(e.what());
    } catch (...) {
        failed("an exception of unknown type");
    }
}

void Timer::failed(const std::string& what) const {
    if (m_errorSink) {
        m_errorSink(m_name, what);
    }
}

}  // namespace orvessa::model

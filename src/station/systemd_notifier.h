#pragma once

#include <functional>
#include <string>

#include "core/model/timer.h"

namespace orvessa::station {

// What the service tells systemd: ready, what it is doing, stopping, and that it is alive.
// Without $NOTIFY_SOCKET (not started by systemd) every message goes nowhere.
class SystemdNotifier {
public:
    // Sends one message ("READY=1\nSTATUS=...") to the service manager.
    using Sender = std::function<void(const std::string& message)>;

    // The watchdog as $WATCHDOG_USEC asks, through sd_notify.
    SystemdNotifier();
    SystemdNotifier(bool watchdogEnabled, Sender send);

    bool watchdogEnabled() const { return m_watchdog; }

    void ready(const std::string& status);
    // Sent only when the text differs from the last one sent.
    void status(const std::string& text);
    void stopping();
    // WATCHDOG=1, only when the watchdog is enabled.
    void alive();

    // A status as one line: controls become blanks.
    static std::string oneLine(std::string text);

private:
    bool m_watchdog;
    Sender m_send;
    std::string m_lastStatus;
};

// Keeps the watchdog fed by the broadcast clock: each tick of its timer is a sign of life, so a
// clock that stops ticking while it should (a hung handler, a stuck loop) stops the pings and
// systemd restarts the service. While the clock's timer is stopped on purpose (manual
// operation, a holiday, the wait at the end of the day) the loop's own heartbeat stands in, or
// the service would be killed every day it rightly rings nothing.
class ClockWatchdog {
public:
    ClockWatchdog(const model::Timer& clockTimer, SystemdNotifier& notifier)
        : m_clockTimer(clockTimer), m_notifier(notifier) {}

    // After each firing of the clock's timer.
    void clockTicked() { m_notifier.alive(); }
    // Once a second from the loop, whatever the clock does.
    void heartbeat() {
        if (!m_clockTimer.running()) {
            m_notifier.alive();
        }
    }

private:
    const model::Timer& m_clockTimer;
    SystemdNotifier& m_notifier;
};

}  // namespace orvessa::station

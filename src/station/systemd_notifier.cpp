#include "station/systemd_notifier.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

namespace orvessa::station {
namespace {

bool watchdogAsked() {
    uint64_t usec = 0;
    return sd_watchdog_enabled(0, &usec) > 0 && usec > 0;
}

}  // namespace

SystemdNotifier::SystemdNotifier()
    : SystemdNotifier(watchdogAsked(),
                      [](const std::string& message) { sd_notify(0, message.c_str()); }) {}

SystemdNotifier::SystemdNotifier(bool watchdogEnabled, Sender send)
    : m_watchdog(watchdogEnabled), m_send(std::move(send)) {}

std::string SystemdNotifier::oneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return text;
}

void SystemdNotifier::ready(const std::string& status) {
    m_lastStatus = oneLine(status);
    m_send("READY=1\nSTATUS=" + m_lastStatus);
}

void SystemdNotifier::status(const std::string& text) {
    std::string line = oneLine(text);
    if (line == m_lastStatus) {
        return;
    }
    m_lastStatus = std::move(line);
    m_send("STATUS=" + m_lastStatus);
}

void SystemdNotifier::stopping() {
    m_send("STOPPING=1");
}

void SystemdNotifier::alive() {
    if (m_watchdog) {
        m_send("WATCHDOG=1");
    }
}

}  // namespace orvessa::station

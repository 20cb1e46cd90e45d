#pragma once

#include <string>
#include <vector>

#include "core/alerts/alerts.h"
#include "core/scheduler/as_run.h"
#include "core/scheduler/clock_scenario.h"
#include "fakes/recording_failure_record.h"

namespace orvessa::alerts {

using scheduler::BroadcastEvent;
using scheduler::Log;
using scheduler::Row;

// What went on air, as the as-run lines say it, without the date and the path.
class OnAir : public scheduler::BroadcastRecord {
public:
    void record(const BroadcastEvent& e) override {
        if (e.type == BroadcastEvent::Type::Day || e.type == BroadcastEvent::Type::Clock) {
            return;
        }
        const std::string line = scheduler::as_run::line(e);
        const std::size_t path = line.find(" path=");
        lines.push_back(line.substr(11, path == std::string::npos ? std::string::npos : path - 11));
    }
    // The lines that hold `word`.
    Log with(const std::string& word) const {
        Log out;
        for (const std::string& l : lines) {
            if (l.find(word) != std::string::npos) {
                out.push_back(l);
            }
        }
        return out;
    }
    std::vector<std::string> lines;
};

// A day on the simulated clock with the alerts' own device, whose sound runs with the clock
// too: the siren for four seconds a time, each notice for the length a test gives it.
class AlertScenario : public scheduler::ClockScenario {
protected:
    AlertScenario() {
        record = &m_onAir;
        failures = &m_failures;
        alertDevice().now = [this] { return scheduler::secondsOf(m_clock.now()) * 1000; };
        alertDevice().lengths["siren.wav"] = 4000;
        std::filesystem::create_directory(m_dir / "AUDIO" / "广播");
    }
    // The system goes before the record and the failures it writes to.
    ~AlertScenario() override { m_system.reset(); }

    fakes::FakeMediaDevice& alertDevice() { return m_platform.alertDevice; }
    Alerts& alerts() { return m_system->alerts(); }

    // A notice in the notices folder that plays for `seconds`.
    void notice(const std::string& name, int seconds) {
        orvessa::testing::writeBytes(m_dir / "AUDIO" / "广播" / name, "x");
        alertDevice().lengths[name] = seconds * 1000LL;
    }

    // Each second from the next up to `until`: the alerts' timer, then the broadcast clock.
    void runTo(const std::string& until) {
        while (now() < until) {
            m_clock.set(scheduler::localDateTimeOf(scheduler::secondsOf(m_clock.now()) + 1));
            if (form().alertTimer.running()) {
                form().alertTimer.fire();
            }
            tick();
        }
    }

    // How often the alerts' device opened `name`.
    int opened(const std::string& name) const {
        int n = 0;
        for (const std::string& c : m_platform.alertDevice.calls) {
            n += c.starts_with("open ") && c.ends_with("/" + name) ? 1 : 0;
        }
        return n;
    }
    bool alarmSounding() const {
        return m_platform.alertDevice.mode() == platform::MediaMode::Playing &&
               m_platform.alertDevice.fileName().ends_with("siren.wav");
    }

    OnAir m_onAir;
    fakes::RecordingFailureRecord m_failures;
};

}  // namespace orvessa::alerts

#include "core/scheduler/timer_failures.h"

#include <cstdint>
#include <map>
#include <memory>

#include "core/scheduler/broadcast_clock.h"

namespace orvessa::scheduler {
namespace {

constexpr std::int64_t kSecondsBetweenLines = 60;

// The timers' shared memory of when each last recorded a line; the timers' sinks keep it.
class Limiter {
public:
    Limiter(platform::FailureRecord& record, const platform::Clock& clock)
        : m_record(record), m_clock(clock) {}

    void failed(const model::Timer& timer, const std::string& label, const std::string& what) {
        const std::int64_t now = secondsOf(m_clock.now());
        const auto last = m_lastLine.find(&timer);
        // A clock set back counts as time passed, so a failure is never held back for long.
        if (last != m_lastLine.end() && now >= last->second &&
            now - last->second < kSecondsBetweenLines) {
            return;
        }
        m_lastLine[&timer] = now;
        m_record.record({"timer handler failed", label + ": " + what, 0});
    }

private:
    platform::FailureRecord& m_record;
    const platform::Clock& m_clock;
    std::map<const model::Timer*, std::int64_t> m_lastLine;
};

}  // namespace

void recordTimerFailures(platform::FailureRecord& record, const platform::Clock& clock,
                         std::initializer_list<OwnedTimer> timers) {
    const auto limiter = std::make_shared<Limiter>(record, clock);
    for (const OwnedTimer& owned : timers) {
        model::Timer& timer = owned.timer;
        timer.setErrorSink([limiter, &timer, owner = owned.owner](const std::string& name,
                                                                  const std::string& what) {
            limiter->failed(timer, owner + "." + name, what);
        });
    }
}

}  // namespace orvessa::scheduler

#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "core/console/system_actions.h"

namespace orvessa::fakes {

// The interface thread's queue, run by the test's own thread when it pumps.
class FakeUiQueue : public console::UiQueue {
public:
    void post(std::function<void()> work) override {
        const std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    // Runs what was posted so far; false when there was nothing.
    bool pump() {
        std::deque<std::function<void()>> work;
        {
            const std::lock_guard lock(m_mutex);
            work.swap(m_work);
        }
        for (auto& w : work) {
            w();
        }
        return !work.empty();
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_work;
};

}  // namespace orvessa::fakes

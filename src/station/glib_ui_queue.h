#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "core/console/system_actions.h"

typedef struct _GMainContext GMainContext;

namespace orvessa::station {

// Runs work on the thread that iterates a GLib main context (the service's loop). Any thread may
// post. Work still queued when the queue goes is dropped: it belonged to a console that is gone.
class GlibUiQueue : public console::UiQueue {
public:
    // Null is the default context.
    explicit GlibUiQueue(GMainContext* context = nullptr);
    ~GlibUiQueue() override;
    GlibUiQueue(const GlibUiQueue&) = delete;
    GlibUiQueue& operator=(const GlibUiQueue&) = delete;

    void post(std::function<void()> work) override;

private:
    GMainContext* m_context;
    // Shared with every queued piece of work, which runs only while it is true.
    std::shared_ptr<std::atomic<bool>> m_alive;
};

}  // namespace orvessa::station

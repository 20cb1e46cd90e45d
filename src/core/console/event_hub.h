#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/console/http.h"

namespace orvessa::console {

inline constexpr std::size_t kMaxEventStreams = 32;
// A stream this far behind has a client that does not read; it is ended rather than let grow.
inline constexpr std::size_t kMaxQueuedEvents = 512;
inline constexpr std::chrono::seconds kKeepAlive{5};

// Hands what the running system publishes to every open event stream, as server-sent events.
// publish() never waits for a client: each stream has its own queue, read on its connection's
// thread.
class EventHub {
public:
    // A new stream, or null when kMaxEventStreams are open.
    std::shared_ptr<EventStream> subscribe();
    // Queues `event: name` with `data` (one line of JSON) on every open stream.
    void publish(const std::string& name, const std::string& data);
    // Ends every stream.
    void closeAll();
    std::size_t streams() const;

private:
    class Stream;
    mutable std::mutex m_mutex;
    std::vector<std::weak_ptr<Stream>> m_streams;
};

}  // namespace orvessa::console

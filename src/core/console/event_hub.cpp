#include "core/console/event_hub.h"

#include <algorithm>

namespace orvessa::console {

class EventHub::Stream final : public EventStream {
public:
    std::optional<std::string> next(std::chrono::milliseconds wait) override {
        std::unique_lock lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::now() + wait;
        m_ready.wait_until(lock, deadline, [&] { return m_closed || !m_queue.empty(); });
        if (!m_queue.empty()) {
            std::string out;
            while (!m_queue.empty()) {
                out += m_queue.front();
                m_queue.pop_front();
            }
            m_lastSent = std::chrono::steady_clock::now();
            return out;
        }
        if (m_closed) {
            return std::nullopt;
        }
        // A comment now and then keeps the connection from counting as idle.
        if (std::chrono::steady_clock::now() - m_lastSent >= kKeepAlive) {
            m_lastSent = std::chrono::steady_clock::now();
            return std::string(": keep-alive\n\n");
        }
        return std::string();
    }

    void close() override {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = true;
            m_queue.clear();
        }
        m_ready.notify_all();
    }

    bool closed() const {
        const std::lock_guard lock(m_mutex);
        return m_closed;
    }

    void push(const std::string& chunk) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_closed) {
                return;
            }
            if (m_queue.size() >= kMaxQueuedEvents) {
                m_closed = true;
                m_queue.clear();
            } else {
                m_queue.push_back(chunk);
            }
        }
        m_ready.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::string> m_queue;
    bool m_closed = false;
    // When bytes last went out, for the keep-alive.
    std::chrono::steady_clock::time_point m_lastSent{};
};

std::shared_ptr<EventStream> EventHub::subscribe() {
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_streams, [](const std::weak_ptr<Stream>& s) {
        const auto live = s.lock();
        return !live || live->closed();
    });
    if (m_streams.size() >= kMaxEventStreams) {
        return nullptr;
    }
    auto stream = std::make_shared<Stream>();
    stream->push("retry: 2000\n\n");
    m_streams.push_back(stream);
    return stream;
}

void EventHub::publish(const std::string& name, const std::string& data) {
    const std::string chunk = "event: " + name + "\ndata: " + data + "\n\n";
    std::vector<std::shared_ptr<Stream>> live;
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& weak : m_streams) {
            if (auto s = weak.lock()) {
                live.push_back(std::move(s));
            }
        }
    }
    for (const auto& s : live) {
        s->push(chunk);
    }
}

void EventHub::closeAll() {
    std::vector<std::shared_ptr<Stream>> live;
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& weak : m_streams) {
            if (auto s = weak.lock()) {
                live.push_back(std::move(s));
            }
        }
        m_streams.clear();
    }
    for (const auto& s : live) {
        s->close();
    }
}

std::size_t EventHub::streams() const {
    const std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_streams.begin(), m_streams.end(), [](const std::weak_ptr<Stream>& s) {
            const auto live = s.lock();
            return live && !live->closed();
        }));
}

}  // namespace orvessa::console

#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace orvessa::model {

// A list of callbacks that views and other observers attach to a control.
template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    // Returns an id for disconnect().
    int connect(Slot slot) {
        m_slots.emplace_back(++m_lastId, std::move(slot));
        return m_lastId;
    }
    void disconnect(int id) {
        std::erase_if(m_slots, [id](const auto& s) { return s.first == id; });
    }
    // Slots connected or disconnected by a slot take effect from the next send.
    void send(Args... args) const {
        const auto current = m_slots;
        for (const auto& s : current) {
            s.second(args...);
        }
    }

private:
    std::vector<std::pair<int, Slot>> m_slots;
    int m_lastId = 0;
};

}  // namespace orvessa::model

#include "core/console/sessions.h"

#include <algorithm>
#include <iterator>

namespace orvessa::console {

Session SessionStore::begin(std::string user, Role role, std::uint64_t generation, SteadyTime now) {
    Session s;
    s.id = m_secrets.newToken();
    s.csrfToken = m_secrets.newToken();
    s.user = std::move(user);
    s.role = role;
    s.generation = generation;
    s.began = now;
    s.lastSeen = now;
    const std::lock_guard lock(m_mutex);
    // Whatever is over goes now, so that the store cannot grow with abandoned browsers.
    std::erase_if(m_sessions, [&](const auto& entry) {
        const Session& old = entry.second;
        return now - old.lastSeen >= kSessionIdle || now - old.began >= kSessionLongest;
    });
    if (m_sessions.size() >= kMaxSessions) {
        const auto oldest = std::min_element(
            m_sessions.begin(), m_sessions.end(),
            [](const auto& a, const auto& b) { return a.second.lastSeen < b.second.lastSeen; });
        m_sessions.erase(oldest);
    }
    m_sessions[s.id] = s;
    return s;
}

std::optional<Session> SessionStore::find(std::string_view id, SteadyTime now) {
    if (id.empty()) {
        return std::nullopt;
    }
    const std::lock_guard lock(m_mutex);
    const auto it = m_sessions.find(id);
    if (it == m_sessions.end()) {
        return std::nullopt;
    }
    Session& s = it->second;
    if (now - s.lastSeen >= kSessionIdle || now - s.began >= kSessionLongest) {
        m_sessions.erase(it);
        return std::nullopt;
    }
    s.lastSeen = now;
    return s;
}

bool SessionStore::alive(std::string_view id, SteadyTime now) const {
    const std::lock_guard lock(m_mutex);
    const auto it = m_sessions.find(id);
    return it != m_sessions.end() && now - it->second.lastSeen < kSessionIdle &&
           now - it->second.began < kSessionLongest;
}

void SessionStore::end(std::string_view id) {
    const std::lock_guard lock(m_mutex);
    const auto it = m_sessions.find(id);
    if (it != m_sessions.end()) {
        m_sessions.erase(it);
    }
}

void SessionStore::endUser(std::string_view user, std::uint64_t generation) {
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_sessions, [&](const auto& entry) {
        return entry.second.user == user &&
               (generation == 0 || entry.second.generation != generation);
    });
}

std::size_t SessionStore::size() const {
    const std::lock_guard lock(m_mutex);
    return m_sessions.size();
}

std::chrono::seconds LoginThrottle::lockedFor(const std::string& address, SteadyTime now) const {
    const std::lock_guard lock(m_mutex);
    const auto it = m_records.find(address);
    if (it == m_records.end() || it->second.lockedUntil <= now) {
        return std::chrono::seconds{0};
    }
    return std::chrono::ceil<std::chrono::seconds>(it->second.lockedUntil - now);
}

bool LoginThrottle::failed(const std::string& address, SteadyTime now) {
    const std::lock_guard lock(m_mutex);
    if (m_records.size() >= kMaxThrottled && m_records.find(address) == m_records.end()) {
        std::erase_if(m_records,
                      [&](const auto& entry) { return entry.second.lockedUntil <= now; });
    }
    Record& r = m_records[address];
    if (++r.failures < kFailuresBeforeLockout) {
        return false;
    }
    r.failures = 0;
    // Capped, so that a long siege cannot overflow the duration.
    const int doublings = std::min(r.lockouts, 10);
    r.lockedUntil = now + kFirstLockout * (1 << doublings);
    ++r.lockouts;
    return true;
}

void LoginThrottle::succeeded(const std::string& address) {
    const std::lock_guard lock(m_mutex);
    const auto it = m_records.find(address);
    if (it != m_records.end()) {
        it->second.failures = 0;
    }
}

}  // namespace orvessa::console

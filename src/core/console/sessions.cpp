#include "core/console/sessions.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <vector>

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

namespace {

// The eight 16-bit groups of an IPv6 address written as inet_ntop writes it (a dotted IPv4
// tail included); none for anything else.
std::optional<std::array<std::uint16_t, 8>> ipv6Groups(std::string_view text) {
    std::array<std::uint16_t, 8> groups{};
    std::vector<std::uint16_t> head;
    std::vector<std::uint16_t> tail;
    bool gap = false;
    std::vector<std::uint16_t>* into = &head;
    std::size_t at = 0;
    if (text.starts_with("::")) {
        gap = true;
        into = &tail;
        at = 2;
    }
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(':', at), text.size());
        const std::string_view part = text.substr(at, end - at);
        if (part.find('.') != std::string_view::npos && end == text.size()) {
            unsigned a = 0, b = 0, c = 0, d = 0;
            char rest = 0;
            const std::string dotted(part);
            if (std::sscanf(dotted.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &rest) != 4 ||
                a > 255 || b > 255 || c > 255 || d > 255) {
                return std::nullopt;
            }
            into->push_back(static_cast<std::uint16_t>(a << 8 | b));
            into->push_back(static_cast<std::uint16_t>(c << 8 | d));
        } else {
            if (part.empty() || part.size() > 4 ||
                part.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
                return std::nullopt;
            }
            into->push_back(static_cast<std::uint16_t>(std::stoul(std::string(part), nullptr, 16)));
        }
        if (end == text.size()) {
            break;
        }
        at = end + 1;
        if (at < text.size() && text[at] == ':') {
            if (gap) {
                return std::nullopt;
            }
            gap = true;
            into = &tail;
            ++at;
        } else if (at == text.size()) {
            return std::nullopt;
        }
    }
    if (head.size() + tail.size() > (gap ? 7u : 8u) || (!gap && head.size() + tail.size() != 8)) {
        return std::nullopt;
    }
    std::copy(head.begin(), head.end(), groups.begin());
    std::copy(tail.begin(), tail.end(), groups.end() - static_cast<std::ptrdiff_t>(tail.size()));
    return groups;
}

}  // namespace

std::string throttledAddress(std::string_view peer) {
    if (peer == "127.0.0.1" || peer == "::1") {
        return "loopback";
    }
    const auto groups = ipv6Groups(peer);
    if (!groups) {
        return std::string(peer);
    }
    const std::array<std::uint16_t, 6> mapped{0, 0, 0, 0, 0, 0xffff};
    if (std::equal(mapped.begin(), mapped.end(), groups->begin())) {
        // An IPv4 address on an IPv6 socket is that IPv4 address.
        const std::string v4 =
            std::to_string((*groups)[6] >> 8) + "." + std::to_string((*groups)[6] & 0xff) + "." +
            std::to_string((*groups)[7] >> 8) + "." + std::to_string((*groups)[7] & 0xff);
        return throttledAddress(v4);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%x:%x:%x:%x::/64", (*groups)[0], (*groups)[1], (*groups)[2],
                  (*groups)[3]);
    return text;
}

LoginThrottle::Admission LoginThrottle::admit(const std::string& address, SteadyTime now) {
    const std::lock_guard lock(m_mutex);
    if (m_records.size() >= kMaxThrottled && m_records.find(address) == m_records.end()) {
        std::erase_if(m_records, [&](const auto& entry) {
            return entry.second.lockedUntil <= now && !entry.second.checking;
        });
    }
    Record& r = m_records[address];
    Admission a;
    if (r.lockedUntil > now) {
        a.wait = std::chrono::ceil<std::chrono::seconds>(r.lockedUntil - now);
    } else if (r.checking) {
        a.busy = true;
    } else {
        r.checking = true;
        ++r.failures;
        a.admitted = true;
    }
    return a;
}

bool LoginThrottle::failed(const std::string& address, SteadyTime now) {
    const std::lock_guard lock(m_mutex);
    Record& r = m_records[address];
    r.checking = false;
    if (r.failures < kFailuresBeforeLockout) {
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
        it->second.checking = false;
    }
}

void LoginThrottle::withdrawn(const std::string& address) {
    const std::lock_guard lock(m_mutex);
    const auto it = m_records.find(address);
    if (it != m_records.end() && it->second.checking) {
        it->second.checking = false;
        it->second.failures = std::max(0, it->second.failures - 1);
    }
}

}  // namespace orvessa::console

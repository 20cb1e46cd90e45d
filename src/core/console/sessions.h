#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/console/names.h"
#include "core/console/secrets.h"

namespace orvessa::console {

using SteadyTime = std::chrono::steady_clock::time_point;

inline constexpr std::chrono::minutes kSessionIdle{30};
// More live sessions than any school has people: past it the least recently seen goes.
inline constexpr std::size_t kMaxSessions = 1000;
// Addresses the throttle remembers; past it those not locked out are forgotten.
inline constexpr std::size_t kMaxThrottled = 4096;
inline constexpr std::chrono::hours kSessionLongest{12};

struct Session {
    std::string id;  // the cookie's value
    std::string csrfToken;
    std::string user;
    Role role = Role::Viewer;
    std::uint64_t generation = 0;  // the user's when the session began
    SteadyTime began;
    SteadyTime lastSeen;
};

// The signed-in browsers. A session ends when it has been idle too long, when it is too old,
// at logout, and when its user is removed or changes password (a generation other than the
// session's). Called from the server's threads at once.
class SessionStore {
public:
    explicit SessionStore(Secrets& secrets) : m_secrets(secrets) {}

    // A new session with new random ids: never one a client chose or had before.
    Session begin(std::string user, Role role, std::uint64_t generation, SteadyTime now);
    // The live session of `id`, marked as seen now; none for an unknown, idle or old one,
    // which is forgotten.
    std::optional<Session> find(std::string_view id, SteadyTime now);
    // Whether the session of `id` is live, without counting this as the client being seen.
    bool alive(std::string_view id, SteadyTime now) const;
    void end(std::string_view id);
    // Ends every session of `user` not made under `generation` (0 ends them all).
    void endUser(std::string_view user, std::uint64_t generation = 0);
    std::size_t size() const;

private:
    Secrets& m_secrets;
    mutable std::mutex m_mutex;
    std::map<std::string, Session, std::less<>> m_sessions;
};

inline constexpr int kFailuresBeforeLockout = 5;
inline constexpr std::chrono::minutes kFirstLockout{10};

// The address a login is counted against: an IPv6 address by its /64, which one household or
// office is given whole, and this computer's two loopback addresses as one.
std::string throttledAddress(std::string_view peer);

// Refuses logins from an address that failed too often: after five failures in a row it is
// locked out for ten minutes, and each further lockout lasts twice the one before. Each try is
// counted before its password is checked, and an address has one check at a time, so that
// tries sent at once cannot all be checked before the first failure is known. Addresses are
// taken as given: callers pass throttledAddress().
class LoginThrottle {
public:
    struct Admission {
        bool admitted = false;
        bool busy = false;             // refused: another try of the address is being checked
        std::chrono::seconds wait{0};  // refused: locked out for this long
    };

    // Admits one try from `address`, counted as failed until succeeded() says otherwise;
    // failed(), succeeded() or withdrawn() must follow an admitted try.
    Admission admit(const std::string& address, SteadyTime now);
    // The admitted try failed; true when it locked the address out.
    bool failed(const std::string& address, SteadyTime now);
    // The admitted try succeeded: the count starts again, the doubling stays.
    void succeeded(const std::string& address);
    // The admitted try was not checked after all: it does not count.
    void withdrawn(const std::string& address);

private:
    struct Record {
        int failures = 0;  // the try being checked included
        int lockouts = 0;
        bool checking = false;
        SteadyTime lockedUntil{};
    };
    mutable std::mutex m_mutex;
    std::map<std::string, Record> m_records;
};

}  // namespace orvessa::console

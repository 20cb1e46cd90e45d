#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The file through which the desktop program tells the shutdown helper, which runs as root, when
// to power the PC on again. It holds one decimal number, the seconds since 1970-01-01 00:00 UTC,
// and a line end. Header-only, so that the helper is built from it alone.
namespace orvessa::scheduler {

// Where the file is, under the home directory that the user database gives its user: the
// helper knows no user's environment, so the place is fixed.
inline constexpr const char* kWakeFileInHome = ".local/state/orvessa/wake-time";
// The farthest ahead a wake time may lie: a week and a day.
inline constexpr int64_t kMaxWakeAheadSeconds = 8 * 86400;
// More than any wake file holds; the helper reads no further.
inline constexpr std::size_t kMaxWakeFileBytes = 32;

inline std::string wakeFileText(int64_t seconds) {
    return std::to_string(seconds) + "\n";
}

// The seconds a wake file's content names: 1 to 12 decimal digits, then at most one "\n".
// Nothing else is a wake time: no sign, no blank, no second line, no longer number.
inline std::optional<int64_t> parseWakeFileText(std::string_view text) {
    if (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    int64_t seconds = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        seconds = seconds * 10 + (c - '0');
    }
    return seconds;
}

enum class WakeRefusal {
    None,
    Past,         // at or before now: an alarm the clock has passed never rings
    TooFarAhead,  // more than kMaxWakeAheadSeconds ahead
};

inline WakeRefusal checkWakeTime(int64_t wake, int64_t now) {
    if (wake <= now) {
        return WakeRefusal::Past;
    }
    if (wake - now > kMaxWakeAheadSeconds) {
        return WakeRefusal::TooFarAhead;
    }
    return WakeRefusal::None;
}

}  // namespace orvessa::scheduler

#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What orvessa-wake-alarm does as root at shutdown: reads the wake times that users' Orvessa
// left in their homes, trusting none of them further than one number, and sets the real-time
// clock's alarm to the earliest. No part of the desktop program.
namespace orvessa::backends::rtc_wake {

struct WakeRead {
    std::optional<int64_t> seconds;  // since the epoch
    std::string problem;             // why there is none; empty when the file is simply absent
};

// The wake time in `relative` under `home`. Nothing below `home` is followed if it is a link;
// the file must be a regular file owned by `owner`, writable by no one else but its group, and
// hold a wake file's text. It is opened without following or blocking and read through the
// descriptor it was checked by, so that neither a link, a pipe, a device nor a file swapped in
// between is ever read.
WakeRead readWakeFile(const std::filesystem::path& home, const std::filesystem::path& relative,
                      uid_t owner);

struct User {
    uid_t uid = 0;
    std::filesystem::path home;
};
// The users whose homes may hold a wake file: those of the user database (or of a file in its
// format) with a uid of 1000 or more, other than nobody, or root's, and an absolute home.
std::vector<User> usersOf(const std::optional<std::filesystem::path>& passwdFile);

// Sets the alarm of the clock `rtcDirectory` (/sys/class/rtc/rtc0 but in tests) to `wake`,
// seconds since the epoch as the system clock counts them, `now` being that clock's time: first
// "0" to clear an alarm set before, then the time, as rtcwake does, moved by what the real-time
// clock's own count (since_epoch) is ahead of the system clock, so that a clock kept in local
// time rings at the same moment. A time in the past or more than eight days ahead is refused.
// What went wrong; empty on success.
std::string setAlarm(const std::filesystem::path& rtcDirectory, int64_t wake, int64_t now);

}  // namespace orvessa::backends::rtc_wake

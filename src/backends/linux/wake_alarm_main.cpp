// orvessa-wake-alarm: run as root by orvessa-wake.service when the PC shuts down. Sets the
// real-time clock's alarm to the earliest wake time that a user's Orvessa left in
// ~/.local/state/orvessa/wake-time, so that the PC powers itself on before the next day's first
// bell. Without a usable wake time it leaves the clock's alarm as it is.
//
//   orvessa-wake-alarm [--rtc DIR] [--passwd FILE]
//
// --rtc: the clock's sysfs folder (/sys/class/rtc/rtc0); --passwd: users from a file of the
// passwd format instead of the user database. Both for tests.

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "backends/linux/rtc_wake.h"
#include "core/scheduler/wake_file.h"

namespace {

namespace fs = std::filesystem;
namespace rtc_wake = orvessa::backends::rtc_wake;

int usage() {
    std::fputs("usage: orvessa-wake-alarm [--rtc DIR] [--passwd FILE]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path rtc = "/sys/class/rtc/rtc0";
    std::optional<fs::path> passwdFile;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--rtc" || arg == "--passwd") && i + 1 < argc) {
            (arg == "--rtc" ? rtc : passwdFile.emplace()) = argv[++i];
        } else {
            return usage();
        }
    }
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    std::optional<int64_t> earliest;
    for (const rtc_wake::User& user : rtc_wake::usersOf(passwdFile)) {
        const rtc_wake::WakeRead read =
            rtc_wake::readWakeFile(user.home, orvessa::scheduler::kWakeFileInHome, user.uid);
        if (!read.problem.empty()) {
            std::fprintf(stderr, "orvessa-wake-alarm: ignored %s\n", read.problem.c_str());
            continue;
        }
        if (!read.seconds) {
            continue;
        }
        if (orvessa::scheduler::checkWakeTime(*read.seconds, now) !=
            orvessa::scheduler::WakeRefusal::None) {
            std::fprintf(stderr, "orvessa-wake-alarm: ignored uid %u's wake time %lld\n",
                         static_cast<unsigned>(user.uid), static_cast<long long>(*read.seconds));
            continue;
        }
        if (!earliest || *read.seconds < *earliest) {
            earliest = read.seconds;
        }
    }
    if (!earliest) {
        std::fputs("orvessa-wake-alarm: no wake time; the clock's alarm is left as it is\n",
                   stderr);
        return 0;
    }
    if (const std::string problem = rtc_wake::setAlarm(rtc, *earliest, now); !problem.empty()) {
        std::fprintf(stderr, "orvessa-wake-alarm: %s\n", problem.c_str());
        return 1;
    }
    const std::time_t t = static_cast<std::time_t>(*earliest);
    char when[64] = "";
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S %Z", std::localtime(&t));
    std::printf("orvessa-wake-alarm: the PC powers on at %s (%lld)\n", when,
                static_cast<long long>(*earliest));
    return 0;
}

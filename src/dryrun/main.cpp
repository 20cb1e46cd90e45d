#include <signal.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "backends/linux/program_directory.h"
#include "dryrun/rehearsal.h"
#include "dryrun/work_directory.h"

namespace {

volatile std::sig_atomic_t g_signal = 0;

void stopAtNextSecond(int signal) {
    g_signal = signal;
}

// Whether the command line names the program directory: the one word that is neither an option
// nor an option's value.
bool namesDirectory(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--start" || a == "--end" || a == "--length" || a == "--date" || a == "--jump" ||
            a == "--emergency" || a == "--announce") {
            ++i;
        } else if (!a.starts_with("--")) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // An interrupted run ends at the next simulated second and removes its temporary copy.
    struct sigaction action {};
    action.sa_handler = stopAtNextSecond;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    // The copies of runs killed before their end (SIGKILL) are no one's.
    orvessa::dryrun::removeStaleWorkDirectories();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Without DIR, the directory the program itself would use; it is only looked at, so a
    // rehearsal never makes the user's directory.
    if (!namesDirectory(arguments)) {
        arguments.insert(arguments.begin(),
                         orvessa::backends::chooseProgramDirectory().path.string());
    }
    return orvessa::dryrun::rehearse(arguments, std::cout, std::cerr, &g_signal);
}

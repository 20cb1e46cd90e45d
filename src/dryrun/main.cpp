#include <signal.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "dryrun/rehearsal.h"

namespace {

volatile std::sig_atomic_t g_signal = 0;

void stopAtNextSecond(int signal) {
    g_signal = signal;
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
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return orvessa::dryrun::rehearse(arguments, std::cout, std::cerr, &g_signal);
}

#pragma once

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

namespace orvessa::dryrun {

// Exit statuses of a rehearsal; a run ended by a signal gives 128 + the signal's number.
inline constexpr int kRehearsed = 0;
inline constexpr int kProblemsFound = 1;  // --check found problems
inline constexpr int kBadInput = 2;
inline constexpr int kOutputFailed = 3;  // the events could not all be written

// Runs the day of the program directory on a simulated clock, as orvessa-rehearse does with
// `arguments` (the command line without the program name): one line per event on `out`, or with
// --check one line per problem; one line on `err` for bad input or failed output. A run ends
// early when `interrupted` becomes non-zero (a signal handler sets it to the signal's number).
// Nothing outside a temporary directory of its own is written, and that is removed.
int rehearse(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* interrupted = nullptr);

}  // namespace orvessa::dryrun

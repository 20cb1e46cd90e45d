#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orvessa::dryrun {

// Exit statuses of a rehearsal.
inline constexpr int kRehearsed = 0;
inline constexpr int kBadInput = 2;

// Runs the day of the program directory on a simulated clock, as orvessa-rehearse does with
// `arguments` (the command line without the program name): one line per event on `out`, one
// line on `err` for bad input. Nothing outside a temporary directory of its own is written.
int rehearse(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace orvessa::dryrun

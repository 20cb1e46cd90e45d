#pragma once

#include <cstdint>
#include <map>

namespace orvessa::dryrun {

// The steps of the wall clock between two local seconds (counted as scheduler::secondsOf counts
// them) in the time zone the process runs in: summer time begins (02:00:00 is followed by
// 03:00:00) or ends (03:00:00 becomes 02:00:00 again). Keyed by the local second at which the
// wall clock steps, the value is by how many seconds, as a --jump gives it: the program sees
// exactly these steps on its own clock.
std::map<int64_t, int64_t> zoneSteps(int64_t fromLocal, int64_t toLocal);

}  // namespace orvessa::dryrun

#include "backends/linux/journal_failure_record.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/settable_clock.h"

namespace orvessa::backends {
namespace {

TEST(JournalFailureRecord, EachFailureIsOneStampedLineWithItsRow) {
    fakes::SettableClock clock({2026, 12, 9, 8, 0, 1});
    std::ostringstream lines;
    JournalFailureRecord record(clock, lines, false);
    // A reason as a message box shows it, with its line breaks.
    record.record({"table not read", "/srv/zxsj3.log: Is a directory\r\rsecond line", 0});
    clock.setTime(12, 30, 5);
    record.record({"item not found", "AUDIO/bell.wav: no such file", 5});
    EXPECT_EQ(
        lines.str(),
        "orvessa: 2026-12-09 08:00:01 table not read: /srv/zxsj3.log: Is a directory  "
        "second line\n"
        "orvessa: 2026-12-09 12:30:05 item not found: AUDIO/bell.wav: no such file (row 5)\n");
}

}  // namespace
}  // namespace orvessa::backends

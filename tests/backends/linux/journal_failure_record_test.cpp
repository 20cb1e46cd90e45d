#include "backends/linux/journal_failure_record.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

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

TEST(JournalFailureRecord, ARecordThatCannotBeWrittenLeavesOneLineOnStandardError) {
    fakes::SettableClock clock({2026, 12, 9, 8, 0, 1});
    // A stream whose every write fails, and says so by throwing.
    struct NoRoom : std::streambuf {
    } noRoom;
    std::ostream lines(&noRoom);
    lines.exceptions(std::ios::badbit);
    JournalFailureRecord record(clock, lines, false);
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(record.record({"save failed", "zxsj3.log:\ndisk full", 0}));
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(written.starts_with("orvessa: failure not recorded (")) << written;
    EXPECT_TRUE(written.ends_with("): save failed: zxsj3.log: disk full\n")) << written;
}

}  // namespace
}  // namespace orvessa::backends

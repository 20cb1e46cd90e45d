#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/scheduler/broadcast_record.h"

// The as-run record: what went on air, one line per event, one file per day. These are the
// record's texts and rules; the writing is the platform's.
namespace orvessa::scheduler::as_run {

// Days a file is kept after its own.
inline constexpr int kKeptDays = 60;

// "as-run-2026-12-14.log".
std::string fileName(int year, int month, int day);

// "plan=calendar stop-day=no remark=调休" or "plan=week stop-day=weekday": what decided a day and
// whether it is a stop day; the remark, which may hold blanks, comes last.
std::string planFields(const store::DayPlan& plan);
// A remark as a record line carries it: on one line, at most kRecordedRemarkCharacters
// characters (a longer one is cut and ends in "…").
inline constexpr std::size_t kRecordedRemarkCharacters = 200;
std::string recordedRemark(std::string_view remark);

// "start", "stop", "missing", "left", "day", "clock", "console", "emergency", "announce": the
// event's word in a line.
std::string eventWord(BroadcastEvent::Type type);

// "media", "page", "shell": what an item was played as, in the record and the rehearsal alike.
std::string kindWord(playback::ItemKind kind);

// One line, without its line end: the date, the second, what happened, the table, the row and
// the path, which comes last so that it may hold blanks.
//   2026-12-14 08:00:00 start table=zxsj1.log row=1 kind=media path=/srv/orvessa/AUDIO/bell.wav
//   2026-12-14 08:00:29 left table=zxsj1.log row=4 reason=still-playing by=3 path=bell.wav
// A day's plan has no row and no path:
//   2027-02-20 00:00:00 day table=zxsj5.log plan=calendar stop-day=no remark=调休
// Control characters (a file name may hold a line break) become "?".
std::string line(const BroadcastEvent& event);

// A name (a notice's file) as the value of a field: as it is, or in double quotes, with any quote
// or backslash in it escaped, when it holds a blank, a quote, a backslash or "=", so that
// nothing a name holds can pass for another field of its line ("file=\"x by=y.wav\"").
std::string fieldValue(std::string_view name);

// A line as `line` wrote it, read back: the date and second always; the event's type, table,
// row, reason, by and path for a start, stop, missing file or row left. None for a line that
// does not begin with a date and a second.
std::optional<BroadcastEvent> parse(std::string_view line);

// A day's file in `directory`, as lines without their ends; none for a day without a file.
// `error` says why a file that is there could not be read.
struct Day {
    std::vector<std::string> lines;
    std::string error;
};
Day readDay(const std::filesystem::path& directory, int year, int month, int day);

// The as-run files among `names` whose day lies more than kKeptDays before the given day.
// Other names are never chosen.
std::vector<std::string> filesToPrune(const std::vector<std::string>& names, int year, int month,
                                      int day);

}  // namespace orvessa::scheduler::as_run

#pragma once

#include "core/platform/calendar_reader.h"

namespace orvessa::backends {

// Calendars read with libical. All-day events become days, and so does a timed event within one
// local date (marked timed, for the import to decide); other timed events, recurring events
// (RRULE, RDATE: not expanded) and events with dates that make no sense are unplaced; cancelled
// events are left out.
//
// libical keeps its error state in process-wide variables, and not per thread in every
// version: reads take turns, on whatever thread they run.
class IcalCalendarReader : public platform::CalendarReader {
public:
    // Makes libical's errors non-fatal, so that a broken file never aborts the program. While
    // `quiet`, standard error is closed to libical's complaints about malformed input; a fuzzer
    // leaves it open, so that its own report of a crash inside libical is seen.
    explicit IcalCalendarReader(bool quiet = true);
    using platform::CalendarReader::read;
    platform::CalendarEvents read(std::string_view icsText,
                                  const platform::ReadProgress& progress) override;

    // A file with components nested deeper than this (a calendar holds events, an event
    // holds alarms) is refused: libical frees components recursively.
    static constexpr int kMaxNesting = 32;

private:
    platform::CalendarEvents readCalendars(std::string_view text,
                                           const platform::ReadProgress& progress);

    bool m_quiet;
};

}  // namespace orvessa::backends

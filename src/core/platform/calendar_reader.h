#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvessa::platform {

// One event of a calendar file, as far as a school day needs it.
struct CalendarEvent {
    std::string summary;  // UTF-8, one line
    // The first and the last day it covers (DTEND is exclusive in the file, so a one-day
    // event has first == last here).
    std::chrono::year_month_day first;
    std::chrono::year_month_day last;
    // UTF-8, one line, cut to a few hundred characters: some calendars say the kind of day
    // only here ("类型：节假日").
    std::string description{};
    // A time of day on one local date rather than an all-day event (first == last): a
    // make-up day written 09:00 to 18:00. The import decides whether it names a day.
    bool timed = false;
};

// An event that names no whole day, or that could not be read.
struct UnplacedEvent {
    std::string summary;  // UTF-8, one line; may be empty
    std::string why;      // for the operator: "不是全天事件", "重复事件", "日期无效"
};

struct CalendarEvents {
    // Why the file as a whole was refused (too large, not a calendar, broken); empty when it
    // was read, and then the rest holds what it says.
    std::string error;
    std::vector<CalendarEvent> events;
    std::vector<UnplacedEvent> unplaced;
    // The read was stopped by its progress callback: nothing else holds.
    bool cancelled = false;
};

// How far a read has come, in bytes of the text, and whether to go on: false stops it. Called
// on the reading thread, every few hundred events.
using ReadProgress = std::function<bool(std::size_t doneBytes, std::size_t totalBytes)>;

// Reads calendars in iCalendar form (RFC 5545).
class CalendarReader {
public:
    virtual ~CalendarReader() = default;
    // A file larger than this is refused unread: no published holiday calendar comes near it.
    static constexpr std::size_t kMaxBytes = 4u * 1024 * 1024;
    // Events beyond this many are refused with the rest of the file.
    static constexpr std::size_t kMaxEvents = 20000;
    // An all-day event longer than this many days is unplaced: no holiday runs a year.
    static constexpr int kMaxSpanDays = 366;
    // The events of `icsText` (the file's bytes). Never throws; anything it cannot use is
    // either an unplaced event or the error. May run on any thread, one read at a time; its
    // memory beyond what it returns is bounded by one event, not by the file.
    virtual CalendarEvents read(std::string_view icsText, const ReadProgress& progress) = 0;
    CalendarEvents read(std::string_view icsText) { return read(icsText, ReadProgress{}); }
};

}  // namespace orvessa::platform

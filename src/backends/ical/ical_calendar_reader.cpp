#include "backends/ical/ical_calendar_reader.h"

#include <fcntl.h>
#include <libical/ical.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>

#include "core/text/gbk.h"
#include "core/text/time_text.h"

namespace orvessa::backends {

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

// A summary longer than any holiday's name is cut; the import cuts it further for a remark.
constexpr std::size_t kSummaryCharacters = 200;
// Enough of a description for the words that say the kind of day.
constexpr std::size_t kDescriptionCharacters = 300;
// How often, in events, a read tells how far it has come.
constexpr std::size_t kProgressEvery = 256;

const char* const kNotCalendar = "文件不是日历（iCalendar）格式";
const char* const kBroken = "日历文件不完整或已损坏，无法读取";
const char* const kTooLarge = "文件超过4 MB，不是可导入的节假日日历，未读取";
const char* const kTooManyLines = "日历文件超过250000行，不是可导入的节假日日历，未读取";
const char* const kBadDates = "日期无效";
const char* const kTimed = "不是全天事件";
const char* const kRecurring = "重复事件";
const char* const kTooLong = "持续超过366天";

static_assert(platform::CalendarReader::kMaxBytes == 4u * 1024 * 1024,
              "the message of a file too large names its size");
// Content lines: the most events a file may hold, at a dozen lines each.
constexpr std::size_t kMaxLines = 250000;
static_assert(kMaxLines >= platform::CalendarReader::kMaxEvents * 12);
static_assert(platform::CalendarReader::kMaxSpanDays == 366,
              "the message of an event too long names its length");

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// libical writes what it finds malformed straight to standard error (icalerror_warn), where a
// hostile file could flood the program's log. Standard error goes to /dev/null while libical
// works: for the whole process, like libical's own state, so for a few milliseconds a line
// another thread writes there is lost.
class QuietStandardError {
public:
    QuietStandardError() {
        std::fflush(stderr);
        m_saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0) {
            dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            close(null);
        }
    }
    ~QuietStandardError() {
        std::fflush(stderr);
        if (m_saved >= 0) {
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int m_saved = -1;
};

struct ParserFree {
    void operator()(icalparser* p) const { icalparser_free(p); }
};
using Parser = std::unique_ptr<icalparser, ParserFree>;

// The file's lines for libical, each ended by LF whatever ended it in the file (CR LF, LF or a
// lone CR, as old programs wrote): libical joins folded lines itself. A line longer than the
// room given comes in pieces, as libical expects.
char* nextLine(char* out, std::size_t size, void* source) {
    std::string_view& rest = *static_cast<std::string_view*>(source);
    if (rest.empty() || size < 2) {
        return nullptr;
    }
    const std::size_t room = size - 1;
    // Looked for within the room only: a line of megabytes is not searched again for each piece.
    const std::size_t end = rest.substr(0, room).find_first_of("\r\n");
    if (end == std::string_view::npos || end >= room) {
        const std::size_t piece = std::min(rest.size(), room);
        rest.copy(out, piece);
        out[piece] = '\0';
        rest.remove_prefix(piece);
        return out;
    }
    rest.copy(out, end);
    out[end] = '\n';
    out[end + 1] = '\0';
    const bool crLf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
    rest.remove_prefix(end + (crLf ? 2 : 1));
    return out;
}

enum class Marker { None, Begin, End };

// Whether a content line begins or ends a component, read as libical reads its name: up to the
// first ';' or ':' outside quotes (never the first character, nor one after a backslash),
// without the white space that ends it, in any case.
Marker markerOf(std::string_view line) {
    bool quoted = false;
    std::size_t at = std::string_view::npos;
    for (std::size_t i = 1; i < line.size() && at == std::string_view::npos; ++i) {
        if (line[i - 1] == '\\') {
            continue;
        }
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && (line[i] == ';' || line[i] == ':')) {
            at = i;
        }
    }
    std::string_view name = line.substr(0, at == std::string_view::npos ? 0 : at);
    while (!name.empty() &&
           std::string_view(" \t\n\v\f\r").find(name.back()) != std::string_view::npos) {
        name.remove_suffix(1);
    }
    const auto is = [&](std::string_view word) {
        return name.size() == word.size() &&
               std::equal(name.begin(), name.end(), word.begin(), [](char a, char b) {
                   return std::toupper(static_cast<unsigned char>(a)) == b;
               });
    };
    return is("BEGIN") ? Marker::Begin : is("END") ? Marker::End : Marker::None;
}

// The name after "BEGIN:" or "END:", in capitals and without blanks.
std::string componentName(std::string_view line) {
    const std::size_t colon = line.find(':');
    std::string name;
    if (colon == std::string_view::npos) {
        return name;
    }
    for (char c : line.substr(colon + 1)) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return name;
}

// The value of a calendar's property `name` ("X-WR-TIMEZONE") on this line, if it is that one.
std::optional<std::string> propertyValue(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || (line[name.size()] != ':' && line[name.size()] != ';')) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(line[i])) != name[i]) {
            return std::nullopt;
        }
    }
    const std::size_t colon = line.find(':');
    std::string value(line.substr(colon == std::string_view::npos ? line.size() : colon + 1));
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) {
        value.pop_back();
    }
    return value;
}

bool mentionsCalendar(std::string_view text) {
    constexpr std::string_view kBegin = "BEGIN:VCALENDAR";
    const auto at = std::search(
        text.begin(), text.end(), kBegin.begin(), kBegin.end(),
        [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
    return at != text.end();
}

// Well-formed UTF-8: a byte that starts no valid sequence becomes U+FFFD.
std::string validUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
            smallest = 0x10000;
        }
        bool ok = length > 0 && i + length <= s.size();
        for (std::size_t k = 1; ok && k < length; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            ok = (b & 0xC0) == 0x80;
            cp = cp << 6 | (b & 0x3F);
        }
        ok = ok && cp >= smallest && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (ok) {
            out.append(s.substr(i, length));
            i += length;
        } else {
            text::appendUtf8(out, U'\uFFFD');
            ++i;
        }
    }
    return out;
}

std::string summaryOf(icalcomponent* event) {
    const char* raw = icalcomponent_get_summary(event);
    const std::string line = text::oneLine(validUtf8(raw == nullptr ? "" : raw));
    return text::firstCharacters(text::trimText(line), kSummaryCharacters);
}

std::string descriptionOf(icalcomponent* event) {
    const char* raw = icalcomponent_get_description(event);
    if (raw == nullptr) {
        return {};
    }
    const std::string first(raw,
                            std::min<std::size_t>(std::strlen(raw), kDescriptionCharacters * 4));
    return text::firstCharacters(text::trimText(text::oneLine(validUtf8(first))),
                                 kDescriptionCharacters);
}

std::optional<year_month_day> dayOf(const icaltimetype& t) {
    if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31) {
        return std::nullopt;
    }
    const year_month_day date{std::chrono::year{t.year},
                              std::chrono::month{static_cast<unsigned>(t.month)},
                              std::chrono::day{static_cast<unsigned>(t.day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return date;
}

// A time of day where the school is. A time with a TZID, or none, is read as written: it is the
// local time of the zone the calendar was made for. A UTC time ("...Z") is turned into the
// calendar's own zone (X-WR-TIMEZONE) where it names one, and into this computer's otherwise:
// 01:00Z is 09:00 in Asia/Shanghai, on the same date.
icaltimetype localTime(icaltimetype t, icaltimezone* calendarZone) {
    if (t.is_date || !icaltime_is_utc(t)) {
        return t;
    }
    if (calendarZone != nullptr) {
        return icaltime_convert_to_zone(t, calendarZone);
    }
    const std::time_t seconds = icaltime_as_timet(t);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return t;
    }
    icaltimetype out = t;
    out.year = local.tm_year + 1900;
    out.month = local.tm_mon + 1;
    out.day = local.tm_mday;
    out.hour = local.tm_hour;
    out.minute = local.tm_min;
    out.second = local.tm_sec;
    out.zone = nullptr;
    return out;
}

// How many days an all-day event starting on `first` covers; none with `why` set when its end
// makes no sense. An end equal to the start is one day, as some calendars write it.
std::optional<long long> daysCovered(icalcomponent* event, year_month_day first, const char*& why) {
    why = kBadDates;
    if (icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        const icaltimetype t = icalproperty_get_dtend(end);
        const std::optional<year_month_day> last = dayOf(t);
        if (!t.is_date || !last) {
            return std::nullopt;
        }
        const long long count = (sys_days{*last} - sys_days{first}).count();
        return count >= 0 ? std::optional<long long>{std::max(count, 1LL)} : std::nullopt;
    }
    if (icalproperty* length = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        const icaldurationtype d = icalproperty_get_duration(length);
        if (d.is_neg || icaldurationtype_is_bad_duration(d)) {
            return std::nullopt;
        }
        // A part of a day still covers that day.
        const long long seconds = d.hours * 3600LL + d.minutes * 60LL + d.seconds;
        const long long count = d.weeks * 7LL + d.days + (seconds + 86399) / 86400;
        return count > 0 ? std::optional<long long>{count} : std::nullopt;
    }
    return 1;
}

// Whether a timed event starting at local `start` ends on the date it starts (at midnight after
// it at the latest).
bool endsOnItsDate(icalcomponent* event, icaltimetype start, icaltimezone* calendarZone) {
    icaltimetype end = start;
    if (icalproperty* e = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        end = localTime(icalproperty_get_dtend(e), calendarZone);
        if (end.is_date) {
            return false;
        }
    } else if (icalproperty* l = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
        const icaldurationtype d = icalproperty_get_duration(l);
        if (d.is_neg || icaldurationtype_is_bad_duration(d) || d.weeks > 0 || d.days > 1) {
            return false;
        }
        end = icaltime_add(start, d);
    }
    const std::optional<year_month_day> first = dayOf(start);
    const std::optional<year_month_day> last = dayOf(end);
    if (!first || !last) {
        return false;
    }
    const long long days = (sys_days{*last} - sys_days{*first}).count();
    return days == 0 || (days == 1 && end.hour == 0 && end.minute == 0 && end.second == 0);
}

void readEvent(icalcomponent* event, icaltimezone* calendarZone, platform::CalendarEvents& out) {
    if (icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED) {
        return;
    }
    std::string summary = summaryOf(event);
    const auto unplaced = [&](const char* why) {
        out.unplaced.push_back({std::move(summary), why});
    };
    icalproperty* start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (start == nullptr) {
        return unplaced(kBadDates);
    }
    const icaltimetype t = localTime(icalproperty_get_dtstart(start), calendarZone);
    const std::optional<year_month_day> first = dayOf(t);
    if (!first) {
        return unplaced(kBadDates);
    }
    // Not expanded: a school year's holidays are published day by day, and a rule without an
    // end would need a window chosen for the operator. An instance moved out of a series
    // (RECURRENCE-ID) is a dated event of its own and is placed like one.
    if (icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY) != nullptr ||
        icalcomponent_get_first_property(event, ICAL_RDATE_PROPERTY) != nullptr) {
        return unplaced(kRecurring);
    }
    if (!t.is_date) {
        // A timed event on one date may be a make-up day written as office hours: the import
        // decides by its words. One over several dates names no day.
        if (!endsOnItsDate(event, t, calendarZone)) {
            return unplaced(kTimed);
        }
        out.events.push_back({std::move(summary), *first, *first, descriptionOf(event), true});
        return;
    }
    const char* why = nullptr;
    const std::optional<long long> count = daysCovered(event, *first, why);
    if (!count) {
        return unplaced(why);
    }
    if (*count > platform::CalendarReader::kMaxSpanDays) {
        return unplaced(kTooLong);
    }
    const year_month_day last{sys_days{*first} + std::chrono::days{*count - 1}};
    if (static_cast<int>(last.year()) > 9999) {
        return unplaced(kBadDates);
    }
    out.events.push_back({std::move(summary), *first, last, descriptionOf(event), false});
}

}  // namespace

IcalCalendarReader::IcalCalendarReader(bool quiet) : m_quiet(quiet) {
    icalerror_set_errors_are_fatal(0);
}

platform::CalendarEvents IcalCalendarReader::read(std::string_view icsText,
                                                  const platform::ReadProgress& progress) {
    platform::CalendarEvents out;
    if (icsText.size() > kMaxBytes) {
        out.error = kTooLarge;
        return out;
    }
    // A NUL ends the text for the parser: a UTF-16 export or a binary file.
    if (icsText.find('\0') != std::string_view::npos) {
        out.error = kNotCalendar;
        return out;
    }
    // libical's error state and its time zones are the process's: one read at a time.
    static std::mutex oneAtATime;
    const std::lock_guard<std::mutex> lock(oneAtATime);
    std::optional<QuietStandardError> quiet;
    if (m_quiet) {
        quiet.emplace();
    }
    // A byte order mark, as Windows programs write one before UTF-8.
    if (icsText.starts_with("\xEF\xBB\xBF")) {
        icsText.remove_prefix(3);
    }
    icalerror_clear_errno();
    out = readCalendars(icsText, progress);
    icalerror_clear_errno();
    return out;
}

// The file line by line, as libical unfolds the lines. Each event is parsed alone and let go
// once read, so that a calendar of twenty thousand events costs what one costs, not a tree of
// them all. The nesting is followed here: a file nested too deep is refused (libical frees
// components recursively), and an END with nothing open is dropped. The events of a calendar
// count once its END is read: a file cut short adds nothing of the part it lost.
platform::CalendarEvents IcalCalendarReader::readCalendars(std::string_view text,
                                                           const platform::ReadProgress& progress) {
    platform::CalendarEvents out;
    const auto fail = [&](const char* why) {
        platform::CalendarEvents failed;
        failed.error = why;
        return failed;
    };
    const Parser lines(icalparser_new());
    if (!lines) {
        return fail(kBroken);
    }
    std::string_view rest = text;
    icalparser_set_gen_data(lines.get(), &rest);

    platform::CalendarEvents pending;  // of the calendar being read
    Parser eventParser;                // while inside an event
    int depth = 0;
    int calendarDepth = 0;  // depth of the open VCALENDAR, or 0
    bool sawCalendar = false;
    bool completedCalendar = false;
    bool sawOther = false;
    std::size_t lineCount = 0;
    std::size_t eventCount = 0;
    std::size_t ends = 0;
    icaltimezone* zone = nullptr;
    while (char* raw = icalparser_get_line(lines.get(), nextLine)) {
        const std::unique_ptr<char, void (*)(void*)> line(raw, icalmemory_free_buffer);
        if (++lineCount > kMaxLines) {
            return fail(kTooManyLines);
        }
        const Marker marker = markerOf(raw);
        if (marker == Marker::End && depth == 0) {
            continue;
        }
        if (marker == Marker::Begin) {
            ++depth;
            if (depth > kMaxNesting) {
                return fail(kBroken);
            }
            const std::string name = componentName(raw);
            if (depth == 1) {
                if (name == "VCALENDAR") {
                    calendarDepth = 1;
                    sawCalendar = true;
                    pending = {};
                    zone = nullptr;
                } else {
                    sawOther = true;
                }
            } else if (depth == 2 && calendarDepth == 1 && name == "VEVENT") {
                if (++eventCount > kMaxEvents) {
                    platform::CalendarEvents refused;
                    refused.error = "日历中的事件超过" + std::to_string(kMaxEvents) + "个，未导入";
                    return refused;
                }
                eventParser.reset(icalparser_new());
                if (!eventParser) {
                    return fail(kBroken);
                }
            }
        }
        if (eventParser) {
            icalcomponent* done = icalparser_add_line(eventParser.get(), raw);
            if (done != nullptr) {
                const Component event(done);
                if (icalcomponent_isa(done) == ICAL_VEVENT_COMPONENT) {
                    readEvent(done, zone, pending);
                }
                eventParser.reset();
            }
        } else if (depth == 1 && calendarDepth == 1) {
            if (const std::optional<std::string> tz = propertyValue(raw, "X-WR-TIMEZONE")) {
                zone = tz->empty() ? nullptr : icaltimezone_get_builtin_timezone(tz->c_str());
            }
        }
        if (marker == Marker::End) {
            if (depth == 2 && eventParser) {
                // The event's END came, yet libical gave nothing back: it is not one.
                eventParser.reset();
            }
            if (depth == 1 && calendarDepth == 1) {
                calendarDepth = 0;
                completedCalendar = true;
                std::move(pending.events.begin(), pending.events.end(),
                          std::back_inserter(out.events));
                std::move(pending.unplaced.begin(), pending.unplaced.end(),
                          std::back_inserter(out.unplaced));
                pending = {};
            }
            --depth;
        }
        if (progress && marker == Marker::End && ++ends % kProgressEvery == 0 &&
            !progress(text.size() - rest.size(), text.size())) {
            platform::CalendarEvents stopped;
            stopped.cancelled = true;
            return stopped;
        }
    }
    if (!completedCalendar) {
        return fail(sawCalendar || (!sawOther && mentionsCalendar(text)) ? kBroken : kNotCalendar);
    }
    if (progress && !progress(text.size(), text.size())) {
        platform::CalendarEvents stopped;
        stopped.cancelled = true;
        return stopped;
    }
    return out;
}

}  // namespace orvessa::backends

#include "backends/ical/ical_calendar_reader.h"

#include <fcntl.h>
#include <libical/ical.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/text/gbk.h"
#include "core/text/time_text.h"

namespace orvessa::backends {

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

// A summary longer than any holiday's name is cut; the import cuts it further for a remark.
constexpr std::size_t kSummaryCharacters = 200;

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

// The components at the top of the file, parsed line by line so that the nesting is known as
// libical builds it: a file nested too deep is refused (libical frees components recursively),
// and an END with nothing open is dropped here rather than in libical's error path. Lines
// beyond a calendar's worth are refused too: each costs libical a few hundred bytes.
std::optional<std::vector<Component>> topComponents(std::string_view text, std::string& error) {
    error = kBroken;
    const Parser parser(icalparser_new());
    if (!parser) {
        return std::nullopt;
    }
    std::string_view rest = text;
    icalparser_set_gen_data(parser.get(), &rest);
    std::vector<Component> tops;
    int depth = 0;
    std::size_t lines = 0;
    while (char* line = icalparser_get_line(parser.get(), nextLine)) {
        if (++lines > kMaxLines) {
            icalmemory_free_buffer(line);
            error = kTooManyLines;
            return std::nullopt;
        }
        const Marker marker = markerOf(line);
        bool add = true;
        if (marker == Marker::Begin) {
            ++depth;
        } else if (marker == Marker::End) {
            add = depth > 0;
            depth -= add ? 1 : 0;
        }
        if (depth > IcalCalendarReader::kMaxNesting) {
            icalmemory_free_buffer(line);
            return std::nullopt;
        }
        if (add) {
            if (icalcomponent* c = icalparser_add_line(parser.get(), line)) {
                tops.emplace_back(c);
            }
        }
        icalmemory_free_buffer(line);
    }
    return tops;
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

// How many days an all-day event starting on `first` covers; none with `why` set when its end
// makes no sense.
std::optional<long long> daysCovered(icalcomponent* event, year_month_day first, const char*& why) {
    why = kBadDates;
    if (icalproperty* end = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
        const icaltimetype t = icalproperty_get_dtend(end);
        const std::optional<year_month_day> last = dayOf(t);
        if (!t.is_date || !last) {
            return std::nullopt;
        }
        const long long count = (sys_days{*last} - sys_days{first}).count();
        return count > 0 ? std::optional<long long>{count} : std::nullopt;
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

void readEvent(icalcomponent* event, platform::CalendarEvents& out) {
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
    const icaltimetype t = icalproperty_get_dtstart(start);
    if (!t.is_date) {
        return unplaced(kTimed);
    }
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
    out.events.push_back({std::move(summary), *first, last});
}

}  // namespace

IcalCalendarReader::IcalCalendarReader(bool quiet) : m_quiet(quiet) {
    icalerror_set_errors_are_fatal(0);
}

platform::CalendarEvents IcalCalendarReader::read(std::string_view icsText) {
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
    std::optional<QuietStandardError> quiet;
    if (m_quiet) {
        quiet.emplace();
    }
    // A byte order mark, as Windows programs write one before UTF-8.
    if (icsText.starts_with("\xEF\xBB\xBF")) {
        icsText.remove_prefix(3);
    }
    icalerror_clear_errno();
    std::string error;
    const std::optional<std::vector<Component>> tops = topComponents(icsText, error);
    icalerror_clear_errno();
    if (!tops) {
        out.error = error;
        return out;
    }
    // Calendars one after another in one file are one import.
    std::vector<icalcomponent*> calendars;
    for (const Component& c : *tops) {
        if (icalcomponent_isa(c.get()) == ICAL_VCALENDAR_COMPONENT) {
            calendars.push_back(c.get());
        }
    }
    if (calendars.empty()) {
        out.error = tops->empty() && mentionsCalendar(icsText) ? kBroken : kNotCalendar;
        return out;
    }
    std::size_t eventCount = 0;
    for (icalcomponent* calendar : calendars) {
        eventCount += static_cast<std::size_t>(
            icalcomponent_count_components(calendar, ICAL_VEVENT_COMPONENT));
    }
    if (eventCount > kMaxEvents) {
        out.error = "日历中的事件超过" + std::to_string(kMaxEvents) + "个，未导入";
        return out;
    }
    for (icalcomponent* calendar : calendars) {
        for (icalcomponent* event =
                 icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
             event != nullptr;
             event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            readEvent(event, out);
        }
    }
    icalerror_clear_errno();
    return out;
}

}  // namespace orvessa::backends

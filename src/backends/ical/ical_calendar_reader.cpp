#include "backends/ical/ical_calendar_reader.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
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
const char* const kBadDates = "日期无效";
const char* const kTimed = "不是全天事件";
const char* const kRecurring = "重复事件";
const char* const kTooLong = "持续超过366天";

static_assert(platform::CalendarReader::kMaxBytes == 4u * 1024 * 1024,
              "the message of a file too large names its size");
static_assert(platform::CalendarReader::kMaxSpanDays == 366,
              "the message of an event too long names its length");

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The deepest nesting of components in the file, counted so that it is never less than what
// libical builds. Lines end at LF, CR LF or CR; a line break before a blank folds the line and
// that one blank goes. A BEGIN counts whatever blanks it holds, an END only as "END:" or "END;".
int nestingDepth(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    std::string beginHead;  // upper-cased, blanks dropped
    std::string endHead;    // upper-cased
    const auto endLine = [&] {
        if (beginHead.starts_with("BEGIN:") || beginHead.starts_with("BEGIN;")) {
            deepest = std::max(deepest, ++depth);
        } else if ((endHead == "END:" || endHead == "END;") && depth > 0) {
            --depth;
        }
        beginHead.clear();
        endHead.clear();
    };
    bool foldBlank = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool crBeforeLf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (crBeforeLf) {
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (i + 1 < text.size() && isBlank(text[i + 1])) {
                foldBlank = true;
            } else {
                endLine();
            }
            continue;
        }
        if (foldBlank) {
            foldBlank = false;
            continue;
        }
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!isBlank(c) && beginHead.size() < 6) {
            beginHead += upper;
        }
        if (endHead.size() < 4) {
            endHead += upper;
        }
    }
    endLine();
    return deepest;
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

// A run of control characters (line breaks, tabs) becomes one blank.
std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inRun = false;
    for (const char c : text) {
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        if (!control) {
            out += c;
        } else if (!inRun) {
            out += ' ';
        }
        inRun = control;
    }
    return out;
}

std::string summaryOf(icalcomponent* event) {
    const char* raw = icalcomponent_get_summary(event);
    const std::string line = oneLine(validUtf8(raw == nullptr ? "" : raw));
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

IcalCalendarReader::IcalCalendarReader() {
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
    if (nestingDepth(icsText) > kMaxNesting) {
        out.error = kBroken;
        return out;
    }
    const std::string text(icsText);
    icalerror_clear_errno();
    const Component root(icalparser_parse_string(text.c_str()));
    icalerror_clear_errno();

    std::vector<icalcomponent*> calendars;
    if (root && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(root.get());
    } else if (root && icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        // Calendars one after another in one file.
        for (icalcomponent* c =
                 icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             c != nullptr;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            calendars.push_back(c);
        }
    }
    if (calendars.empty()) {
        out.error = root == nullptr && mentionsCalendar(icsText) ? kBroken : kNotCalendar;
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

#include "dryrun/rehearsal.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/scheduler/broadcast_clock.h"
#include "dryrun/day_check.h"
#include "dryrun/day_run.h"
#include "dryrun/simulated_day.h"
#include "dryrun/zone_steps.h"

namespace orvessa::dryrun {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgramName = "orvessa-rehearse";
constexpr int64_t kDay = 86400;
// A rehearsal covers at most a year and a day, and no item lasts longer.
constexpr int64_t kLongestSpan = 366 * kDay;

// The output stream failed (a full disk, a closed pipe).
struct OutputFailed {};

struct Options {
    fs::path directory;
    int64_t start = 0;  // seconds, as scheduler::secondsOf counts them
    int64_t end = 0;
    std::map<std::string, int64_t> lengths;  // milliseconds by file name
    bool check = false;
    std::chrono::year_month_day date;
    std::map<int64_t, int64_t> jumps;              // seconds by the second they happen at
    std::map<int64_t, int64_t> emergencies;        // how long, by the second they start at
    std::map<int64_t, std::string> announcements;  // the notice, by the second it is played at
};

int digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY-MM-DD", and nothing else.
std::optional<std::chrono::year_month_day> parseDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const int y = digits(text, 0, 4);
    const int mo = digits(text, 5, 2);
    const int d = digits(text, 8, 2);
    if (y < 0 || mo < 0 || d < 0) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{year(y), month(static_cast<unsigned>(mo)),
                              day(static_cast<unsigned>(d))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return date;
}

// "YYYY-MM-DD HH:MM:SS", and nothing else, as seconds.
std::optional<int64_t> parseDateTime(std::string_view text) {
    if (text.size() != 19 || text[10] != ' ' || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const std::optional<std::chrono::year_month_day> date = parseDate(text.substr(0, 10));
    const int h = digits(text, 11, 2);
    const int mi = digits(text, 14, 2);
    const int s = digits(text, 17, 2);
    if (!date || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) {
        return std::nullopt;
    }
    return scheduler::secondsOf({static_cast<int>(date->year()),
                                 static_cast<int>(unsigned(date->month())),
                                 static_cast<int>(unsigned(date->day())), h, mi, s, 0});
}

int64_t nowInLocalTime() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return scheduler::secondsOf({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                 local.tm_hour, local.tm_min, local.tm_sec, 0});
}

// NAME=SECONDS; the name is the last path component of the files it stands for.
void parseLength(std::string_view text, std::map<std::string, int64_t>& lengths) {
    const std::size_t equals = text.rfind('=');
    const BadInput bad{"malformed --length \"" + std::string(text) + "\" (expected NAME=SECONDS)"};
    if (equals == std::string_view::npos || equals == 0) {
        throw bad;
    }
    const std::string_view number = text.substr(equals + 1);
    double seconds = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), seconds);
    // Out of range is too large, unless the exponent is negative (too small to be a length).
    const bool huge = ec == std::errc::result_out_of_range &&
                      number.find("e-") == std::string_view::npos &&
                      number.find("E-") == std::string_view::npos;
    if (number.empty() || end != number.data() + number.size() || (ec != std::errc() && !huge) ||
        std::isnan(seconds) || (!huge && seconds <= 0)) {
        throw bad;
    }
    // Milliseconds must fit, and an item longer than any rehearsal says nothing more.
    if (huge || seconds > static_cast<double>(kLongestSpan)) {
        throw BadInput{"--length \"" + std::string(text) + "\" is longer than " +
                       std::to_string(kLongestSpan) + " seconds (366 days)"};
    }
    lengths[std::string(text.substr(0, equals))] = std::llround(seconds * 1000.0);
}

// "YYYY-MM-DD HH:MM:SS=+600" or "...=-600": the clock jumps by that many seconds at that moment.
void parseJump(std::string_view text, std::map<int64_t, int64_t>& jumps) {
    const std::size_t equals = text.rfind('=');
    const auto malformed = [&] {
        return BadInput{"malformed --jump \"" + std::string(text) +
                        "\" (expected \"YYYY-MM-DD HH:MM:SS=+SECONDS\" or \"...=-SECONDS\")"};
    };
    if (equals == std::string_view::npos) {
        throw malformed();
    }
    const std::optional<int64_t> at = parseDateTime(text.substr(0, equals));
    const std::string_view by = text.substr(equals + 1);
    if (!at || by.size() < 2 || (by[0] != '+' && by[0] != '-') || by.size() > 10 ||
        by.find_first_not_of("0123456789", 1) != std::string_view::npos) {
        throw malformed();
    }
    const int64_t seconds = std::stoll(std::string(by.substr(1)));
    if (seconds == 0 || seconds > kLongestSpan) {
        throw BadInput{"--jump \"" + std::string(text) + "\" must move the clock by 1 to " +
                       std::to_string(kLongestSpan) + " seconds"};
    }
    if (!jumps.emplace(*at, by[0] == '-' ? -seconds : seconds).second) {
        throw BadInput{"two --jump at the same moment"};
    }
}

// "YYYY-MM-DD HH:MM:SS=SECONDS": an emergency drill of that many seconds from that moment.
void parseEmergency(std::string_view text, std::map<int64_t, int64_t>& emergencies) {
    const std::size_t equals = text.rfind('=');
    const BadInput malformed{"malformed --emergency \"" + std::string(text) +
                             "\" (expected \"YYYY-MM-DD HH:MM:SS=SECONDS\")"};
    if (equals == std::string_view::npos) {
        throw malformed;
    }
    const std::optional<int64_t> at = parseDateTime(text.substr(0, equals));
    const std::string_view lasts = text.substr(equals + 1);
    if (!at || lasts.empty() || lasts.size() > 10 ||
        lasts.find_first_not_of("0123456789") != std::string_view::npos) {
        throw malformed;
    }
    const int64_t seconds = std::stoll(std::string(lasts));
    if (seconds < 1 || seconds > kDay) {
        throw BadInput{"--emergency \"" + std::string(text) + "\" must last 1 to " +
                       std::to_string(kDay) + " seconds"};
    }
    if (!emergencies.emplace(*at, seconds).second) {
        throw BadInput{"two --emergency at the same moment"};
    }
}

// "YYYY-MM-DD HH:MM:SS=NAME": the notice NAME is played at that moment. The moment holds no '=',
// so the name may.
void parseAnnouncement(std::string_view text, std::map<int64_t, std::string>& announcements) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals + 1 == text.size() ||
        !parseDateTime(text.substr(0, equals))) {
        throw BadInput{"malformed --announce \"" + std::string(text) +
                       "\" (expected \"YYYY-MM-DD HH:MM:SS=NAME\")"};
    }
    const int64_t at = *parseDateTime(text.substr(0, equals));
    if (!announcements.emplace(at, std::string(text.substr(equals + 1))).second) {
        throw BadInput{"two --announce at the same moment"};
    }
}

// The drills happen at seconds the clock ticks: after --start, up to --end.
void checkDrillsWithin(const Options& options) {
    const auto outside = [&](int64_t at) { return at <= options.start || at > options.end; };
    const auto refuse = [&](const char* option, int64_t at) {
        return BadInput{std::string(option) + " at " + dateTimeText(at) +
                        " is outside the rehearsal (after --start " + dateTimeText(options.start) +
                        ", up to --end " + dateTimeText(options.end) + ")"};
    };
    int64_t overUntil = 0;
    int64_t previous = 0;
    for (const auto& [at, seconds] : options.emergencies) {
        if (outside(at)) {
            throw refuse("--emergency", at);
        }
        // The one drill would end the other: each is to be seen whole.
        if (at < overUntil) {
            throw BadInput{"--emergency at " + dateTimeText(at) + " starts before the one at " +
                           dateTimeText(previous) + " is over"};
        }
        overUntil = at + seconds;
        previous = at;
    }
    for (const auto& announcement : options.announcements) {
        if (outside(announcement.first)) {
            throw refuse("--announce", announcement.first);
        }
    }
}

Options parseArguments(const std::vector<std::string>& arguments) {
    Options options;
    std::optional<std::string> directory;
    std::optional<int64_t> start;
    std::optional<int64_t> end;
    std::optional<std::chrono::year_month_day> date;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--check") {
            options.check = true;
        } else if (a == "--start" || a == "--end" || a == "--length" || a == "--date" ||
                   a == "--jump" || a == "--emergency" || a == "--announce") {
            if (i + 1 == arguments.size()) {
                throw BadInput{a + " needs a value"};
            }
            const std::string& value = arguments[++i];
            if (a == "--length") {
                parseLength(value, options.lengths);
            } else if (a == "--jump") {
                parseJump(value, options.jumps);
            } else if (a == "--emergency") {
                parseEmergency(value, options.emergencies);
            } else if (a == "--announce") {
                parseAnnouncement(value, options.announcements);
            } else if (a == "--date") {
                date = parseDate(value);
                if (!date) {
                    throw BadInput{"malformed --date \"" + value + "\" (expected \"YYYY-MM-DD\")"};
                }
            } else {
                const std::optional<int64_t> at = parseDateTime(value);
                if (!at) {
                    throw BadInput{"malformed " + a + " \"" + value +
                                   "\" (expected \"YYYY-MM-DD HH:MM:SS\")"};
                }
                (a == "--start" ? start : end) = at;
            }
        } else if (a.starts_with("--") || directory) {
            throw BadInput{"unexpected argument \"" + a + "\""};
        } else {
            directory = a;
        }
    }
    if (!directory) {
        throw BadInput{
            "usage: orvessa-rehearse DIR [--start \"YYYY-MM-DD HH:MM:SS\"] [--end \"YYYY-MM-DD "
            "HH:MM:SS\"] [--length NAME=SECONDS]... [--jump \"YYYY-MM-DD HH:MM:SS=+SECONDS\"]...\n"
            "       [--emergency \"YYYY-MM-DD HH:MM:SS=SECONDS\"]... [--announce \"YYYY-MM-DD "
            "HH:MM:SS=NAME\"]...\n"
            "       orvessa-rehearse DIR --check [--date YYYY-MM-DD] [--length NAME=SECONDS]..."};
    }
    options.directory = *directory;
    if (options.check) {
        if (start || end) {
            throw BadInput{"--check rehearses a whole day: give it --date, not --start or --end"};
        }
        if (!options.jumps.empty()) {
            throw BadInput{"--jump goes with a rehearsal, not with --check"};
        }
        if (!options.emergencies.empty()) {
            throw BadInput{"--emergency goes with a rehearsal, not with --check"};
        }
        if (!options.announcements.empty()) {
            throw BadInput{"--announce goes with a rehearsal, not with --check"};
        }
        options.date = date ? *date
                            : std::chrono::year_month_day{std::chrono::sys_days{
                                  std::chrono::days{(nowInLocalTime() + kDay) / kDay}}};
        return options;
    }
    if (date) {
        throw BadInput{"--date goes with --check; a rehearsal takes --start and --end"};
    }
    options.start = start ? *start : nowInLocalTime();
    options.end = end ? *end : options.start + kDay;
    if (options.end <= options.start) {
        throw BadInput{"--end must come after --start"};
    }
    if (options.end - options.start > kLongestSpan) {
        throw BadInput{"--end must come at most 366 days after --start"};
    }
    checkDrillsWithin(options);
    return options;
}

void writeLine(std::ostream& out, const std::string& line) {
    out << line << '\n';
    if (!out) {
        throw OutputFailed{};
    }
}

int rehearseDay(const Options& options, std::ostream& out,
                const volatile std::sig_atomic_t* interrupted) {
    DaySettings settings;
    settings.directory = options.directory;
    settings.start = options.start;
    settings.end = options.end;
    settings.lengths = options.lengths;
    settings.jumps = options.jumps;
    // The wall clock of this zone steps at summer time as the PC's does; a --jump given for the
    // same second stands.
    for (const auto& [at, by] : zoneSteps(options.start, options.end)) {
        settings.jumps.emplace(at, by);
    }
    settings.emergencies = options.emergencies;
    settings.announcements = options.announcements;
    settings.interrupted = interrupted;
    SimulatedDay day(settings);
    day.run(
        [&out](const DayLine& line) { writeLine(out, dateTimeText(line.at) + " " + line.text); });
    return kRehearsed;
}

int checkOneDay(const Options& options, std::ostream& out,
                const volatile std::sig_atomic_t* interrupted) {
    const DayCheck check =
        runDayCheck(options.directory, options.date, nullptr, options.lengths, interrupted);
    // What decided the day comes before what the day did.
    for (const std::string& line : calendarLines(options.date, check.calendar)) {
        writeLine(out, line);
    }
    for (const editing::DayProblem& p : check.problems) {
        writeLine(out, problemLine(options.date, p));
    }
    return check.problems.empty() && check.calendar.empty() ? kRehearsed : kProblemsFound;
}

}  // namespace

int rehearse(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
             const volatile std::sig_atomic_t* interrupted) {
    int status = kRehearsed;
    try {
        const Options options = parseArguments(arguments);
        status = options.check ? checkOneDay(options, out, interrupted)
                               : rehearseDay(options, out, interrupted);
        if (!out.flush()) {
            throw OutputFailed{};
        }
    } catch (const OutputFailed&) {
        err << kProgramName << ": cannot write the output\n";
        return kOutputFailed;
    } catch (const Interrupted& stop) {
        out.flush();
        return 128 + stop.signal;
    } catch (const std::exception& e) {
        err << kProgramName << ": " << e.what() << '\n';
        return kBadInput;
    }
    return status;
}

}  // namespace orvessa::dryrun

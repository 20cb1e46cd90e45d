#include "dryrun/rehearsal.h"

#include <stdlib.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/playback/item_player.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/scheduler/main_routine.h"
#include "core/store/system_config.h"
#include "core/text/paths.h"
#include "dryrun/media_length.h"
#include "dryrun/simulated_platform.h"

namespace orvessa::dryrun {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgramName = "orvessa-rehearse";
constexpr int64_t kDay = 86400;

struct BadInput {
    std::string message;
};

struct Options {
    fs::path directory;
    int64_t start = 0;  // seconds, as scheduler::secondsOf counts them
    int64_t end = 0;
    std::map<std::string, int64_t> lengths;  // milliseconds by file name
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

// "YYYY-MM-DD HH:MM:SS", and nothing else, as seconds.
std::optional<int64_t> parseDateTime(std::string_view text) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const int y = digits(text, 0, 4);
    const int mo = digits(text, 5, 2);
    const int d = digits(text, 8, 2);
    const int h = digits(text, 11, 2);
    const int mi = digits(text, 14, 2);
    const int s = digits(text, 17, 2);
    if (y < 0 || mo < 0 || d < 0 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) {
        return std::nullopt;
    }
    using namespace std::chrono;
    if (!year_month_day{year(y), month(static_cast<unsigned>(mo)), day(static_cast<unsigned>(d))}
             .ok()) {
        return std::nullopt;
    }
    return scheduler::secondsOf({y, mo, d, h, mi, s, 0});
}

int64_t nowInLocalTime() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return scheduler::secondsOf({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                 local.tm_hour, local.tm_min, local.tm_sec, 0});
}

std::string dateTimeText(const platform::LocalDateTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
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
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() ||
        !std::isfinite(seconds) || seconds <= 0) {
        throw bad;
    }
    lengths[std::string(text.substr(0, equals))] = std::llround(seconds * 1000.0);
}

Options parseArguments(const std::vector<std::string>& arguments) {
    Options options;
    std::optional<std::string> directory;
    std::optional<int64_t> start;
    std::optional<int64_t> end;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--start" || a == "--end" || a == "--length") {
            if (i + 1 == arguments.size()) {
                throw BadInput{a + " needs a value"};
            }
            const std::string& value = arguments[++i];
            if (a == "--length") {
                parseLength(value, options.lengths);
                continue;
            }
            const std::optional<int64_t> at = parseDateTime(value);
            if (!at) {
                throw BadInput{"malformed " + a + " \"" + value +
                               "\" (expected \"YYYY-MM-DD HH:MM:SS\")"};
            }
            (a == "--start" ? start : end) = at;
        } else if (a.starts_with("--") || directory) {
            throw BadInput{"unexpected argument \"" + a + "\""};
        } else {
            directory = a;
        }
    }
    if (!directory) {
        throw BadInput{
            "usage: orvessa-rehearse DIR [--start \"YYYY-MM-DD HH:MM:SS\"] [--end \"YYYY-MM-DD "
            "HH:MM:SS\"] [--length NAME=SECONDS]..."};
    }
    options.directory = *directory;
    options.start = start ? *start : nowInLocalTime();
    options.end = end ? *end : options.start + kDay;
    if (options.end <= options.start) {
        throw BadInput{"--end must come after --start"};
    }
    return options;
}

// A directory of the rehearsal's own, removed with what the core wrote into it.
class WorkDirectory {
public:
    WorkDirectory() {
        std::string pattern = (fs::temp_directory_path() / "orvessa-rehearse-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw BadInput{"cannot make a temporary directory"};
        }
        m_path = pattern;
    }
    ~WorkDirectory() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

bool isSystemFile(const std::string& name) {
    return name == store::SystemConfig::kFileName || name == "zxsj0.gxr" ||
           (name.starts_with("zxsj") && name.ends_with(".log"));
}

// The core writes its configuration and profile beside its tables, so it runs on copies.
void copySystemFiles(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (fs::directory_iterator it(from, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = text::utf8Path(it->path().filename());
        std::error_code typeError;
        if (!isSystemFile(name) || !it->is_regular_file(typeError)) {
            continue;
        }
        std::error_code copyError;
        fs::copy_file(it->path(), to / it->path().filename(), copyError);
        // A table that cannot be read is reported if it is the one the day needs.
    }
}

std::string kindText(playback::ItemKind kind) {
    switch (kind) {
        case playback::ItemKind::Media:
            return "media";
        case playback::ItemKind::WebPage:
            return "page";
        case playback::ItemKind::ShellOpened:
            return "shell";
        case playback::ItemKind::None:
            break;
    }
    return "none";
}

std::string lengthText(int64_t milliseconds) {
    const int64_t tenths = (milliseconds + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// Addresses stay as they are; paths become native and absolute.
std::string shownPath(const std::string& corePath) {
    if (playback::ItemPlayer::isWebAddress(corePath)) {
        return corePath;
    }
    fs::path p = text::fsPath(text::toNativePath(corePath));
    if (p.is_relative()) {
        std::error_code ec;
        p = fs::absolute(p, ec);
    }
    return text::utf8Path(p);
}

int dateKey(const platform::LocalDateTime& t) {
    return t.year * 10000 + t.month * 100 + t.day;
}

class Rehearsal {
public:
    Rehearsal(Options options, std::ostream& out)
        : m_options(std::move(options)),
          m_out(out),
          m_lengths(m_work.path() / "win.ini"),
          m_device(m_clock, m_options.lengths,
                   [this](const std::string& path) { return m_lengths.lengthOf(path); }) {}

    void run() {
        const fs::path& dir = m_options.directory;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            throw BadInput{"no such directory: " + dir.string()};
        }
        const fs::path config = dir / store::SystemConfig::kFileName;
        if (!fs::is_regular_file(config, ec)) {
            throw BadInput{dir.string() + " holds no " + store::SystemConfig::kFileName};
        }
        copySystemFiles(dir, m_work.path());

        m_host.onQuit = [this] { finish("quit"); };
        m_power.onPowerOff = [this] { finish("shutdown"); };
        m_clock.set(scheduler::localDateTimeOf(m_options.start));
        m_system = scheduler::OrvessaSystem::start(
            {m_host, m_clock, m_power, m_screenSaver, m_shell, m_instance, m_monitors, m_keyboard,
             m_device, m_device, m_processes, m_work.path(), m_work.path() / "win.ini",
             fs::absolute(dir, ec)});
        ui::TForm1& f = m_system->form1();
        if (!f.configurationLoaded) {
            throw BadInput{"cannot read " + config.string()};
        }
        m_finished = false;
        m_lines.clear();

        // Without a library the core would default to its own folder, which here is a copy
        // without the media; the running system's default is DIR's.
        const bool noLibrary = f.config.entry(store::SystemConfig::kMediaLibrary).empty();
        f.setVisible(true);
        f.FormActivate();
        if (noLibrary) {
            const std::string library =
                text::utf8Path(fs::absolute(dir, ec) / "AUDIO") + text::nativeSeparator();
            f.config.setEntry(store::SystemConfig::kMediaLibrary, library);
            f.defaultDirectory = library;
        }

        if (!f.stopDay && !fs::is_regular_file(m_work.path() / f.tableFileName, ec)) {
            throw BadInput{"cannot read the table " + (dir / f.tableFileName).string()};
        }
        m_out << dateTimeText(m_clock.now()) << " start table=" << f.tableFileName
              << " rows=" << f.Grid.table().rowCount() - 1
              << " stop-day=" << (f.stopDay ? "yes" : "no") << '\n';

        observe();
        tickThrough();
    }

private:
    void observe() {
        ui::TForm1& f = m_system->form1();
        m_system->player().setObserver([this](const playback::PlayEvent& e) {
            using Type = playback::PlayEvent::Type;
            const std::string row = "row=" + std::to_string(e.row);
            if (e.type == Type::Stopped) {
                m_lines.push_back("stop " + row);
            } else if (e.type == Type::Missing) {
                m_lines.push_back("missing " + row + " path=" + shownPath(e.path));
            } else {
                std::string line =
                    "play " + row + " kind=" + kindText(e.kind) + " path=" + shownPath(e.path);
                if (e.kind == playback::ItemKind::Media) {
                    line += " length=" + lengthText(m_device.length());
                }
                m_lines.push_back(std::move(line));
            }
        });
        // Automatic operation is entered by enabling its command, running it and disabling it
        // again; seeing it enabled is seeing the re-entry, before it reloads the table.
        m_automaticEntryEnabled = f.jxbc.enabled();
        f.jxbc.changed.connect([this, &f] {
            const bool enabled = f.jxbc.enabled();
            if (enabled && !m_automaticEntryEnabled) {
                m_reentered = true;
                m_midnight = dateKey(m_clock.now()) != f.automaticDate;
                m_lines.push_back(m_midnight ? "midnight" : "replay");
            }
            m_automaticEntryEnabled = enabled;
        });
        // The ticker starting after the start-up: the day turned out to be a stop day.
        f.Timer4.changed.connect([this, &f] {
            const bool running = f.Timer4.running();
            if (running && !m_stopDayTicking) {
                m_lines.push_back("stop-day");
            }
            m_stopDayTicking = running;
        });
        m_stopDayTicking = f.Timer4.running();
    }

    void tickThrough() {
        ui::TForm1& f = m_system->form1();
        flush();
        bool freshTable = true;
        for (int64_t s = m_options.start + 1; s <= m_options.end && !m_finished; ++s) {
            m_clock.set(scheduler::localDateTimeOf(s));
            const bool atEnd =
                f.Timer1.running() && f.playback.currentRow == f.Grid.table().rowCount();
            m_reentered = false;
            m_midnight = false;
            if (f.Timer1.running()) {
                f.Timer1.fire();
            }
            if (f.Timer4.running() && !m_finished) {
                f.Timer4.fire();
            }
            // A new date is seen before the end of the table, and ends the tick there.
            if (atEnd && freshTable && !m_midnight) {
                m_lines.insert(m_lines.begin(), "end-of-table");
                freshTable = false;
            }
            if (m_reentered) {
                freshTable = true;
            }
            flush();
        }
    }

    void finish(const char* event) {
        if (!m_finished) {
            m_lines.emplace_back(event);
        }
        m_finished = true;
    }

    void flush() {
        if (m_lines.empty()) {
            return;
        }
        const std::string at = dateTimeText(m_clock.now());
        for (const std::string& line : m_lines) {
            m_out << at << ' ' << line << '\n';
        }
        m_lines.clear();
    }

    Options m_options;
    std::ostream& m_out;
    WorkDirectory m_work;
    SimulatedHost m_host;
    SimulatedClock m_clock;
    SimulatedPower m_power;
    NoScreenSaverFlag m_screenSaver;
    SimulatedShell m_shell;
    FreeInstance m_instance;
    SingleMonitor m_monitors;
    DroppingKeyboard m_keyboard;
    MediaLengths m_lengths;
    SimulatedMediaDevice m_device;
    NoProcesses m_processes;
    std::vector<std::string> m_lines;  // the current tick's events
    bool m_finished = false;
    bool m_automaticEntryEnabled = false;
    bool m_reentered = false;
    bool m_midnight = false;
    bool m_stopDayTicking = false;
    // Last, so that it goes first: the windows' observers point into the members above.
    std::unique_ptr<scheduler::OrvessaSystem> m_system;
};

}  // namespace

int rehearse(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    try {
        Rehearsal rehearsal(parseArguments(arguments), out);
        rehearsal.run();
    } catch (const BadInput& bad) {
        err << kProgramName << ": " << bad.message << '\n';
        return kBadInput;
    } catch (const std::exception& e) {
        err << kProgramName << ": " << e.what() << '\n';
        return kBadInput;
    }
    out.flush();
    return kRehearsed;
}

}  // namespace orvessa::dryrun

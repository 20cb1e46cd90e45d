#include "school_year/year_run.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "backends/linux/as_run_writer.h"
#include "core/alerts/alerts.h"
#include "core/alerts/emergency_state.h"
#include "core/desktop/orvessa_system.h"
#include "core/scheduler/as_run.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/store/file_io.h"
#include "core/store/school_calendar.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/system/platform_services.h"
#include "core/text/gbk.h"
#include "dryrun/simulated_day.h"
#include "dryrun/simulated_platform.h"
#include "school_year/simulated_disk.h"

namespace orvessa::school_year {
namespace {

namespace fs = std::filesystem;
using scheduler::BroadcastEvent;

// The host's timer fires a few milliseconds after each second boundary.
constexpr int64_t kTimerLatencyMs = 4;
constexpr const char* kBy = "bench";

platform::LocalDateTime localOf(int64_t wallMs) {
    platform::LocalDateTime t = scheduler::localDateTimeOf(wallMs / 1000);
    t.millisecond = static_cast<int>(wallMs % 1000);
    return t;
}

std::optional<std::string> fileContent(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    return contentOf(path);
}

// A medium's length from what the benchmark wrote into it; nothing for anything else.
std::optional<int64_t> lengthOfMedium(const std::string& path) {
    const std::optional<std::string> content = fileContent(path);
    if (!content || !content->starts_with("LEN:")) {
        return std::nullopt;
    }
    try {
        return std::stoll(content->substr(4));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

class CountingFailures : public platform::FailureRecord {
public:
    void record(const platform::Failure&) override { ++count; }
    int count = 0;
};

// What a save killed in another process reached, as its exit status.
constexpr int kDiedBeforeRename = 40;
constexpr int kDiedBeforeFolderSync = 41;
constexpr int kSaved = 42;
constexpr int kSaveFailed = 43;

// The sync of a process that dies at its point of the save.
class DyingSync : public store::FileSync {
public:
    explicit DyingSync(DeathPoint point) : m_point(point) {}
    std::string syncFile(const fs::path&) override {
        if (m_point == DeathPoint::BeforeRename) {
            ::_exit(kDiedBeforeRename);
        }
        return {};
    }
    std::string syncDirectory(const fs::path&) override {
        if (m_point == DeathPoint::BeforeFolderSync) {
            ::_exit(kDiedBeforeFolderSync);
        }
        return {};
    }

private:
    DeathPoint m_point;
};

// The last completed save of a file, and what a save in progress when the process died may
// have left instead.
struct Watched {
    std::optional<std::string> saved;
    std::set<std::optional<std::string>> inFlight;
};

class YearRun : public scheduler::BroadcastRecord {
public:
    explicit YearRun(const RunSettings& settings)
        : m_settings(settings), m_tables(schoolTables()), m_disk(settings.directory) {
        // A full folder answers EFBIG through the file size limit, not a signal.
        std::signal(SIGXFSZ, SIG_IGN);
        for (const char* name : {"zxsj1.log", "zxsj2.log", "zxsj3.log", "zxsj4.log", "zxsj5.log",
                                 store::kCalendarFileName, store::SystemConfig::kFileName,
                                 alerts::EmergencyStateFile::kFileName}) {
            m_watched[name].saved = fileContent(m_settings.directory / name);
        }
        fs::create_directories(m_settings.scratch);
        m_platform.host.onQuit = [this] { problem("the system quit"); };
        m_platform.power.onPowerOff = [this] { problem("the system switched the PC off"); };
    }

    RunResult run() {
        const Seconds first = startOfDate(dateNumberOf(m_settings.first));
        const int64_t end = (startOfDate(dateNumberOf(m_settings.last)) + 86400) * 1000;
        m_steady = first * 1000 + kTimerLatencyMs;
        m_offset = 0;
        launch();
        std::size_t next = 0;
        auto zoneStep = m_settings.zone.steps.begin();
        while (wallMs() < end) {
            runPending();
            if (zoneStep != m_settings.zone.steps.end() && second() >= zoneStep->first) {
                step(zoneStep->second, false);
                ++zoneStep;
            }
            int64_t stallMs = 0;
            while (next < m_settings.faults.size() && m_settings.faults[next].at <= second()) {
                apply(m_settings.faults[next++], stallMs);
            }
            checkRecords(false);
            tick();
            const Seconds ticked = second();
            const int64_t toBoundary = 1000 - wallMs() % 1000 + kTimerLatencyMs;
            m_steady += std::max(toBoundary, stallMs);
            if (stallMs > 0) {
                m_result.windows.push_back({"stall", ticked + 1, second()});
            }
        }
        kill();
        checkRecords(true);
        return std::move(m_result);
    }

    void record(const BroadcastEvent& e) override {
        note(m_result.year, e);
        m_lines[platform::dateNumber(e.at)].push_back(scheduler::as_run::line(e));
        if (m_life && m_life->writer) {
            m_life->writer->record(e);
        }
    }

    // What the program reads back at a restart: the day's file as its writer left it.
    std::vector<std::string> dayLines(int year, int month, int day) override {
        if (m_life && m_life->writer && !m_forgetful) {
            return m_life->writer->dayLines(year, month, day);
        }
        return {};
    }

private:
    struct Life {
        std::unique_ptr<dryrun::SimulatedMediaDevice> device;
        std::unique_ptr<dryrun::SimulatedMediaDevice> alertDevice;
        std::unique_ptr<backends::AsRunWriter> writer;
        // Last, so that it goes first.
        std::unique_ptr<system::OrvessaSystem> system;
    };

    int64_t wallMs() const { return m_steady + m_offset; }
    Seconds second() const { return wallMs() / 1000; }

    void problem(const std::string& what) {
        if (m_result.problems.size() < 20) {
            m_result.problems.push_back(wallText(second()) + ": " + what);
        }
    }

    // The process starts: the system is built from the files, as the program's start-up does.
    void launch() {
        m_platform.clock.set(localOf(wallMs()));
        auto life = std::make_unique<Life>();
        const std::map<std::string, int64_t> siren = {{"siren.wav", 4000}};
        life->device =
            std::make_unique<dryrun::SimulatedMediaDevice>(m_platform.clock, siren, lengthOfMedium);
        life->alertDevice =
            std::make_unique<dryrun::SimulatedMediaDevice>(m_platform.clock, siren, lengthOfMedium);
        life->writer = std::make_unique<backends::AsRunWriter>(m_settings.asRunFolder, m_errors);
        system::PlatformServices services =
            system::servicesOf(m_platform, *life->device, *life->device, m_settings.directory);
        services.broadcastRecord = this;
        services.alertDevice = life->alertDevice.get();
        services.alertOutput = life->alertDevice.get();
        services.fileSync = &m_disk;
        services.failureRecord = &m_failures;
        services.sirenFile = m_settings.scratch / "siren.wav";
        m_life = std::move(life);
        m_life->system = system::OrvessaSystem::start(services);
        ui::MainWindow& f = m_life->system->mainWindow();
        f.setVisible(true);
        f.activate();
        if (!m_life->system->engine().startUp().configurationLoaded) {
            problem("the configuration was not read at start-up");
        }
        ++m_result.starts;
    }

    // The process dies: what it held in memory is gone, the as-run lines it had handed over
    // are written (the writer fsyncs each batch as it comes).
    void kill() {
        if (!m_life) {
            return;
        }
        m_life->writer->flush();
        m_life->system.reset();
        m_life.reset();
        m_pending.clear();
    }

    void tick() {
        m_platform.clock.set(localOf(wallMs()));
        ui::MainWindow& f = m_life->system->mainWindow();
        if (f.alertTimer.running()) {
            f.alertTimer.fire();
        }
        if (f.broadcastTimer.running()) {
            f.broadcastTimer.fire();
        }
        if (f.stopDayTimer.running()) {
            f.stopDayTimer.fire();
        }
    }

    void later(int64_t seconds, std::function<void()> action) {
        m_pending.emplace(m_steady + seconds * 1000, std::move(action));
    }

    void runPending() {
        while (!m_pending.empty() && m_pending.begin()->first <= m_steady) {
            const std::function<void()> action = std::move(m_pending.begin()->second);
            m_pending.erase(m_pending.begin());
            action();
        }
    }

    void step(int64_t seconds, bool fault) {
        const Seconds from = second();
        m_offset += seconds * 1000;
        m_platform.clock.jumpTo(localOf(wallMs()));
        if (seconds > 0) {
            m_result.windows.push_back({fault ? "clock-step" : "summer-time", from, second()});
        } else if (fault && m_settings.plant.ringTwiceAfterStepBack) {
            forgetRowsRung();
        }
    }

    // The planted defect: the clock forgets what it rang today, as a system started afresh
    // without reading the day's record back would, and the rows of the relived minutes come
    // due again.
    void forgetRowsRung() {
        kill();
        m_forgetful = true;
        launch();
        m_forgetful = false;
    }

    void apply(const Fault& f, int64_t& stallMs) {
        ++m_result.injected[static_cast<std::size_t>(f.kind)];
        if (std::getenv("ORVESSA_SCHOOL_YEAR_TRACE") != nullptr) {
            std::fprintf(stderr, "%s %s amount=%lld variant=%d point=%d\n",
                         wallText(second()).c_str(), faultWord(f.kind),
                         static_cast<long long>(f.amount), f.variant, f.point);
        }
        switch (f.kind) {
            case FaultKind::Stall:
                stallMs = f.amount;
                break;
            case FaultKind::Step:
                step(f.amount, true);
                break;
            case FaultKind::Kill:
                restartAfter(f.amount, [] {});
                break;
            case FaultKind::KillMidSave:
                killMidSave(f);
                break;
            case FaultKind::PowerCut:
                powerCut(f);
                break;
            case FaultKind::Media:
                damageMedium(f);
                break;
            case FaultKind::AsRunFull:
                fillAsRunFolder(f);
                break;
            case FaultKind::Emergency:
                emergency(f.amount);
                break;
            case FaultKind::Announcement:
                announce(f);
                break;
            case FaultKind::Manual:
                manualHour(f);
                break;
        }
    }

    // The process is killed, `between` runs while it is down (a power cut's loss), and after
    // `downSeconds` it starts again; the files are checked as the new start finds them.
    void restartAfter(int64_t downSeconds, const std::function<void()>& between) {
        const Seconds from = second();
        kill();
        between();
        checkFiles();
        m_steady += downSeconds * 1000;
        launch();
        m_result.windows.push_back({"down", from, second() + 1});
        // An emergency a save left on sounds again at the start; someone ends it soon.
        if (m_life->system->engine().session().alert.emergency) {
            const Seconds since = second();
            const int64_t lasts = 60 + static_cast<int64_t>(m_version % 240);
            later(lasts, [this, since] {
                m_life->system->alerts().endEmergency(kBy);
                settled(alerts::EmergencyStateFile::kFileName);
                m_result.windows.push_back({"emergency", since, second()});
            });
        }
    }

    // Writes the next version of a file through the system's own saving code.
    bool save(SaveKind kind, uint32_t salt, store::FileSync* sync, std::string& name) {
        const int version = ++m_version;
        const fs::path& dir = m_settings.directory;
        switch (kind) {
            case SaveKind::Table: {
                name = nameOf(kind, salt);
                store::ScheduleTable table;
                store::loadTableFile(table, dir, name);
                table.setCell(2, 1, text::utf8ToGbk("起床（第" + std::to_string(version) + "版）"));
                return static_cast<bool>(store::writeTableFile(table, dir, name, sync));
            }
            case SaveKind::Calendar: {
                name = store::kCalendarFileName;
                store::CalendarRead read = store::readCalendarFile(dir);
                std::vector<store::CalendarEntry>& entries = read.calendar.entries;
                const auto memo = std::chrono::year_month_day{
                    std::chrono::year(2028), std::chrono::January, std::chrono::day(10)};
                std::erase_if(entries,
                              [&](const store::CalendarEntry& e) { return e.first == memo; });
                entries.push_back({memo, memo, 0, "备忘 第" + std::to_string(version) + "版", 0});
                return static_cast<bool>(
                    store::writeCalendarFile(dir, entries, read.calendar.problems, sync));
            }
            case SaveKind::Configuration: {
                name = store::SystemConfig::kFileName;
                store::SystemConfig config(dir);
                config.load();
                config.setEntry(
                    store::SystemConfig::kSubtitleText,
                    text::utf8ToGbk("欢迎使用校园广播 第" + std::to_string(version) + "版"));
                config.setFileSync(sync);
                return static_cast<bool>(config.save());
            }
            case SaveKind::EmergencyState:
                name = alerts::EmergencyStateFile::kFileName;
                return static_cast<bool>(alerts::EmergencyStateFile(dir, sync).write(
                    {true, wallText(second()), "operator@key#" + std::to_string(version)}));
        }
        return false;
    }

    void killMidSave(const Fault& f) {
        const auto kind = static_cast<SaveKind>(f.variant);
        const auto point = static_cast<DeathPoint>(f.point);
        // The writer's thread is not copied into the child; the child touches nothing of it.
        m_life->writer->flush();
        const pid_t child = ::fork();
        if (child == 0) {
            DyingSync sync(point);
            std::string ignored;
            ::_exit(save(kind, f.salt, &sync, ignored) ? kSaved : kSaveFailed);
        }
        ++m_version;  // the child's save took this version
        const std::string name = nameOf(kind, f.salt);
        int status = 0;
        ::waitpid(child, &status, 0);
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        Watched& watched = m_watched[name];
        const std::optional<std::string> now = fileContent(m_settings.directory / name);
        if (code == kSaved) {
            m_disk.adopt(name);
            watched.saved = now;
            watched.inFlight.clear();
        } else if (code == kDiedBeforeRename || code == kDiedBeforeFolderSync) {
            watched.inFlight.insert(now);
        } else {
            problem("a save in a child process failed (" + std::to_string(code) + ")");
        }
        restartAfter(f.amount, [] {});
    }

    static std::string nameOf(SaveKind kind, uint32_t salt) {
        switch (kind) {
            case SaveKind::Table:
                return "zxsj" + std::to_string(1 + salt % 5) + ".log";
            case SaveKind::Calendar:
                return store::kCalendarFileName;
            case SaveKind::Configuration:
                return store::SystemConfig::kFileName;
            case SaveKind::EmergencyState:
                return alerts::EmergencyStateFile::kFileName;
        }
        return {};
    }

    void powerCut(const Fault& f) {
        std::string name;
        store::FileSync* sync = m_settings.plant.unsyncedSave ? nullptr : &m_disk;
        if (!save(static_cast<SaveKind>(f.variant), f.salt, sync, name)) {
            problem("a save before the power cut failed");
        }
        settled(name);
        restartAfter(f.amount, [this] { m_disk.powerCut(); });
    }

    // A save that reported success: its content is what must be found from now on.
    void settled(const std::string& name) {
        Watched& watched = m_watched[name];
        watched.saved = fileContent(m_settings.directory / name);
        watched.inFlight.clear();
    }

    void checkFiles() {
        for (const auto& [name, watched] : m_watched) {
            ++m_result.fileChecks;
            const std::optional<std::string> now = fileContent(m_settings.directory / name);
            if (now == watched.saved || watched.inFlight.contains(now)) {
                continue;
            }
            m_result.filesLost.push_back(
                wallText(second()) + ": expected " + name + " as last saved, got " +
                (now ? "other content (" + std::to_string(now->size()) + " bytes)" : "no file"));
        }
    }

    void damageMedium(const Fault& f) {
        const std::vector<std::string> media = faultableMedia();
        std::string chosen = media[f.salt % media.size()];
        // The one playing, when it is one of them.
        const std::string& playing = m_life->system->engine().session().playback.currentPath;
        for (const std::string& m : media) {
            if (!playing.empty() && playing.ends_with(fs::path(m).filename().string())) {
                chosen = m;
            }
        }
        const fs::path file = m_settings.directory / "AUDIO" / chosen;
        const std::optional<std::string> original = fileContent(file);
        if (!original) {
            return;
        }
        std::error_code ec;
        switch (f.variant) {
            case 0:
                std::ofstream(file, std::ios::binary | std::ios::trunc) << "\x7f\x01garbage";
                break;
            case 1:
                fs::remove(file, ec);
                break;
            default:
                std::ofstream(file, std::ios::binary | std::ios::trunc)
                    << mediumContent(lengthOfMedium(file.string()).value_or(60000) / 2 + 1000);
                break;
        }
        later(15 * 60, [file, original] {
            std::ofstream(file, std::ios::binary | std::ios::trunc) << *original;
        });
    }

    void fillAsRunFolder(const Fault& f) {
        m_life->writer->flush();
        const platform::LocalDateTime t = localOf(wallMs());
        std::error_code ec;
        const auto size = fs::file_size(
            m_settings.asRunFolder / scheduler::as_run::fileName(t.year, t.month, t.day), ec);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        // Room for a few more bytes, so that a line may be cut where the disk ran out.
        limit.rlim_cur = (ec ? 0 : size) + f.salt % 80;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Seconds from = second();
        later(f.amount, [this, from] {
            m_life->writer->flush();
            rlimit room{};
            ::getrlimit(RLIMIT_FSIZE, &room);
            room.rlim_cur = room.rlim_max;
            ::setrlimit(RLIMIT_FSIZE, &room);
            m_result.windows.push_back({"as-run-full", from, second()});
        });
    }

    void emergency(int64_t seconds) {
        const Seconds from = second();
        m_life->system->alerts().startEmergency(kBy);
        settled(alerts::EmergencyStateFile::kFileName);
        later(seconds, [this, from] {
            m_life->system->alerts().endEmergency(kBy);
            settled(alerts::EmergencyStateFile::kFileName);
            m_result.windows.push_back({"emergency", from, second()});
        });
    }

    void announce(const Fault& f) {
        const std::vector<std::string> notices = noticeNames();
        const std::string& name = notices[static_cast<std::size_t>(f.variant) % notices.size()];
        m_life->system->alerts().announce(name, kBy);
        const int64_t length = mediaLengths().at(name) / 1000;
        m_result.windows.push_back({"announcement", second(), second() + length + 3});
    }

    void manualHour(const Fault& f) {
        ui::MainWindow& w = m_life->system->mainWindow();
        const Seconds from = second();
        w.manualOperation.click();
        if (!m_life->system->engine().manual()) {
            problem("manual operation was not entered");
            return;
        }
        later(f.amount, [this, from] {
            m_life->system->mainWindow().automaticOperation.click();
            if (m_life->system->engine().manual()) {
                problem("automatic operation was not entered again");
            }
            m_result.windows.push_back({"manual-hour", from, second() + 1});
        });
    }

    // Every line the record was given for a day must be in that day's file, whole. A day is
    // looked at once the clock is two days past it (a clock set back may still add to it), and
    // every remaining day at the end.
    void checkRecords(bool all) {
        if (m_lines.empty()) {
            return;
        }
        const int today = dateOfSecond(second());
        if (!all && m_lines.begin()->first >= dateOfSecond(startOfDate(today) - 86400)) {
            return;
        }
        if (m_life) {
            m_life->writer->flush();
        }
        while (!m_lines.empty() &&
               (all || m_lines.begin()->first < dateOfSecond(startOfDate(today) - 86400))) {
            const int date = m_lines.begin()->first;
            const std::string file =
                fileContent(m_settings.asRunFolder /
                            scheduler::as_run::fileName(date / 10000, date / 100 % 100, date % 100))
                    .value_or("");
            std::multiset<std::string> written;
            for (const std::string_view line : store::splitLines(file)) {
                written.emplace(line);
            }
            for (const std::string& line : m_lines.begin()->second) {
                const auto found = written.find(line);
                if (found != written.end()) {
                    written.erase(found);
                    continue;
                }
                ++m_result.untoldCount;
                if (m_result.untold.size() < 10) {
                    m_result.untold.push_back(line);
                }
            }
            m_lines.erase(m_lines.begin());
        }
    }

    const RunSettings& m_settings;
    const Tables m_tables;
    RunResult m_result;
    dryrun::SimulatedPlatform m_platform;
    SimulatedDisk m_disk;
    CountingFailures m_failures;
    std::ostringstream m_errors;
    std::map<std::string, Watched> m_watched;
    std::map<int, std::vector<std::string>> m_lines;  // the as-run lines by date, not yet checked
    std::multimap<int64_t, std::function<void()>> m_pending;  // by steady milliseconds
    int64_t m_steady = 0;
    int64_t m_offset = 0;  // wall minus steady, in milliseconds
    int m_version = 0;
    // A planted defect is starting the system now: it reads nothing back of the day.
    bool m_forgetful = false;
    // Last, so that it goes first.
    std::unique_ptr<Life> m_life;
};

}  // namespace

RunResult runYear(const RunSettings& settings) {
    return YearRun(settings).run();
}

YearRecord rehearseYear(const fs::path& directory, const Zone& zone,
                        std::chrono::year_month_day first, std::chrono::year_month_day last) {
    using namespace std::chrono;
    YearRecord year;
    for (sys_days d = sys_days{first}; d <= sys_days{last}; d += days(1)) {
        const Seconds start = static_cast<Seconds>(d.time_since_epoch().count()) * 86400;
        dryrun::DaySettings day;
        day.directory = directory;
        day.start = start;
        day.end = start + 86399;
        day.lengths = mediaLengths();
        day.firstSecondTicks = true;
        for (const auto& [at, by] : zone.steps) {
            if (at >= start && at <= day.end) {
                day.jumps[at] = by;
            }
        }
        dryrun::SimulatedDay rehearsal(day);
        rehearsal.run([&year](const dryrun::DayLine& line) {
            if (line.event) {
                note(year, *line.event);
            }
        });
        DayRecord& record = year[dateOfSecond(start)];
        record.table = rehearsal.tableFileName();
        record.stopDay = rehearsal.stopDay();
    }
    return year;
}

}  // namespace orvessa::school_year

#include "dryrun/simulated_day.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "core/alerts/alerts.h"
#include "core/desktop/orvessa_system.h"
#include "core/playback/item_player.h"
#include "core/scheduler/as_run.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/system/platform_services.h"
#include "core/text/paths.h"
#include "dryrun/day_run.h"
#include "dryrun/media_length.h"
#include "dryrun/simulated_platform.h"
#include "dryrun/work_directory.h"

namespace orvessa::dryrun {
namespace {

namespace fs = std::filesystem;
using scheduler::BroadcastEvent;

// Who the as-run record says started and ended the drills.
constexpr const char* kDrilledBy = "rehearsal";

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

}  // namespace

class SimulatedDay::Run : public scheduler::BroadcastRecord {
public:
    explicit Run(DaySettings settings)
        : m_settings(std::move(settings)),
          m_lengths(m_work.path() / "win.ini"),
          m_device(m_platform.clock, m_settings.lengths,
                   [this](const std::string& path) { return m_lengths.lengthOf(path); }),
          // The alarm and the notices are measured as the broadcast's media are: the siren is a
          // real file the core writes into the copy.
          m_alertDevice(m_platform.clock, m_settings.lengths,
                        [this](const std::string& path) { return m_lengths.lengthOf(path); }) {}

    void run(const std::function<void(const DayLine&)>& sink) {
        m_sink = &sink;
        const fs::path& dir = m_settings.directory;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            throw BadInput("no such directory: " + dir.string());
        }
        const fs::path config = dir / store::SystemConfig::kFileName;
        if (!fs::is_regular_file(config, ec)) {
            throw BadInput(dir.string() + " holds no " + store::SystemConfig::kFileName);
        }
        copyWhatALoadReads(dir, m_work.path());

        m_platform.host.onQuit = [this] { finish("quit"); };
        m_platform.power.onPowerOff = [this] {
            // Whatever the table still held stays unplayed.
            if (!m_finished && m_system && m_system->engine().ticker().running() &&
                m_system->journal() != nullptr) {
                m_system->journal()->dayOver(scheduler::left_reason::kShutdown);
            }
            finish("shutdown");
        };
        m_platform.clock.set(scheduler::localDateTimeOf(m_settings.start));
        // The device reports the lengths and ignores the volume it is given.
        system::PlatformServices services =
            system::servicesOf(m_platform, m_device, m_device, m_work.path());
        services.itemDirectory = fs::absolute(dir, ec);
        services.broadcastRecord = this;
        services.alertDevice = &m_alertDevice;
        services.alertOutput = &m_alertDevice;
        m_system = system::OrvessaSystem::start(services);
        ui::MainWindow& f = m_system->mainWindow();
        system::BroadcastEngine& e = m_system->engine();
        if (!e.startUp().configurationLoaded) {
            throw BadInput("cannot read " + config.string());
        }
        m_finished = false;
        m_lines.clear();

        // Without a library the core would default to its own folder, which here is a copy
        // without the media; the running system's default is DIR's.
        const bool noLibrary = e.config().entry(store::SystemConfig::kMediaLibrary).empty();
        f.setVisible(true);
        f.activate();
        if (noLibrary) {
            const std::string library =
                text::utf8Path(fs::absolute(dir, ec) / "AUDIO") + text::nativeSeparator();
            e.useLibrary(library);
        }

        if (m_settings.table != nullptr) {
            f.grid.table() = *m_settings.table;
            f.grid.tableChanged();
            // The shown rows stand for the loaded table, in the engine too.
            e.tableLoaded(f.grid.table());
        } else if (!e.stopDay().today &&
                   !fs::is_regular_file(m_work.path() / e.session().tableFileName, ec)) {
            const fs::path table = dir / e.session().tableFileName;
            if (fs::symlink_status(table, ec).type() != fs::file_type::not_found) {
                throw BadInput("cannot read the table " + table.string());
            }
            // The program runs such a day on an empty table: nothing is broadcast.
            m_missingTable = table.string();
        }
        m_tableFileName = e.session().tableFileName;
        m_stopDay = e.stopDay().today;
        m_plan = e.session().dayPlan;
        std::string start = "start table=" + e.session().tableFileName +
                            " rows=" + std::to_string(e.table().rowCount() - 1) +
                            " stop-day=" + (e.stopDay().today ? "yes" : "no");
        if (const std::optional<store::CalendarEntry>& entry = e.session().dayPlan.entry) {
            start += " plan=calendar remark=" + scheduler::as_run::recordedRemark(entry->remark);
        }
        m_lines.push_back({0, std::move(start), std::nullopt});
        if (!m_missingTable.empty()) {
            m_lines.push_back({0, problemText({0, "no-table", 0, m_missingTable}), std::nullopt});
        }

        observe();
        tickThrough();
    }

    const std::string& tableFileName() const { return m_tableFileName; }
    bool stopDay() const { return m_stopDay; }
    const store::DayPlan& plan() const { return m_plan; }
    const std::string& missingTable() const { return m_missingTable; }
    const store::ScheduleTable& table() const {
        static const store::ScheduleTable kNone;
        return m_system ? m_system->mainWindow().grid.table() : kNone;
    }

    void record(const BroadcastEvent& e) override {
        const std::string row = "row=" + std::to_string(e.row);
        std::string line;
        switch (e.type) {
            case BroadcastEvent::Type::Started:
                line = "play " + row + " kind=" + scheduler::as_run::kindWord(e.kind) +
                       (e.lateBy > 0 ? " late-by=" + std::to_string(e.lateBy) : "") +
                       (e.lateBy > 0 && !e.lateReason.empty() ? " reason=" + e.lateReason : "") +
                       " path=" + shownPath(e.path);
                if (e.kind == playback::ItemKind::Media) {
                    line += " length=" + lengthText(m_device.length());
                }
                break;
            case BroadcastEvent::Type::Stopped:
                line = "stop " + row;
                break;
            case BroadcastEvent::Type::Missing:
                line = problemText({e.row, "missing", e.byRow, shownPath(e.path)});
                break;
            case BroadcastEvent::Type::Left:
                line = problemText({e.row, e.reason, e.byRow, e.path});
                break;
            case BroadcastEvent::Type::Clock:
            case BroadcastEvent::Type::Console:
                line = e.reason;
                break;
            case BroadcastEvent::Type::Emergency:
            case BroadcastEvent::Type::Announcement:
                line = scheduler::as_run::eventWord(e.type) + " " + e.reason;
                break;
            case BroadcastEvent::Type::Day:
                // The start line tells the first day; a later date tells its own plan when the
                // calendar made it, so that a make-up day or a dated stop shows where it begins.
                if (!e.plan || !e.plan->byCalendar()) {
                    return;
                }
                line = "day table=" + e.table + " " + scheduler::as_run::planFields(*e.plan);
                break;
        }
        BroadcastEvent shown = e;
        if (e.type != BroadcastEvent::Type::Left) {
            shown.path = shownPath(e.path);
        }
        m_lines.push_back({0, std::move(line), std::move(shown)});
    }

private:
    void observe() {
        ui::MainWindow& f = m_system->mainWindow();
        // Automatic operation is entered by enabling its command, running it and disabling it
        // again; seeing it enabled is seeing the re-entry, before it reloads the table.
        m_automaticEntryEnabled = f.automaticOperation.enabled();
        f.automaticOperation.changed.connect([this, &f, &e = m_system->engine()] {
            const bool enabled = f.automaticOperation.enabled();
            if (enabled && !m_automaticEntryEnabled) {
                m_reentered = true;
                m_midnight = platform::dateNumber(m_platform.clock.now()) != e.automaticDate();
                m_lines.push_back({0, m_midnight ? "midnight" : "replay", std::nullopt});
            }
            m_automaticEntryEnabled = enabled;
        });
        // The ticker starting after the start-up: the day turned out to be a stop day.
        f.stopDayTimer.changed.connect([this, &f] {
            const bool running = f.stopDayTimer.running();
            if (running && !m_stopDayTicking) {
                m_lines.push_back({0, "stop-day", std::nullopt});
            }
            m_stopDayTicking = running;
        });
        m_stopDayTicking = f.stopDayTimer.running();
    }

    void tickThrough() {
        ui::MainWindow& f = m_system->mainWindow();
        const system::BroadcastEngine& e = m_system->engine();
        model::Timer& ticker = m_system->engine().ticker();
        flush();
        bool freshTable = true;
        const int64_t first = m_settings.start + (m_settings.firstSecondTicks ? 0 : 1);
        // Each jump once: a clock set back lives its seconds again, the jump's among them.
        std::map<int64_t, int64_t> jumps = m_settings.jumps;
        std::map<int64_t, int64_t> emergencies = m_settings.emergencies;
        std::map<int64_t, std::string> announcements = m_settings.announcements;
        std::optional<int64_t> emergencyEnd;
        for (int64_t s = first; s <= m_settings.end && !m_finished; ++s) {
            if (m_settings.interrupted != nullptr && *m_settings.interrupted != 0) {
                throw Interrupted{*m_settings.interrupted};
            }
            m_platform.clock.set(scheduler::localDateTimeOf(s));
            if (const auto jump = jumps.find(s); jump != jumps.end()) {
                s += jump->second;
                jumps.erase(jump);
                m_platform.clock.jumpTo(scheduler::localDateTimeOf(s));
            }
            const bool atEnd =
                ticker.running() && e.session().playback.currentRow == e.table().rowCount();
            m_reentered = false;
            m_midnight = false;
            drill(s, emergencies, emergencyEnd, announcements);
            // The alerts go first, as in the program: a notice that ended lets a row start now.
            if (f.alertTimer.running()) {
                f.alertTimer.fire();
            }
            if (ticker.running()) {
                ticker.fire();
            }
            if (f.stopDayTimer.running() && !m_finished) {
                f.stopDayTimer.fire();
            }
            // A new date is seen before the end of the table, and ends the tick there.
            if (atEnd && freshTable && !m_midnight) {
                m_lines.insert(m_lines.begin(), {0, "end-of-table", std::nullopt});
                freshTable = false;
                if (m_settings.firstPassOnly) {
                    m_finished = true;
                }
            }
            if (m_reentered) {
                freshTable = true;
            }
            flush();
        }
        // The day is over: the rows the clock has not reached are left behind.
        if (m_settings.firstPassOnly && !m_finished && ticker.running() &&
            m_system->journal() != nullptr) {
            m_system->journal()->dayOver();
            flush();
        }
    }

    // The drills due by second `now`, each once: an ending emergency first, so that what starts
    // at its last second is not refused for it; a notice last, so that one due with an
    // emergency meets it. What the core refuses it records, and so the run prints it.
    void drill(int64_t now, std::map<int64_t, int64_t>& emergencies,
               std::optional<int64_t>& emergencyEnd,
               std::map<int64_t, std::string>& announcements) {
        alerts::Alerts& a = m_system->alerts();
        if (emergencyEnd && now >= *emergencyEnd) {
            a.endEmergency(kDrilledBy);
            emergencyEnd.reset();
        }
        while (!emergencies.empty() && emergencies.begin()->first <= now) {
            // It lasts from when it began: a clock set forward over its start delays it.
            emergencyEnd = now + emergencies.begin()->second;
            emergencies.erase(emergencies.begin());
            a.startEmergency(kDrilledBy);
        }
        while (!announcements.empty() && announcements.begin()->first <= now) {
            a.announce(announcements.begin()->second, kDrilledBy);
            announcements.erase(announcements.begin());
        }
    }

    void finish(const char* event) {
        if (!m_finished) {
            m_lines.push_back({0, event, std::nullopt});
        }
        m_finished = true;
    }

    void flush() {
        const int64_t at = scheduler::secondsOf(m_platform.clock.now());
        // The sink may throw (its output failed): the lines of this second are then dropped.
        std::vector<DayLine> lines;
        lines.swap(m_lines);
        for (DayLine& line : lines) {
            line.at = at;
            (*m_sink)(line);
        }
    }

    DaySettings m_settings;
    const std::function<void(const DayLine&)>* m_sink = nullptr;
    WorkDirectory m_work;
    SimulatedPlatform m_platform;
    MediaLengths m_lengths;
    SimulatedMediaDevice m_device;
    SimulatedMediaDevice m_alertDevice;
    std::vector<DayLine> m_lines;  // the current second's
    std::string m_tableFileName;
    bool m_stopDay = false;
    store::DayPlan m_plan;
    std::string m_missingTable;
    bool m_finished = false;
    bool m_automaticEntryEnabled = false;
    bool m_reentered = false;
    bool m_midnight = false;
    bool m_stopDayTicking = false;
    // Last, so that it goes first: the windows' observers point into the members above.
    std::unique_ptr<system::OrvessaSystem> m_system;
};

SimulatedDay::SimulatedDay(DaySettings settings)
    : m_run(std::make_unique<Run>(std::move(settings))) {}

SimulatedDay::~SimulatedDay() = default;

void SimulatedDay::run(const std::function<void(const DayLine&)>& sink) {
    m_run->run(sink);
}

const std::string& SimulatedDay::tableFileName() const {
    return m_run->tableFileName();
}

bool SimulatedDay::stopDay() const {
    return m_run->stopDay();
}

const store::DayPlan& SimulatedDay::plan() const {
    return m_run->plan();
}

const std::string& SimulatedDay::missingTable() const {
    return m_run->missingTable();
}

const store::ScheduleTable& SimulatedDay::table() const {
    return m_run->table();
}

}  // namespace orvessa::dryrun

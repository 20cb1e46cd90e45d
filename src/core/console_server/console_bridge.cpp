#include "core/console_server/console_bridge.h"

#include <chrono>

#include "core/console_server/calendar_change.h"
#include "core/console_server/console_json.h"
#include "core/console_server/table_change.h"
#include "core/store/table_file.h"
#include "core/text/numbers.h"

namespace orvessa::console {

using scheduler::BroadcastEvent;
using system::EngineEvent;

namespace {

int secondOfDay(const platform::LocalDateTime& t) {
    return (t.hour * 60 + t.minute) * 60 + t.second;
}

}  // namespace

ConsoleBridge::ConsoleBridge(system::OrvessaSystem& system, const platform::Clock& clock,
                             EventHub& hub, SnapshotBox& box, store::FileSync* sync)
    : m_system(system), m_clock(clock), m_hub(hub), m_box(box), m_sync(sync) {
    m_listening =
        m_system.engine().events().connect([this](const EngineEvent& event) { onEvent(event); });
    if (m_system.engine().manual()) {
        const platform::LocalDateTime t = now();
        m_manualSince = std::pair{platform::dateNumber(t), secondOfDay(t)};
    }
    publish();
}

ConsoleBridge::~ConsoleBridge() {
    m_system.engine().events().disconnect(m_listening);
}

platform::LocalDateTime ConsoleBridge::now() const {
    return m_clock.now();
}

void ConsoleBridge::onEvent(const EngineEvent& event) {
    switch (event.kind) {
        case EngineEvent::Kind::Broadcast: {
            const BroadcastEvent& b = event.broadcast;
            publish();
            m_hub.publish("broadcast", broadcastJson(b));
            return;
        }
        case EngineEvent::Kind::ModeChanged:
            if (event.mode == system::OperatingMode::Manual) {
                const platform::LocalDateTime t = now();
                m_manualSince = std::pair{platform::dateNumber(t), secondOfDay(t)};
            } else {
                m_manualSince.reset();
            }
            publish();
            return;
        case EngineEvent::Kind::AlertChanged:
            publish();
            m_hub.publish("alert", alertJson(m_system.engine().status()));
            return;
        case EngineEvent::Kind::TableLoaded:
            if (m_pendingReload == event.table) {
                // Loaded from its file by whoever: the clock has the committed table.
                m_pendingReload.reset();
            }
            [[fallthrough]];
        case EngineEvent::Kind::TableSaved:
            publish();
            m_hub.publish("table", tableJson(event.table));
            return;
        case EngineEvent::Kind::LineChanged:
            // The clock's line changes once a tick: one snapshot a second, whatever else the
            // tick changed, is what the clients see.
            if (event.line == system::StatusLine::Clock) {
                publish();
            }
            return;
        case EngineEvent::Kind::ClockHealthChanged:
            publish();
            return;
    }
}

void ConsoleBridge::publish() {
    auto s = std::make_shared<ConsoleSnapshot>();
    s->serial = ++m_serial;
    const system::BroadcastEngine& engine = m_system.engine();
    s->status = engine.status();
    const platform::LocalDateTime t = now();
    s->date = platform::dateOf(t);
    s->second = secondOfDay(t);
    s->calendarUnsaved = m_system.calendarWindow().edited();
    s->rules = m_system.dayPlanner().weekRules();
    s->table = s->status.table;
    // The station's own outcomes: the console decides none of them.
    s->today = todayRows(engine.rows(), engine.outcomes(platform::dateNumber(t), s->table),
                         s->status, s->second);
    if (m_manualSince && engine.manual()) {
        const int since =
            m_manualSince->first == platform::dateNumber(t) ? m_manualSince->second : -1;
        s->manualMissed = bellsPassed(engine.rows(), since, s->second);
    }
    const std::shared_ptr<const ConsoleSnapshot> published = s;
    m_box.set(published);
    m_hub.publish("status", statusJson(*published));
}

void ConsoleBridge::secondPassed() {
    reloadWhenFree();
    if (m_system.engine().manual()) {
        publish();
    }
}

void ConsoleBridge::reloadWhenFree() {
    if (!m_pendingReload) {
        return;
    }
    const system::BroadcastEngine& engine = m_system.engine();
    const playback::BroadcastSession& session = engine.session();
    if (engine.manual() || session.tableFileName != *m_pendingReload || engine.stopDay().today) {
        // Returning to automatic operation, or a new day, loads the table from its file anyway.
        m_pendingReload.reset();
        return;
    }
    if (session.playback.isPlaying || session.alert.noticePlaying()) {
        return;
    }
    m_pendingReload.reset();
    m_system.engine().enterAutomaticOperation();
}

std::string ConsoleBridge::reloadShown(const std::string& name) {
    const system::BroadcastEngine& engine = m_system.engine();
    const playback::BroadcastSession& session = engine.session();
    if (session.tableFileName != name) {
        return "none";
    }
    if (engine.manual() || engine.stopDay().today) {
        // The window shows it and the clock does not run it: the window shows the file, so that
        // a later save there does not write the old rows back.
        m_system.editor().load();
        return "shown";
    }
    if (session.playback.isPlaying || session.alert.noticePlaying()) {
        // What plays runs its course as the table it started from said.
        m_pendingReload = name;
        return "after-item";
    }
    // As entering automatic operation does: today's table from its file, and the clock walks
    // it from the top, leaving what has passed.
    m_system.engine().enterAutomaticOperation();
    return "now";
}

ActionResult ConsoleBridge::returnToAutomatic(const Actor& actor) {
    system::BroadcastEngine& engine = m_system.engine();
    if (!engine.manual()) {
        return {};
    }
    if (engine.unsaved()) {
        record(actorFields(actor) + " mode automatic refused=unsaved");
        return refused(409, "主窗口有未保存的修改，请先在播出电脑上保存或放弃修改", "unsaved");
    }
    // The station's command, as the window's 自动播出 gives it.
    engine.enterAutomaticOperation();
    if (engine.manual()) {
        record(actorFields(actor) + " mode automatic refused=not-entered");
        return refused(409, "未能进入自动播出，请在播出电脑上查看", "not-entered");
    }
    record(actorFields(actor) + " mode automatic");
    return {};
}

ActionResult ConsoleBridge::enterManual(const Actor& actor) {
    if (m_system.engine().manual()) {
        return {};
    }
    // The station's command, as the window's 手动操作 gives it.
    m_system.engine().enterManualOperation();
    if (!m_system.engine().manual()) {
        record(actorFields(actor) + " mode manual refused=not-entered");
        return refused(409, "未能进入手动操作，请在播出电脑上查看", "not-entered");
    }
    record(actorFields(actor) + " mode manual");
    return {};
}

ActionResult ConsoleBridge::playRow(const Actor& actor, int row) {
    const system::BroadcastEngine& engine = m_system.engine();
    const playback::BroadcastSession& session = engine.session();
    ui::MainWindow& window = m_system.mainWindow();
    const std::string fields = actorFields(actor) + " play row=" + text::decimalText(row) +
                               " table=" + session.tableFileName;
    auto refuse = [&](int status, std::string error, std::string reason) {
        record(fields + " refused=" + reason);
        return refused(status, std::move(error), std::move(reason));
    };
    if (!engine.manual()) {
        return refuse(409, "自动播出中不能手动播放，请先切换到手动操作", "automatic");
    }
    if (session.alert.emergency) {
        return refuse(409, "紧急广播中，不能播放", "emergency");
    }
    if (session.alert.noticePlaying()) {
        return refuse(409, "正在插播通知，请稍后再试", "busy");
    }
    if (session.playback.isPlaying) {
        return refuse(409, "正在播放，请先停止", "playing");
    }
    if (m_system.holidayPanel().open()) {
        return refuse(409, "播出电脑上正在设置节假日，请先在那里关闭", "panel");
    }
    const store::ScheduleTable& table = window.grid.table();
    const int rows = table.rowCount() - 1;
    if (row < 1 || row > rows) {
        return refuse(
            422,
            "第" + text::decimalText(row) + "行不存在（表中共" + text::decimalText(rows) + "行）",
            "bad-row");
    }
    if (!store::ScheduleRow::read(table, row).hasItem()) {
        return refuse(422, "第" + text::decimalText(row) + "行没有要播放的文件", "empty-row");
    }
    if (!window.playTool.enabled()) {
        return refuse(409, "播出电脑上的播放命令现在不可用", "refused");
    }
    // The window shows the row played. Choosing it edits nothing, so it leaves the window's
    // unsaved state as it was.
    const bool unsaved = engine.unsaved();
    m_system.editor().selectRow(row);
    m_system.editor().setUnsaved(unsaved);
    m_system.engine().playRow(row);
    publish();
    if (!session.playback.isPlaying) {
        return refuse(404,
                      "第" + text::decimalText(row) + "行的文件未能播放：" +
                          store::ScheduleRow::read(table, row).file,
                      "missing");
    }
    record(fields);
    ActionResult r;
    r.table = session.tableFileName;
    return r;
}

ActionResult ConsoleBridge::commitTable(const Actor& actor, const TableCommit& commit) {
    const std::string name = store::scheduleFileName(commit.table);
    const std::string fields = actorFields(actor) + " table " + name;
    if (m_system.engine().unsaved() && m_system.engine().session().tableFileName == name) {
        record(fields + " refused=window-unsaved");
        return refused(409,
                       "播出电脑上的主窗口有该作息时间表未保存的修改，请先在那里保存或放弃修改",
                       "window-unsaved");
    }
    ActionResult r = storeTable(m_system.engine().programDirectory(), commit, m_sync);
    if (r.status != 200) {
        record(fields + " refused=" + r.reason);
        return r;
    }
    r.reload = reloadShown(name);
    record(fields + " rows=" + text::decimalText(static_cast<int>(commit.rows.size())) +
           " reload=" + r.reload);
    publish();
    m_hub.publish("table", tableJson(name));
    return r;
}

ActionResult ConsoleBridge::stopPlaying(const Actor& actor) {
    ActionResult result;
    result.stopped = m_system.engine().status().playing.has_value();
    m_system.engine().stopPlaying();
    record(actorFields(actor) + " stop" + (result.stopped ? "" : " nothing-playing"));
    publish();
    return result;
}

namespace {

// "wang@console:10.1.2.3": who acted, as the alerts' record lines name them.
std::string consoleActor(const Actor& actor) {
    return actor.user + "@console:" + actor.address;
}

ActionResult alertAnswer(const alerts::AlertResult& r) {
    using Status = alerts::AlertResult::Status;
    switch (r.status) {
        case Status::Done:
            return {};
        case Status::Already:
            return refused(409, r.error, "already");
        case Status::Emergency:
            return refused(409, r.error, "emergency");
        case Status::Busy:
            return refused(409, r.error, "busy");
        case Status::Missing:
            return refused(404, r.error, "missing");
        case Status::BadName:
            return refused(422, r.error, "bad-name");
        case Status::Unplayable:
            return refused(422, r.error, "unplayable");
        case Status::Refused:
            break;
    }
    return refused(409, r.error, "refused");
}

}  // namespace

ActionResult ConsoleBridge::setEmergency(const Actor& actor, bool on) {
    alerts::Alerts& a = m_system.alerts();
    const alerts::AlertResult r =
        on ? a.startEmergency(consoleActor(actor)) : a.endEmergency(consoleActor(actor));
    publish();
    return alertAnswer(r);
}

ActionResult ConsoleBridge::announce(const Actor& actor, const std::string& file) {
    const alerts::AlertResult r = m_system.alerts().announce(file, consoleActor(actor));
    publish();
    return alertAnswer(r);
}

std::vector<std::string> ConsoleBridge::notices() {
    return m_system.alerts().notices();
}

ActionResult ConsoleBridge::changeCalendar(const Actor& actor, const CalendarChange& change) {
    const std::string fields = actorFields(actor) + " calendar " + changeFields(change);
    if (m_system.calendarWindow().edited()) {
        record(fields + " refused=window-unsaved");
        return refused(409, "播出电脑上的校历窗口有未保存的修改，请先在那里确定或取消",
                       "window-unsaved");
    }
    StoredChange stored = storeChange(m_system.engine().programDirectory(), change, m_sync);
    if (stored.result.status != 200) {
        record(fields + " refused=" + stored.result.reason);
        return stored.result;
    }
    // As an OK of the window hands it over: the system plans its next decision with it.
    m_system.dayPlanner().replace(std::move(stored.calendar));
    m_system.calendarWindow().calendarReplaced();
    record(fields + (change.remark.empty() ? "" : " remark=" + change.remark));
    publish();
    m_hub.publish("calendar", "{}");
    return stored.result;
}

void ConsoleBridge::record(const std::string& line) {
    BroadcastEvent e;
    e.type = BroadcastEvent::Type::Console;
    e.at = m_clock.now();
    e.reason = line;
    m_system.engine().record(e);
}

}  // namespace orvessa::console

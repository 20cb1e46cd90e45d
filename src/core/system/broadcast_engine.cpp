#include "core/system/broadcast_engine.h"

#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::system {

const char* modeWord(OperatingMode mode) {
    return mode == OperatingMode::Manual ? "manual" : "automatic";
}

namespace {

std::string withSeparator(std::string path) {
    if (!text::endsWithSeparator(path)) {
        path += text::nativeSeparator();
    }
    return path;
}

}  // namespace

BroadcastEngine::BroadcastEngine(std::filesystem::path programDirectory,
                                 std::filesystem::path itemDirectory, platform::Host& host,
                                 platform::FailureRecord* failures)
    : m_programDirectory(std::move(programDirectory)),
      m_programDirectoryText(withSeparator(text::utf8Path(m_programDirectory))),
      m_itemDirectoryText(itemDirectory.empty() ? m_programDirectoryText
                                                : withSeparator(text::utf8Path(itemDirectory))),
      m_host(host),
      m_failures(failures),
      m_config(m_programDirectory) {}

bool BroadcastEngine::enterAutomaticOperation() {
    if (m_crew.enterAutomatic) {
        m_crew.enterAutomatic();
    }
    return !m_session.manual();
}

void BroadcastEngine::enterManualOperation() {
    if (m_crew.enterManual) {
        m_crew.enterManual();
    }
}

bool BroadcastEngine::playRow(int row) {
    if (row < 1 || !m_crew.playRow) {
        return false;
    }
    m_crew.playRow(row);
    return true;
}

void BroadcastEngine::stopPlaying() {
    if (m_crew.stop) {
        m_crew.stop();
    }
}

void BroadcastEngine::forceWeekday(int number) {
    if (m_crew.forceWeekday && number >= 0 && number <= 7) {
        m_crew.forceWeekday(number);
    }
}

bool BroadcastEngine::startEmergency(const std::string& by) {
    return m_crew.startEmergency && m_crew.startEmergency(by);
}

bool BroadcastEngine::endEmergency(const std::string& by) {
    return m_crew.endEmergency && m_crew.endEmergency(by);
}

void BroadcastEngine::useLibrary(const std::string& folder) {
    m_config.setEntry(store::SystemConfig::kMediaLibrary, folder);
    m_startUp.defaultDirectory = folder;
}

std::string BroadcastEngine::libraryDirectory() const {
    return text::resolvePath(m_itemDirectoryText, m_startUp.defaultDirectory);
}

bool BroadcastEngine::saveConfiguration() {
    const store::WriteResult r = m_config.save();
    if (!r.ok) {
        record(platform::Failure{"save failed", r.error});
        m_host.messageBox("配置文件保存失败！\r\r" + r.error, "错误", platform::MessageIcon::Error,
                          platform::MessageButtons::Ok);
    }
    return r.ok;
}

void BroadcastEngine::Line::setText(std::string text) {
    if (m_text != text) {
        m_text = std::move(text);
        changed();
    }
}

void BroadcastEngine::Line::setColor(model::Color color) {
    if (m_color != color) {
        m_color = color;
        changed();
    }
}

void BroadcastEngine::Line::changed() const {
    EngineEvent e;
    e.kind = EngineEvent::Kind::LineChanged;
    e.line = m_which;
    m_engine.m_events.send(e);
}

void BroadcastEngine::clockHealthChanged() {
    EngineEvent e;
    e.kind = EngineEvent::Kind::ClockHealthChanged;
    m_events.send(e);
}

void BroadcastEngine::modeSwitched() {
    if (m_session.mode == m_toldMode) {
        return;
    }
    m_toldMode = m_session.mode;
    EngineEvent e;
    e.kind = EngineEvent::Kind::ModeChanged;
    e.mode = m_toldMode;
    m_events.send(e);
}

void BroadcastEngine::takeTable(const store::ScheduleTable& table, EngineEvent::Kind kind) {
    m_table = table;
    m_rows.clear();
    for (int r = 0; r < table.rowCount(); ++r) {
        m_rows.push_back(store::ScheduleRow::read(table, r));
    }
    EngineEvent e;
    e.kind = kind;
    e.table = m_session.tableFileName;
    m_events.send(e);
}

void BroadcastEngine::tableLoaded(const store::ScheduleTable& table) {
    takeTable(table, EngineEvent::Kind::TableLoaded);
}

void BroadcastEngine::tableSaved(const store::ScheduleTable& table) {
    takeTable(table, EngineEvent::Kind::TableSaved);
}

EngineStatus BroadcastEngine::status() const {
    EngineStatus s;
    s.lastTick = m_session.clock.lastTick;
    s.mode = m_session.mode;
    s.plan = m_session.dayPlan;
    s.table = m_session.tableFileName;
    s.stopDay = m_stopDay.today;
    s.locked = !m_session.unlocked;
    s.clockWarning = m_session.clockWarning;
    s.unsaved = m_session.unsaved;
    s.lastFailure = m_lastFailure;
    s.statusLine = line(StatusLine::Status).text();
    s.hintLine = line(StatusLine::Hint).text();
    if (m_session.alert.emergency) {
        s.emergency = EmergencyStatus{m_session.alert.emergencySince, m_session.alert.emergencyBy};
    }
    s.notice = m_session.alert.notice;

    const playback::PlaybackState& p = m_session.playback;
    const auto rowAt = [this](int row) -> const store::ScheduleRow* {
        return row >= 1 && row < static_cast<int>(m_rows.size())
                   ? &m_rows[static_cast<std::size_t>(row)]
                   : nullptr;
    };
    if (p.isPlaying) {
        RunningItem item;
        item.row = p.currentRow;
        if (const store::ScheduleRow* r = rowAt(p.currentRow)) {
            item.label = r->label;
        }
        item.kind = p.itemKind;
        item.positionMs = p.positionMs;
        item.lengthMs = p.lengthMs;
        s.playing = item;
    }
    // The clock starts a row by its time only from the current row on, and only once its second
    // is still to come; a stop day, manual operation or an emergency rings nothing.
    if (!m_session.manual() && !m_stopDay.today && !m_session.alert.emergency) {
        const std::string now = s.lastTick ? m_session.clock.tick.padded() : std::string();
        for (int row = std::max(p.currentRow, 1); rowAt(row) != nullptr; ++row) {
            const store::ScheduleRow& r = *rowAt(row);
            if (!r.start.empty() && text::isClockTime(r.start) && text::timeBefore(now, r.start)) {
                s.nextBell = NextBell{row, r.start, r.label, r.file};
                break;
            }
        }
    }
    return s;
}

void BroadcastEngine::addRecord(scheduler::BroadcastRecord& record) {
    m_records.push_back(&record);
}

void BroadcastEngine::keepOutcome(const scheduler::BroadcastEvent& event) {
    using Type = scheduler::BroadcastEvent::Type;
    if ((event.type != Type::Started && event.type != Type::Missing && event.type != Type::Left) ||
        event.row <= 0) {
        return;
    }
    const int date = platform::dateNumber(event.at);
    if (date != m_outcomeDate) {
        m_dayOutcomes.clear();
        m_outcomeDate = date;
    }
    m_dayOutcomes.push_back(event);
}

void BroadcastEngine::rememberDay(const std::vector<scheduler::BroadcastEvent>& earlier) {
    for (const scheduler::BroadcastEvent& event : earlier) {
        keepOutcome(event);
    }
}

std::map<int, RowOutcome> BroadcastEngine::outcomes(int date, const std::string& table) const {
    using Type = scheduler::BroadcastEvent::Type;
    std::map<int, RowOutcome> out;
    if (date != m_outcomeDate) {
        return out;
    }
    for (const scheduler::BroadcastEvent& e : m_dayOutcomes) {
        if (e.table != table) {
            continue;
        }
        if (const auto it = out.find(e.row);
            e.type == Type::Left && it != out.end() && it->second.type == Type::Started) {
            continue;
        }
        out[e.row] = {e.type, (e.at.hour * 60 + e.at.minute) * 60 + e.at.second, e.reason, e.byRow,
                      e.path};
    }
    return out;
}

void BroadcastEngine::record(const scheduler::BroadcastEvent& event) {
    keepOutcome(event);
    for (scheduler::BroadcastRecord* r : m_records) {
        r->record(event);
    }
    EngineEvent e;
    e.kind = EngineEvent::Kind::Broadcast;
    e.broadcast = event;
    m_events.send(e);
}

void BroadcastEngine::flush() {
    for (scheduler::BroadcastRecord* r : m_records) {
        r->flush();
    }
}

std::vector<std::string> BroadcastEngine::dayLines(int year, int month, int day) {
    // The first record that keeps the day knows it.
    for (scheduler::BroadcastRecord* r : m_records) {
        if (std::vector<std::string> lines = r->dayLines(year, month, day); !lines.empty()) {
            return lines;
        }
    }
    return {};
}

void BroadcastEngine::record(const platform::Failure& failure) {
    m_lastFailure = failure;
    platform::recordFailure(m_failures, failure);
}

}  // namespace orvessa::system

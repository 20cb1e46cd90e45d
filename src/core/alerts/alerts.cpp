#include "core/alerts/alerts.h"

#include <cstdio>
#include <utility>

#include "core/alerts/notices.h"
#include "core/scheduler/as_run.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/text/gbk.h"
#include "core/text/paths.h"

namespace orvessa::alerts {
namespace {

// How often the alert device is looked at while something sounds: the alarm starts again and a
// notice hands back within a fifth of a second.
constexpr int kFollowMillis = 200;

std::string stamp(const platform::LocalDateTime& t) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

// Seconds of a "YYYY-MM-DD HH:MM:SS" the state file holds; none for another text.
std::optional<int64_t> secondsOfStamp(const std::string& s) {
    platform::LocalDateTime t;
    if (s.size() != 19 || std::sscanf(s.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &t.year, &t.month,
                                      &t.day, &t.hour, &t.minute, &t.second) != 6) {
        return std::nullopt;
    }
    return scheduler::secondsOf(t);
}

}  // namespace

Alerts::Alerts(playback::BroadcastSession& session, AlertControls controls, AlertServices services)
    : m_session(session),
      m_c(controls),
      m_s(std::move(services)),
      m_settings(m_s.programDirectory, m_s.fileSync),
      m_state(m_s.programDirectory, m_s.fileSync),
      m_player(m_s.alertDevice, m_s.alertOutput, m_s.sirenFile) {
    m_c.timer.setHandler([this] { tick(); });
    m_c.banner.setVisible(false);
    m_c.endButton.setVisible(false);
    m_c.videoMessage.setVisible(false);
}

Alerts::~Alerts() = default;

std::string Alerts::now() const {
    return stamp(m_s.clock.now());
}

void Alerts::record(const std::string& what) {
    scheduler::BroadcastEvent event;
    event.type = what.starts_with("announce ") ? scheduler::BroadcastEvent::Type::Announcement
                                               : scheduler::BroadcastEvent::Type::Emergency;
    event.at = m_s.clock.now();
    event.table = m_session.tableFileName;
    // A name a console sent, or one read from a file, may hold any bytes; the record is UTF-8.
    event.reason = text::readableText(what.substr(what.find(' ') + 1));
    m_s.record.record(event);
}

void Alerts::fail(const std::string& what, const std::string& detail) {
    platform::recordFailure(m_s.failures, platform::Failure{what, detail});
}

void Alerts::start() {
    if (!m_settings.load()) {
        fail("alert settings unreadable", m_settings.error());
    }
    for (const std::string& problem : m_settings.problems()) {
        fail("alert setting ignored", problem);
    }
    if (const store::WriteResult r = m_player.prepareSiren(); !r) {
        fail("siren not written", r.error);
    }
    const EmergencyStateFile::Read read = m_state.read();
    if (!read.error.empty()) {
        // A state nobody can read is no emergency: the bells ring, and the record says why.
        fail("emergency state unreadable",
             text::utf8Path(m_state.filePath()) + ": " + read.error + "; 按无紧急广播处理");
        return;
    }
    if (!read.state.on) {
        return;
    }
    m_session.alert.emergency = true;
    m_session.alert.emergencySince = read.state.since;
    m_session.alert.emergencyBy = read.state.by;
    m_startedAt = secondsOfStamp(read.state.since).value_or(scheduler::secondsOf(m_s.clock.now()));
    showEmergency(soundAlarm());
    m_c.timer.start(kFollowMillis);
    record("emergency resumed by=" + read.state.by + " since=" + read.state.since);
    if (m_s.changed) {
        m_s.changed();
    }
}

store::WriteResult Alerts::saveSettings(const AlertSettings& settings) {
    m_settings.set(settings);
    return m_settings.save();
}

void Alerts::reloadSettings() {
    if (!m_settings.load()) {
        fail("alert settings unreadable", m_settings.error());
    }
}

std::string Alerts::soundAlarm() {
    const AlertSettings& s = m_settings.settings();
    std::filesystem::path file;
    if (!s.alarmFile.empty()) {
        file = text::fsPath(text::resolvePath(m_s.libraryDirectory(), s.alarmFile));
    }
    const std::string why = m_player.startAlarm(file, s.alarmVolume);
    if (!why.empty()) {
        fail("alarm file not played", why);
    }
    return why;
}

void Alerts::showEmergency(const std::string& note) {
    const playback::AlertState& a = m_session.alert;
    const std::string since = a.emergencySince.size() == 19 ? a.emergencySince.substr(11) : "";
    m_c.banner.setColor(model::kRed);
    m_c.banner.setText("紧急广播中　" + (since.empty() ? "" : since + " 起　") + "发起：" +
                       a.emergencyBy + "　作息表已停止" + (note.empty() ? "" : "　" + note));
    m_c.banner.setVisible(true);
    m_c.endButton.setVisible(true);
    if (!note.empty() && m_c.hintLine != nullptr) {
        m_c.hintLine->setColor(model::kRed);
        m_c.hintLine->setText("  ☆ " + note);
    }
    if (m_c.secondMonitorBox.checked()) {
        m_c.videoMessage.setText(m_settings.settings().message);
        m_c.videoMessage.setVisible(true);
        if (m_s.showVideoWindow) {
            m_s.showVideoWindow();
        }
    }
}

void Alerts::hideEmergency() {
    m_c.banner.setVisible(false);
    m_c.endButton.setVisible(false);
    if (m_c.videoMessage.visible()) {
        m_c.videoMessage.setVisible(false);
        if (m_s.hideVideoWindow) {
            m_s.hideVideoWindow();
        }
    }
}

AlertResult Alerts::startEmergency(const std::string& by) {
    if (m_session.alert.emergency) {
        return {AlertResult::Status::Already, "紧急广播已在进行中"};
    }
    m_session.alert.emergency = true;
    m_session.alert.emergencySince = now();
    m_session.alert.emergencyBy = by;
    m_startedAt = scheduler::secondsOf(m_s.clock.now());
    // A notice gives way at once; what it paused is stopped with the rest.
    std::string notice;
    if (m_session.alert.noticePlaying()) {
        notice = m_session.alert.notice;
        m_player.stop();
        m_session.alert.notice.clear();
        m_paused = false;
    }
    // The alarm first: nothing that stopping the item may take keeps it waiting.
    const std::string note = soundAlarm();
    if (m_session.playback.isPlaying && m_s.stopItem) {
        m_s.stopItem();
    }
    showEmergency(note);
    m_c.timer.start(kFollowMillis);
    record("emergency on by=" + by);
    if (!notice.empty()) {
        record("announce end file=" + scheduler::as_run::fieldValue(notice) + " reason=emergency");
    }
    const store::WriteResult written =
        m_state.write({true, m_session.alert.emergencySince, m_session.alert.emergencyBy});
    if (!written) {
        // The alarm sounds all the same; only a restart would forget it.
        fail("emergency state not saved", written.error);
    }
    if (m_s.changed) {
        m_s.changed();
    }
    return {};
}

AlertResult Alerts::endEmergency(const std::string& by) {
    if (!m_session.alert.emergency) {
        return {AlertResult::Status::Already, "当前没有紧急广播"};
    }
    m_player.stop();
    m_session.alert = {};
    hideEmergency();
    m_c.timer.stop();
    const int64_t lasted = scheduler::secondsOf(m_s.clock.now()) - m_startedAt;
    record("emergency off by=" + by + " lasted=" + std::to_string(std::max<int64_t>(0, lasted)));
    if (const store::WriteResult written = m_state.write({}); !written) {
        // A restart would sound the alarm again: the operator is to know.
        fail("emergency state not saved", written.error);
        m_s.host.messageBox(
            "紧急广播已结束，但状态文件未能保存，重新启动后警报会再次响起！\r\r" + written.error,
            "紧急广播", platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    }
    if (m_s.changed) {
        m_s.changed();
    }
    return {};
}

void Alerts::emergencyCommand(const std::string& by) {
    if (!m_session.alert.emergency) {
        if (m_s.host.messageBox(
                "确定要启动紧急广播吗？\r\r作息表将停止，警报声将反复播放，直到结束紧急广播。",
                "紧急广播", platform::MessageIcon::Warning,
                platform::MessageButtons::YesNoDefaultNo) == platform::MessageAnswer::Yes) {
            startEmergency(by);
        }
        return;
    }
    if (!m_session.unlocked && (!m_s.unlock || !m_s.unlock())) {
        return;
    }
    endEmergency(by);
}

void Alerts::keyPressed() {
    if (!m_session.alert.emergency) {
        startEmergency("operator@key");
    }
}

void Alerts::keyUnusable(const std::string& why) {
    fail("emergency key not usable", why);
    if (m_c.hintLine != nullptr) {
        m_c.hintLine->setColor(model::kRed);
        m_c.hintLine->setText("  ☆ " + why);
    }
}

std::filesystem::path Alerts::noticeFolder() const {
    return text::fsPath(
        text::resolvePath(m_s.libraryDirectory(), m_settings.settings().noticeFolder));
}

std::vector<std::string> Alerts::notices() const {
    return listNotices(noticeFolder());
}

AlertResult Alerts::announce(const std::string& name, const std::string& by) {
    const std::string fields = " file=" + scheduler::as_run::fieldValue(name) + " by=" + by;
    if (m_session.alert.emergency) {
        record("announce refused=emergency" + fields);
        return {AlertResult::Status::Emergency, "紧急广播期间不能插播"};
    }
    if (m_session.alert.noticePlaying()) {
        record("announce refused=busy" + fields);
        return {AlertResult::Status::Busy, "正在插播：" + m_session.alert.notice};
    }
    const NoticeLookup found = findNotice(noticeFolder(), name);
    if (found.status != NoticeLookup::Status::Found) {
        const bool bad = found.status == NoticeLookup::Status::BadName;
        record(std::string("announce refused=") + (bad ? "bad-name" : "missing") + fields);
        return {bad ? AlertResult::Status::BadName : AlertResult::Status::Missing, found.error};
    }
    // Media pause where they are; a page or a program goes on as it is.
    const playback::PlaybackState& p = m_session.playback;
    m_paused = false;
    try {
        if (p.isPlaying && p.itemKind == playback::ItemKind::Media &&
            m_s.broadcastDevice.mode() == platform::MediaMode::Playing) {
            m_s.broadcastDevice.stop();
            m_paused = true;
            m_pausedRow = p.currentRow;
            m_pausedPath = p.currentPath;
        }
    } catch (const platform::MediaError&) {
        // A device that cannot say has nothing to pause.
    }
    std::string error;
    if (!m_player.playNotice(found.path, m_settings.settings().noticeVolume, error)) {
        if (m_paused) {
            m_s.broadcastDevice.play();
            m_paused = false;
        }
        fail("notice not played", text::readablePath(found.path) + ": " + error);
        record("announce refused=unplayable" + fields);
        return {AlertResult::Status::Unplayable, "通知文件无法播放：" + name + "\r\r" + error};
    }
    m_session.alert.notice = name;
    m_c.timer.start(kFollowMillis);
    record("announce start" + fields);
    if (m_s.changed) {
        m_s.changed();
    }
    return {};
}

void Alerts::noticeOver() {
    const std::string name = m_session.alert.notice;
    m_session.alert.notice.clear();
    const playback::PlaybackState& p = m_session.playback;
    // Only what the notice paused goes on: an item stopped or replaced meanwhile stays so.
    if (m_paused && p.isPlaying && p.currentRow == m_pausedRow && p.currentPath == m_pausedPath) {
        m_s.broadcastDevice.play();
    }
    m_paused = false;
    m_c.timer.stop();
    record("announce end file=" + scheduler::as_run::fieldValue(name));
    if (m_s.changed) {
        m_s.changed();
    }
}

void Alerts::tick() {
    if (m_player.noticeEnded() && m_session.alert.noticePlaying()) {
        noticeOver();
    }
}

}  // namespace orvessa::alerts

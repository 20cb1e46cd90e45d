#include "core/scheduler/startup.h"

#include <filesystem>

#include "core/editing/directory_dialog.h"
#include "core/editing/grid_editor.h"
#include "core/editing/operator_lock.h"
#include "core/scheduler/operating_modes.h"
#include "core/store/ini_profile.h"
#include "core/store/table_file.h"
#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::scheduler {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using store::SystemConfig;

namespace {

const char* const kHints[] = {
    "  ☆ 停播时间留空则播完当前文件后跳至下一项。",
    "  ☆ 时间输入标准格式示例：12:15:00 或 5:00:13 。",
    "  ☆ 系统可设置最后一次播出结束后自动关机。",
    "  ☆ 开播时间留空则该文件将接在上一项文件播完时播放。",
    "  ☆ 修改和编辑作息时间表前请先选手动操作。",
    "  ☆ 停播时间一到播放将中途强行停止。",
    "  ☆ 一曲播完但停播时间未到当前文件将循环播放。",
    "  ☆ 选项中可在作息时间表的当前行进行音量、目录或文件设置。",
    "  ☆ 系统支持双击功能，可在指定时间打开或运行各种类型文件！",
    "  ☆ 发挥电脑的潜在功能，充分利用你已安装的各类软件！",
    "  ☆ “我的音乐库”目录设置请参阅帮助--常见问题！",
};

}  // namespace

StartUp::StartUp(StartUpControls controls, StartUpState state, StartUpServices services,
                 editing::GridEditor& editor, OperatingModes& modes, editing::OperatorLock& lock)
    : m_c(std::move(controls)),
      m_s(state),
      m_services(std::move(services)),
      m_editor(editor),
      m_modes(modes),
      m_lock(lock) {}

void StartUp::create() {
    // 1-2
    m_c.ticker.stop();
    m_c.hintLine.setColor(model::kGreen);
    m_s.session.autoNaming = true;
    m_s.stopDay.count = 0;
    m_s.versionText = kVersion;
    m_c.window.setCaption("Orvessa    VER " + m_s.versionText);

    // 3
    m_s.platformFamily = m_services.power.platformFamily();

    // 4: dat files are MPEG video for the media device.
    if (const store::WriteResult r =
            store::ProfileFile(m_services.mediaProfile, m_services.fileSync)
                .writeString("mci extensions", "dat", "MPEGVideo");
        !r.ok) {
        platform::recordFailure(m_services.failures, {"media profile not written", r.error});
    }

    // 5
    m_c.trayIcon.setVisible(true);

    // 7
    SystemConfig& config = m_s.config;
    const SystemConfig::LoadStatus loaded = config.load();
    if (loaded != SystemConfig::LoadStatus::Loaded) {
        m_c.ticker.stop();
        // A file that is there but cannot be read is not "not found": say why, or the operator
        // looks for a file that exists.
        const std::string file =
            "系统初始化错误！\r\r文件 " + m_s.programDirectoryText + "orvessa.sys ";
        platform::recordFailure(
            m_services.failures,
            {"configuration not read", loaded == SystemConfig::LoadStatus::Missing
                                           ? text::utf8Path(config.filePath()) + ": not found"
                                           : config.loadError()});
        m_services.host.messageBox(loaded == SystemConfig::LoadStatus::Missing
                                       ? file + "未找到！"
                                       : file + "无法读取！\r\r" + config.loadError(),
                                   "错误", MessageIcon::Error, MessageButtons::Ok);
        m_s.session.unlocked = true;
        // Nothing was loaded, so there is nothing to offer to save.
        m_editor.setUnsaved(false);
        quit();
        return;
    }
    m_s.configurationLoaded = true;
    // A damaged entry must not stop an unattended start behind a box: it takes its default, and
    // whoever looks after the PC finds it in the record.
    for (const SystemConfig::ReplacedEntry& r : config.replaceUnusableEntries()) {
        platform::recordFailure(
            m_services.failures,
            {"configuration entry not usable",
             text::utf8Path(config.filePath()) + " entry " + std::to_string(r.entry) + " (line " +
                 std::to_string(r.entry + 1) + "): '" + text::firstCharacters(r.was, 40) +
                 (text::characterCount(r.was) > 40 ? "...'" : "'") + " is " + r.why + "; '" +
                 r.now + "' is used"});
    }

    // 8
    applySkin();

    // 9-10: the boxes carry the week's rules into the day's plan.
    bool& stopDay = m_s.stopDay.today;
    int& W = m_s.session.weekday;
    stopDay = false;
    const platform::LocalDateTime now = m_services.clock.now();
    W = text::weekdayOf(now.year, now.month, now.day);
    for (int k = 0; k < 8; ++k) {
        m_c.stopBoxes[static_cast<std::size_t>(k)]->setChecked(
            config.flagEntry(SystemConfig::kStopMonday + k));
    }
    m_s.session.weekdayText = text::decimalText(W);
    if (m_services.readCalendar) {
        m_services.readCalendar();
    }

    // 11
    if (config.entry(SystemConfig::kPasswordMode) == "0") {
        // Lock raises the screen-saver flag itself.
        m_s.session.unlocked = false;
        m_lock.lock();
        for (model::Command* c : m_c.lockedOff) {
            c->setEnabled(false);
        }
    } else {
        // Enter lowers the screen-saver flag itself, and asks nothing: the operator is in.
        m_s.session.unlocked = true;
        m_lock.enter();
        for (model::Command* c : m_c.passwordOnly) {
            c->setVisible(false);
        }
    }

    // 12-13
    playback::ClockState& clock = m_s.session.clock;
    clock.shutdownArmed = true;
    clock.shutdownTime = config.entry(SystemConfig::kShutdownTimeTwo);
    clock.endCountdown = 60;
    clock.hintTick = 0;
    clock.hintLimit = 50;
    clock.repeatLimit = 1;
    clock.repeatCount = 1;
    m_s.hints.assign(std::begin(kHints), std::end(kHints));
    m_c.table.headings();
    m_c.table.changed();

    // 14
    const std::string& forced = config.entry(SystemConfig::kForcedWeekday);
    if (forced == "0") {
        m_c.forcedAutomatic.setChecked(true);
        m_s.session.tableFileName = store::scheduleFileName(W);
    } else {
        m_s.session.tableFileName = "zxsj" + forced + ".log";
        m_modes.tickForcedWeekday(text::toIntOr(forced, -1));
    }

    // 15: selecting today in the week selector loads today's table, by today's plan. A table
    // that cannot be read is told in the status line: a box here would hold the clock until
    // someone came.
    m_editor.setUnattended(true);
    m_c.weekSelector.setItemIndex(W - 1);

    // 16
    m_s.session.playback.currentRow = 1;
    clock.lastStartTime = "00:00:00";
    m_s.session.playback.itemKind = playback::ItemKind::None;

    // 17: the load decided the day.
    stopDay = m_s.session.dayPlan.stopDay();

    // 18-19
    if (stopDay) {
        m_s.stopDay.date = platform::dateNumber(now);
        m_c.stopDayTimer.start(1000);
        m_editor.setUnattended(false);
        return;
    }
    m_editor.setUnsaved(false);
    enterAutomaticOperation(m_c.automaticOperation, m_s.session);
    m_c.ticker.start(1000);
    m_editor.setUnattended(false);
}

void StartUp::activate() {
    if (m_activating || !m_s.configurationLoaded) {
        return;
    }
    m_activating = true;
    ++m_activations;
    const SystemConfig& config = m_s.config;

    // 1: automatic operation is whenever "自动播出" cannot be chosen.
    if (!m_s.session.manual()) {
        for (model::Command* c : m_c.rowCommands) {
            c->setEnabled(false);
        }
        // Save is among them: nothing is left to save.
        m_editor.setUnsaved(false);
    }

    // 2: the window hides itself on the first activation only; hiding again at every later
    // activation would keep the operator from ever reaching the box to undo it.
    const bool hideAtStart = config.entry(SystemConfig::kHideAtStart) == "1";
    m_c.hideAtStartBox.setChecked(hideAtStart);
    if (hideAtStart && m_activations == 1) {
        m_c.window.setVisible(false);
    }

    // 3
    m_c.secondMonitorBox.setChecked(config.entry(SystemConfig::kSecondMonitor) == "1");

    // 4
    const std::string& library = config.entry(SystemConfig::kMediaLibrary);
    if (!library.empty()) {
        m_s.defaultDirectory = library;
    } else {
        // Keep the clock as it was: on a stop day it must not start broadcasting.
        const bool clockWasRunning = m_c.ticker.running();
        m_c.ticker.stop();
        const std::string audio = m_s.programDirectoryText + "AUDIO" + text::nativeSeparator();
        const MessageAnswer answer =
            m_services.host.messageBox("请设置音视频文件默认目录！\r\r选否则为" + audio + "！",
                                       "系统信息", MessageIcon::Information, MessageButtons::YesNo);
        std::string chosen = audio;
        // The dialog's close box gives its choice as its OK does.
        if (answer == MessageAnswer::Yes && m_directory != nullptr) {
            m_services.host.showModal(*m_directory);
            if (!m_directory->chosenDirectory.empty()) {
                chosen = m_directory->chosenDirectory;
            }
        }
        // A library that is not there yet is made, so that its list and bare names work at once.
        std::error_code ec;
        std::filesystem::create_directories(text::fsPath(text::toNativePath(chosen)), ec);
        m_s.config.setEntry(SystemConfig::kMediaLibrary, chosen);
        m_services.saveConfiguration();
        m_s.defaultDirectory = config.entry(SystemConfig::kMediaLibrary);
        if (clockWasRunning) {
            m_c.ticker.start(1000);
        }
    }
    // Once, with the library the system starts with; entering manual operation says it again.
    if (m_activations == 1 && m_services.checkLibrary) {
        m_services.checkLibrary();
    }
    m_activating = false;
}

void StartUp::quit() {
    // A locked system ends only for the right password; anything else leaves it broadcasting.
    if (!m_s.session.unlocked && !m_lock.askPassword()) {
        return;
    }
    if (m_editor.unsaved()) {
        const MessageAnswer answer = m_services.host.messageBox(
            "要保存当前数据吗？", "确认", MessageIcon::Question, MessageButtons::YesNo);
        // A refused or failed save keeps the system running: the edits are still in the grid,
        // with the cell at fault selected.
        if (answer == MessageAnswer::Yes && !m_editor.save()) {
            return;
        }
    }
    m_c.trayIcon.setVisible(false);
    m_services.host.quitApplication();
}

// Filled in by the subsystem that owns this step.
void StartUp::applySkin() {
    if (m_services.applySkin) {
        m_services.applySkin();
    }
}

}  // namespace orvessa::scheduler

#include "core/scheduler/operating_modes.h"

#include "core/editing/grid_editor.h"
#include "core/playback/item_player.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/store/table_file.h"
#include "core/text/date_text.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::scheduler {

using model::Command;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using playback::OperatingMode;
using store::SystemConfig;

namespace {

constexpr model::Color kWeekChoiceBackground = model::rgb(255, 251, 240);

}  // namespace

void enterAutomaticOperation(model::Command& automaticOperation,
                             playback::BroadcastSession& session) {
    // "自动播出" runs only while offered, that is in manual operation: for the time of the click
    // the system is in manual operation, as the rules that run inside it see.
    setMode(session, automaticOperation, OperatingMode::Manual);
    automaticOperation.click();
    setMode(session, automaticOperation, OperatingMode::Automatic);
}

void setMode(playback::BroadcastSession& session, model::Command& automaticOperation,
             OperatingMode mode) {
    session.mode = mode;
    automaticOperation.setEnabled(mode == OperatingMode::Manual);
}

OperatingModes::OperatingModes(ModeControls controls, ModeState state, ModeServices services,
                               editing::GridEditor& editor)
    : m_c(std::move(controls)), m_s(state), m_services(std::move(services)), m_editor(editor) {
    m_c.manualOperation.setHandler([this] { enterManual(); });
    m_c.automaticOperation.setHandler([this] { enterAutomatic(); });
    // The toolbar's button decides: the menu item opens the week setting only while the
    // button offers it too.
    m_c.weekSetting.bind([this] {
        if (m_c.weekSettingTool.enabled()) {
            openWeekSetting();
        }
    });
    m_c.weekSelector.setHandler([this] { pickWeekday(); });
    for (int n = 0; n < 8; ++n) {
        m_c.forcedWeekday[static_cast<std::size_t>(n)]->setHandler([this, n] { forceWeekday(n); });
    }
}

void OperatingModes::enterManual() {
    m_c.ticker.stop();
    m_c.manualOperation.setEnabled(false);
    setMode(m_s.session, m_c.automaticOperation, OperatingMode::Manual);
    m_services.modeChanged(true);
    m_c.table.editable(true);
    m_c.table.rowSelect(false);
    m_editor.setMoveButtons();
    m_c.libraryList.setVisible(true);
    m_services.refreshLibraryList();
    m_c.statusLine.setColor(model::kGreen);
    m_c.hintLine.setColor(model::kGreen);
    m_c.statusLine.setText("  ☆ 当前为手动操作状态，可对系统进行设置和修改！");
    m_c.hintLine.setText("  ☆ 修改完成后请选择自动播出！");
    m_s.session.autoNaming = false;
    // The operator is here now to mend a library that is gone.
    if (m_services.checkLibrary) {
        m_services.checkLibrary();
    }
}

void OperatingModes::enterAutomatic() {
    // The save question comes before anything switches: a refused or failed save leaves manual
    // operation as it was, the edits in the grid and the cell at fault selected, instead of
    // reloading the table over them.
    if (m_editor.unsaved()) {
        const bool clockRan = m_c.ticker.running();
        m_c.ticker.stop();
        const MessageAnswer answer = m_services.host.messageBox(
            "要保存当前数据吗？", "确认", MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes && !m_editor.save()) {
            if (clockRan) {
                m_c.ticker.start(1000);
            }
            return;
        }
        m_editor.setUnsaved(false);
    }
    if (m_s.session.playback.isPlaying && m_player != nullptr) {
        m_player->stop();
    }
    // A folder the player last played belongs to the pass that is over: left standing, it would
    // let a bell whose time has passed ring late, the morning's at night.
    m_s.session.playback.isDirectory = false;
    setMode(m_s.session, m_c.automaticOperation, OperatingMode::Automatic);
    m_c.manualOperation.setEnabled(true);
    m_services.modeChanged(false);
    m_c.hintLine.setText("");
    m_c.weekSelector.setVisible(false);
    m_c.libraryList.setVisible(false);
    m_c.table.editable(false);
    m_s.gridHeight = 0;
    m_c.table.changed();

    m_s.session.autoNaming = true;
    m_editor.load();
    const platform::LocalDateTime today = m_services.clock.now();
    m_s.automaticDate = platform::dateNumber(today);

    m_c.table.show(1);
    m_s.session.playback.currentRow = 1;
    m_c.table.rowSelect(true);
    m_c.stopDayTimer.stop();
    // A day the calendar decided starts by saying so; the hint rotation repeats it.
    if (const std::string line = store::calendarDayLine(m_s.session.dayPlan); !line.empty()) {
        m_c.statusLine.setColor(model::kGreen);
        m_c.statusLine.setText(line);
        m_s.session.clock.hintTick = 0;
    }
    if (m_broadcastClock != nullptr) {
        // Seconds spent outside automatic operation are not the clock's to make up.
        m_broadcastClock->resetSeconds();
    }
    m_c.ticker.start(1000);
}

void OperatingModes::forceWeekday(int number) {
    const SystemConfig& config = m_s.config;
    if (text::decimalText(number) != config.entry(SystemConfig::kForcedWeekday)) {
        const MessageAnswer answer = m_services.host.messageBox(
            "确实要改变作息时间吗？", "确认", MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes && m_editor.offerToSave()) {
            m_s.config.setEntry(SystemConfig::kForcedWeekday, text::decimalText(number));
            m_services.saveConfiguration();
            const std::string day =
                number == 0 ? m_s.session.weekdayText : text::decimalText(number);
            m_s.session.tableFileName = "zxsj" + day + ".log";
            m_editor.load();
        }
    }
    tickForcedWeekday(text::toIntOr(config.entry(SystemConfig::kForcedWeekday), -1));
}

void OperatingModes::tickForcedWeekday(int number) {
    for (int n = 0; n < 8; ++n) {
        m_c.forcedWeekday[static_cast<std::size_t>(n)]->setChecked(n == number);
    }
}

void OperatingModes::openWeekSetting() {
    m_s.gridHeight = kBevelTop - 110;
    m_c.weekSelector.setVisible(true);
    m_c.table.changed();
    if (!m_editor.offerToSave()) {
        return;
    }
    m_s.session.tableFileName = store::scheduleFileName(m_c.weekSelector.itemIndex() + 1);
    m_editor.load();
}

void OperatingModes::pickWeekday() {
    if (m_revertingWeekChoice) {
        return;
    }
    const int k = m_c.weekSelector.itemIndex();
    // A change made in the grid is not replaced by another day's table without a question, nor
    // after a save that failed: the selector goes back to the day the grid still shows.
    if (!m_editor.offerToSave()) {
        m_revertingWeekChoice = true;
        m_c.weekSelector.setItemIndex(m_shownWeekChoice);
        m_revertingWeekChoice = false;
        return;
    }
    m_shownWeekChoice = k;
    m_s.session.tableFileName = store::scheduleFileName(k + 1);
    m_s.session.weekday = k + 1;
    if (m_c.weekSettingTool.enabled()) {
        m_c.statusLine.setText("  ☆ 正在修改 星期" + text::weekdayCharacter(m_s.session.weekday) +
                               " 作息时间表！");
    }
    markWeekChoice();
    m_editor.load();
}

void OperatingModes::markWeekChoice() {
    const int selected = m_c.weekSelector.itemIndex();
    for (int i = 0; i < static_cast<int>(m_c.weekSelector.items().size()); ++i) {
        if (i == selected) {
            m_c.weekSelector.setItemColors(i, model::kRed, kWeekChoiceBackground);
        } else {
            m_c.weekSelector.setItemColors(i, model::kBlack, model::RadioGroup::kNoBackground);
        }
    }
}

}  // namespace orvessa::scheduler

#include "core/editing/holiday_panel.h"

#include "core/editing/grid_editor.h"
#include "core/store/holiday_list.h"
#include "core/store/schedule_table.h"
#include "core/store/table_file.h"
#include "core/text/date_text.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

using store::ScheduleTable;
using store::SystemConfig;

namespace {

constexpr int kScheduleWidths[] = {30, 60, 60, 240, 60, 30};
// The list's columns: number, first day, last day, remark.
constexpr int kHolidayWidths[] = {30, 60, 60, 100};

}  // namespace

HolidayPanel::HolidayPanel(HolidayControls controls, HolidayState state,
                           const platform::Clock& clock, platform::Host& host,
                           std::function<bool()> saveConfiguration, GridEditor& editor)
    : m_c(std::move(controls)),
      m_s(state),
      m_clock(clock),
      m_host(host),
      m_saveConfiguration(std::move(saveConfiguration)),
      m_editor(editor) {
    m_c.holidaysItem.setHandler([this] { openPanel(); });
    m_c.holidayOkButton.setHandler([this] { accept(); });
}

void HolidayPanel::showPanel(bool on) {
    m_c.holidaySettingsTitle.setVisible(on);
    m_c.holidayListTitle.setVisible(on);
    m_c.stopWeekdayGroup.setVisible(on);
    for (model::Command* box : m_c.stopBoxes) {
        box->setVisible(on);
    }
    m_c.holidayOkButton.setVisible(on);
    m_c.libraryList.setVisible(!on);
    m_open = on;
    m_c.panelChanged(on);
}

void HolidayPanel::openPanel() {
    // The changes in the grid are not replaced by the list without a question.
    if (!m_editor.offerToSave()) {
        return;
    }
    // 1-3
    m_c.ticker.stop();
    m_c.weekSelector.setVisible(false);
    m_s.gridHeight = 0;
    showPanel(true);

    // 4: the list beside the weekday group, its caption level with the group.
    const model::Rect& g = kGroup;
    const int left = g.left + g.width + 30;
    m_c.grid.setBounds({left, g.top + 20, kNowPlayingWidth - left - 30, g.height - 50});
    m_c.holidayListTitle.setBounds({left, g.top, 200, 17});
    m_c.stopWeekdayGroup.setBounds(g);

    // 5
    const SystemConfig& config = m_s.config;
    for (int k = 0; k < 8; ++k) {
        m_c.stopBoxes[static_cast<std::size_t>(k)]->setChecked(
            config.flagEntry(SystemConfig::kStopMonday + k));
    }

    // 6-7
    ScheduleTable& table = m_c.grid.table();
    table.setCell(0, 0, "序号");
    table.setCell(1, 0, "起始月日");
    table.setCell(2, 0, "结束月日");
    table.setCell(3, 0, " 备    注");
    m_s.tableFileName = store::kHolidayFileName;
    m_editor.load();
    // The load gives column 3 the schedule's width; the remark column fits beside the group.
    for (int c = 0; c < ScheduleTable::kHolidayColumns; ++c) {
        table.setColumnWidth(c, kHolidayWidths[c]);
    }
    m_c.grid.tableChanged();
}

bool HolidayPanel::checkDays() {
    ScheduleTable& t = m_c.grid.table();
    constexpr int kFirst = 1;
    constexpr int kLast = 2;
    constexpr int kRemark = 3;
    int emptyRow = 0;
    for (int r = 1; r < t.rowCount(); ++r) {
        // Blanks around a day, or a remark of blanks alone, would be read as another day.
        for (int c : {kFirst, kLast, kRemark}) {
            const std::string trimmed = text::trimText(t.cell(c, r));
            if ((c != kRemark || trimmed.empty()) && trimmed != t.cell(c, r)) {
                t.setCell(c, r, trimmed);
            }
        }
        const std::string& first = t.cell(kFirst, r);
        const std::string& last = t.cell(kLast, r);
        if (first.empty() && last.empty() && t.cell(kRemark, r).empty()) {
            if (emptyRow == 0) {
                emptyRow = r;
            }
            continue;
        }
        const std::string row = "第" + text::decimalText(r) + "行";
        const std::string form = "\r\r请按“月-日”填写，例如 10-1。";
        std::string problem;
        int column = kFirst;
        int at = r;
        if (first.empty()) {
            problem = row + "没有起始月日！" + form;
        } else if (!store::isMonthDay(first)) {
            problem = row + "的起始月日“" + first + "”不是日历上的日期！" + form;
        } else if (!last.empty() && !store::isMonthDay(last)) {
            column = kLast;
            problem = row + "的结束月日“" + last + "”不是日历上的日期！" + form;
        } else if (emptyRow != 0) {
            // The list is read down to its first empty row.
            at = emptyRow;
            problem = "第" + text::decimalText(emptyRow) + "行是空行，" + row +
                      "起的节假日都将不起作用！\r\r请删除空行，或在其中填写节假日。";
        }
        if (!problem.empty()) {
            m_c.grid.select(column, at);
            m_c.grid.focusRequested.send();
            m_host.messageBox(problem, "错误信息", platform::MessageIcon::Error,
                              platform::MessageButtons::Ok);
            return false;
        }
    }
    return true;
}

void HolidayPanel::accept() {
    // 1: an emptied list is stored empty, so that no day stays a holiday. A list that is refused
    // or cannot be written stays open for the operator to correct: closing would drop it.
    const bool listStored = checkDays() && m_editor.saveAllowingEmpty();

    // 2
    SystemConfig& config = m_s.config;
    for (int k = 0; k < 8; ++k) {
        config.setEntry(SystemConfig::kStopMonday + k,
                        m_c.stopBoxes[static_cast<std::size_t>(k)]->checked() ? "1" : "0");
    }
    m_saveConfiguration();
    if (!listStored) {
        return;
    }

    // 3
    showPanel(false);

    // 4
    ScheduleTable& table = m_c.grid.table();
    table.setColumnCount(ScheduleTable::kScheduleColumns);
    store::setScheduleHeaders(table, 15);
    for (int c = 0; c < ScheduleTable::kScheduleColumns; ++c) {
        table.setColumnWidth(c, kScheduleWidths[c]);
    }

    // 5
    m_s.tableFileName = m_editor.todaysPlan().tableFileName();
    m_editor.load();

    // 6
    m_s.playback.currentRow = 1;
    m_c.grid.setBounds({});
    m_c.grid.select(m_c.grid.col(), 1);
}

}  // namespace orvessa::editing

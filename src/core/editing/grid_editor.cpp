#include "core/editing/grid_editor.h"

#include <optional>

#include "core/editing/table_rules.h"
#include "core/store/day_plan.h"
#include "core/store/table_file.h"
#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using store::ScheduleTable;

namespace {

constexpr int kStartColumn = 1;
constexpr int kStopColumn = 4;

bool blank(const std::string& cell) {
    return cell.find_first_not_of(' ') == std::string::npos;
}

}  // namespace

GridEditor::GridEditor(EditorControls controls, playback::BroadcastSession& session,
                       EditorServices services)
    : m_c(controls), m_session(session), m_services(std::move(services)) {
    m_c.grid.rowChosen.connect([this] { selectionStep(); });
    // A cell typed, or filled from the library list or the options dialog, is a change even
    // where no click came first.
    m_c.grid.cellWritten.connect([this](int, int) { setUnsaved(manual()); });
    m_c.save.bind([this] {
        if (save()) {
            savedByOperator.send();
        }
    });
    m_c.addRow.bind([this] { add(); });
    m_c.insertRow.bind([this] { insert(); });
    m_c.deleteRow.bind([this] { remove(); });
    m_c.moveUp.bind([this] { moveUp(); });
    m_c.moveDown.bind([this] { moveDown(); });
    remember();
}

store::DayPlan GridEditor::todaysPlan() const {
    const platform::LocalDateTime now = m_services.clock.now();
    if (m_services.planDay) {
        return m_services.planDay(now);
    }
    return store::planDay(platform::dateOf(now), store::weekRulesOf(m_services.config), {},
                          nullptr);
}

void GridEditor::load() {
    if (m_session.autoNaming) {
        m_session.dayPlan = todaysPlan();
        m_session.weekday = m_session.dayPlan.weekday;
        m_session.weekdayText = text::decimalText(m_session.weekday);
        m_session.tableFileName = m_session.dayPlan.tableFileName();
    }
    const store::TableLoadResult r = store::loadTableFile(
        m_c.grid.table(), m_services.programDirectory, m_session.tableFileName);
    if (!r.missingMessage.empty()) {
        m_c.hintLine.setColor(model::kRed);
        m_c.hintLine.setText(r.missingMessage);
    }
    m_truncatedFile.clear();
    const std::string rows = text::decimalText(store::kMaxLoadedRows);
    if (r.cutLines) {
        const std::string bytes = text::decimalText(store::kMaxTableLineBytes);
        m_truncatedFile = m_session.tableFileName;
        m_truncatedQuestion = "文件 " + m_session.tableFileName + " 中有超过" + bytes +
                              "字节的行，保存后超出的部分将被删除。\r\r确实要保存吗？";
        m_c.hintLine.setColor(model::kRed);
        m_c.hintLine.setText("  ☆ 表中有超过" + bytes + "字节的行，只载入了其前" + bytes +
                             "字节！");
        platform::recordFailure(
            m_services.failures,
            {"table partly read",
             m_session.tableFileName + ": lines longer than " + bytes + " bytes were cut"});
    }
    if (r.truncated) {
        m_truncatedFile = m_session.tableFileName;
        m_truncatedQuestion = "文件 " + m_session.tableFileName + " 超过" + rows + "行，保存后第" +
                              text::decimalText(store::kMaxLoadedRows + 1) +
                              "行起的数据将被删除。\r\r确实要保存吗？";
        m_c.hintLine.setColor(model::kRed);
        m_c.hintLine.setText("  ☆ 表中超过" + rows + "行，只载入了前" + rows + "行！");
        platform::recordFailure(
            m_services.failures,
            {"table partly read",
             m_session.tableFileName + ": only the first " + rows + " rows were read"});
    }
    if (r.outcome == store::TableLoadResult::Outcome::Failed) {
        // Not "not created yet": the operator would look for a file that is there.
        m_c.hintLine.setColor(model::kRed);
        m_c.hintLine.setText("  ☆ 作息时间表 " + m_session.tableFileName + " 无法读取！");
        platform::recordFailure(m_services.failures, {"table not read", r.error});
    }
    if (r.completed()) {
        m_session.clock.tableLoaded();
    }
    remember();
    m_c.grid.tableChanged();
    loaded.send();
    if (r.outcome == store::TableLoadResult::Outcome::Failed && !m_unattended) {
        // Last: the grid is in its new state while the box waits for the operator.
        m_services.host.messageBox(
            "作息时间表 " + m_session.tableFileName + " 无法读取！\r\r" + r.error, "错误",
            MessageIcon::Error, MessageButtons::Ok);
    }
}

void GridEditor::remember() {
    const ScheduleTable& t = m_c.grid.table();
    m_stored.assign(static_cast<std::size_t>(std::max(0, t.rowCount() - 1)), {});
    for (int r = 1; r < t.rowCount(); ++r) {
        auto& row = m_stored[static_cast<std::size_t>(r - 1)];
        for (int c = 0; c < t.columnCount(); ++c) {
            row.push_back(t.cell(c, r));
        }
    }
}

bool GridEditor::modified() const {
    const ScheduleTable& t = m_c.grid.table();
    if (static_cast<int>(m_stored.size()) != t.rowCount() - 1) {
        return true;
    }
    for (int r = 1; r < t.rowCount(); ++r) {
        const auto& row = m_stored[static_cast<std::size_t>(r - 1)];
        if (static_cast<int>(row.size()) != t.columnCount()) {
            return true;
        }
        for (int c = 0; c < t.columnCount(); ++c) {
            if (row[static_cast<std::size_t>(c)] != t.cell(c, r)) {
                return true;
            }
        }
    }
    return false;
}

bool GridEditor::offerToSave() {
    if (!modified()) {
        return true;
    }
    const MessageAnswer answer = m_services.host.messageBox(
        "要保存当前数据吗？", "确认", MessageIcon::Question, MessageButtons::YesNo);
    return answer != MessageAnswer::Yes || save();
}

void GridEditor::tidyTimeCells() {
    const ScheduleTable& t = m_c.grid.table();
    if (t.columnCount() != ScheduleTable::kScheduleColumns) {
        return;
    }
    for (int r = 1; r < t.rowCount(); ++r) {
        for (const int c : {kStartColumn, kStopColumn}) {
            const std::optional<std::string> tidy = text::tidyTimeCell(t.cell(c, r));
            if (tidy && *tidy != t.cell(c, r)) {
                m_c.grid.setCell(c, r, *tidy);
            }
        }
    }
}

bool GridEditor::refuseCell(int column, int row, const std::string& problem) {
    m_c.grid.select(column, row);
    m_c.grid.focusRequested.send();
    m_services.host.messageBox(problem, "错误信息", MessageIcon::Error, MessageButtons::Ok);
    return false;
}

bool GridEditor::checkCells() {
    // Times the clock can read are put in its form first, where the operator sees them.
    tidyTimeCells();
    if (const std::optional<CellProblem> problem = firstCellProblem(m_c.grid.table())) {
        return refuseCell(problem->column, problem->row, problem->message);
    }
    return true;
}

bool GridEditor::allEmpty() const {
    const ScheduleTable& t = m_c.grid.table();
    for (int r = 1; r < t.rowCount(); ++r) {
        for (int c = 0; c < t.columnCount(); ++c) {
            if (!blank(t.cell(c, r))) {
                return false;
            }
        }
    }
    return true;
}

bool GridEditor::save() {
    if (!checkCells()) {
        return false;
    }
    if (allEmpty()) {
        m_services.host.messageBox("请输入必要的数据然后保存！", "系统信息",
                                   MessageIcon::Information, MessageButtons::Ok);
        setUnsaved(false);
        return false;
    }
    if (!m_truncatedFile.empty() && m_truncatedFile == m_session.tableFileName) {
        // Yes drops data for good: Enter must not answer it.
        const MessageAnswer answer = m_services.host.messageBox(
            m_truncatedQuestion, "确认", MessageIcon::Question, MessageButtons::YesNoDefaultNo);
        if (answer != MessageAnswer::Yes) {
            return false;
        }
    }
    return writeTable();
}

bool GridEditor::saveAllowingEmpty() {
    if (!checkCells()) {
        return false;
    }
    if (allEmpty()) {
        m_c.grid.table().setRowCount(1);
    }
    return writeTable();
}

bool GridEditor::writeTable() {
    const store::WriteResult r =
        store::writeTableFile(m_c.grid.table(), m_services.programDirectory,
                              m_session.tableFileName, m_services.fileSync);
    m_c.grid.tableChanged();
    if (!r.ok) {
        // The old file is untouched and the changes stay unsaved.
        platform::recordFailure(m_services.failures, {"save failed", r.error});
        m_services.host.messageBox(
            "作息时间表 " + m_session.tableFileName + " 保存失败！\r\r" + r.error, "错误",
            MessageIcon::Error, MessageButtons::Ok);
        setUnsaved(true);
        return false;
    }
    if (m_truncatedFile == m_session.tableFileName) {
        m_truncatedFile.clear();
    }
    remember();
    setUnsaved(false);
    saved.send();
    return true;
}

void GridEditor::selectRow(int row) {
    m_c.grid.select(m_c.grid.col(), row);
}

void GridEditor::selectionStep() {
    m_session.playback.currentRow = m_c.grid.row();
    const auto volume =
        text::parseDecimal(m_c.grid.cell(store::ScheduleRow::kVolume, m_c.grid.row()));
    if (volume && *volume >= 1 && *volume <= 255 && m_followVolume) {
        m_followVolume(*volume);
    }
    if (manual()) {
        setMoveButtons();
    }
    setUnsaved(manual());
}

void GridEditor::setDelete(bool on) {
    m_c.deleteRowButton.setEnabled(on);
    m_c.deleteRowItem.setEnabled(on);
}

void GridEditor::setUp(bool on) {
    m_c.moveUpButton.setEnabled(on);
    m_c.moveUpItem.setEnabled(on);
}

void GridEditor::setDown(bool on) {
    m_c.moveDownButton.setEnabled(on);
    m_c.moveDownItem.setEnabled(on);
}

void GridEditor::setMoveButtons() {
    const int row = m_c.grid.row();
    const int last = m_c.grid.table().rowCount() - 1;
    setUp(row >= 2 && row <= last);
    setDown(row >= 1 && row < last);
}

bool GridEditor::roomForARow() {
    // A load reads no more rows than this: a row beyond them would be saved and then lost.
    if (m_c.grid.table().rowCount() - 1 < store::kMaxLoadedRows) {
        return true;
    }
    const std::string rows = text::decimalText(store::kMaxLoadedRows);
    m_services.host.messageBox("作息时间表最多只能有" + rows + "行，不能再添加或插入行！",
                               "系统信息", MessageIcon::Information, MessageButtons::Ok);
    return false;
}

void GridEditor::add() {
    if (!roomForARow()) {
        return;
    }
    ScheduleTable& t = m_c.grid.table();
    t.setRowCount(t.rowCount() + 1);
    const int row = t.rowCount() - 1;
    for (int c = 0; c < t.columnCount(); ++c) {
        t.setCell(c, row, std::string());
    }
    m_c.grid.tableChanged();
    selectRow(row);
    setDelete(true);
}

void GridEditor::insert() {
    if (!roomForARow()) {
        return;
    }
    ScheduleTable& t = m_c.grid.table();
    const int y = std::max(1, m_c.grid.row());
    t.setRowCount(t.rowCount() + 1);
    const int last = t.rowCount() - 1;
    selectRow(last);
    for (int r = last; r > y; --r) {
        for (int c = 0; c < t.columnCount(); ++c) {
            t.setCell(c, r, t.cell(c, r - 1));
        }
    }
    for (int c = 0; c < t.columnCount(); ++c) {
        t.setCell(c, y, std::string());
    }
    m_c.grid.tableChanged();
    // The selection step runs for row Y even if Y was selected before.
    m_c.grid.click(m_c.grid.col(), y);
    m_c.grid.focusRequested.send();
    setDelete(true);
    if (y != 1) {
        setUp(true);
    }
}

void GridEditor::remove() {
    ScheduleTable& t = m_c.grid.table();
    if (t.rowCount() - 1 <= 1) {
        setDelete(false);
        setUp(false);
        setDown(false);
        return;
    }
    const int selected = std::min(std::max(1, m_c.grid.row()), t.rowCount() - 1);
    for (int r = selected + 1; r < t.rowCount(); ++r) {
        for (int c = 0; c < t.columnCount(); ++c) {
            t.setCell(c, r - 1, t.cell(c, r));
        }
    }
    t.setRowCount(t.rowCount() - 1);
    const int last = t.rowCount() - 1;
    if (m_c.grid.row() > last) {
        selectRow(last);
    }
    m_c.grid.tableChanged();
    if (m_c.grid.row() == last) {
        setDown(false);
    }
    if (m_c.grid.row() == 1) {
        setUp(false);
    }
}

void GridEditor::swapRows(int a, int b) {
    ScheduleTable& t = m_c.grid.table();
    for (int c = 0; c < t.columnCount(); ++c) {
        std::string first = t.cell(c, a);
        t.setCell(c, a, t.cell(c, b));
        t.setCell(c, b, std::move(first));
    }
    m_c.grid.tableChanged();
}

void GridEditor::moveUp() {
    const int row = m_c.grid.row();
    if (row < 2 || row > m_c.grid.table().rowCount() - 1) {
        return;
    }
    swapRows(row, row - 1);
    selectRow(row - 1);
    setMoveButtons();
}

void GridEditor::moveDown() {
    const int row = m_c.grid.row();
    if (row < 1 || row >= m_c.grid.table().rowCount() - 1) {
        return;
    }
    swapRows(row, row + 1);
    selectRow(row + 1);
    setMoveButtons();
}

}  // namespace orvessa::editing

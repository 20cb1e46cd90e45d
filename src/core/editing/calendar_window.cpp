#include "core/editing/calendar_window.h"

#include <algorithm>

#include "core/store/file_io.h"
#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::editing {
namespace {

using namespace std::chrono;
using platform::MessageButtons;
using platform::MessageIcon;
using store::CalendarEntry;

constexpr const char* kCaption = "校历";

std::string weekdayText(year_month_day date) {
    return "星期" +
           text::weekdayCharacter(static_cast<int>(weekday{sys_days{date}}.iso_encoding()));
}

// The choice that shows a plan: 0..12 to its item, none to "按常规".
int choiceOf(std::optional<int> plan) {
    return plan ? *plan + CalendarWindow::kStop : CalendarWindow::kRegular;
}

std::string planText(int plan) {
    return plan == store::kCalendarStop ? std::string("停播") : store::tableName(plan);
}

// "2027-02-06 至 02-12" within a year, the full dates across years.
std::string rangeText(year_month_day first, year_month_day last) {
    if (first == last) {
        return store::dateText(first);
    }
    const std::string to = store::dateText(last);
    return store::dateText(first) + " 至 " + (first.year() == last.year() ? to.substr(5) : to);
}

// An entry as the list shows it: "2027-02-06 至 02-12  停播  春节".
std::string entryText(const CalendarEntry& e) {
    std::string line = rangeText(e.first, e.last) + "  " + planText(e.plan);
    if (!e.remark.empty()) {
        line += "  " + store::shownRemark(e.remark);
    }
    return line;
}

// Up to `most` lines of the entries of `of` that `in` does not hold.
std::string missingFrom(const std::vector<CalendarEntry>& of, const std::vector<CalendarEntry>& in,
                        std::size_t most) {
    std::string out;
    std::size_t count = 0;
    for (const CalendarEntry& e : of) {
        if (std::find(in.begin(), in.end(), e) == in.end() && ++count <= most) {
            out += "  " + entryText(e) + "\r";
        }
    }
    if (count > most) {
        out += "  ……共 " + std::to_string(count) + " 条\r";
    }
    return out;
}

// One line of the remark field as the file can hold it.
std::string storedRemark(const std::string& typed) {
    std::string line = typed;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text::normaliseGbk(text::trimText(line));
}

}  // namespace

std::vector<CalendarEntry> replaceDates(std::vector<CalendarEntry> entries, year_month_day first,
                                        year_month_day last,
                                        const std::optional<CalendarEntry>& replacement) {
    std::vector<CalendarEntry> kept;
    kept.reserve(entries.size() + 2);
    for (CalendarEntry& e : entries) {
        if (e.last < first || last < e.first) {
            kept.push_back(std::move(e));
            continue;
        }
        if (e.first < first) {
            CalendarEntry before = e;
            before.last = sys_days{first} - days{1};
            kept.push_back(std::move(before));
        }
        if (last < e.last) {
            CalendarEntry after = std::move(e);
            after.first = sys_days{last} + days{1};
            kept.push_back(std::move(after));
        }
    }
    if (replacement) {
        kept.push_back(*replacement);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const CalendarEntry& a, const CalendarEntry& b) {
        return a.first < b.first;
    });
    return kept;
}

CalendarWindow::CalendarWindow(CalendarServices services)
    : Window("CalendarWindow", "校历"), m_s(std::move(services)) {
    planChoice.setColumns(1);
    planChoice.setItemIndex(kRegular);
    previousYear.setHandler([this] { showYear(m_year - 1); });
    nextYear.setHandler([this] { showYear(m_year + 1); });
    thisYear.setHandler([this] { showYear(static_cast<int>(today().year())); });
    applyChoice.setHandler([this] { apply(); });
    clearPastYears.setHandler([this] { clearPast(); });
    importCalendar.setHandler([this] { importFile(); });
    importCalendar.setVisible(m_s.reader != nullptr);
    okButton.setHandler([this] { accept(); });
    cancelButton.setHandler([this] { endModal(model::ModalResult::Closed); });
    problemList.doubleClicked.connect([this] {
        // The conflicts follow the lines that were skipped.
        const int index = problemList.itemIndex();
        const auto first = problemList.items().size() - m_conflicts.size();
        if (index >= 0 && static_cast<std::size_t>(index) >= first) {
            selectConflict(static_cast<std::size_t>(index) - first);
        }
    });
    entryList.doubleClicked.connect([this] {
        const int index = entryList.itemIndex();
        if (index < 0 || static_cast<std::size_t>(index) >= m_edit.entries.size()) {
            return;
        }
        const CalendarEntry e = m_edit.entries[static_cast<std::size_t>(index)];
        showYear(static_cast<int>(e.first.year()));
        selectDate(e.first);
        extendSelection(e.last);
    });
}

std::vector<model::Command*> CalendarWindow::allCommands() {
    return {&previousYear,   &nextYear,       &thisYear, &applyChoice,
            &clearPastYears, &importCalendar, &okButton, &cancelButton};
}

year_month_day CalendarWindow::today() const {
    return platform::dateOf(m_s.clock.now());
}

void CalendarWindow::takeStoredCalendar() {
    // The lines that could not be read go along, so that a save keeps them for mending.
    m_edit = m_s.planner.calendar();
    // Listed by date, as every edit leaves them.
    std::stable_sort(
        m_edit.entries.begin(), m_edit.entries.end(),
        [](const CalendarEntry& a, const CalendarEntry& b) { return a.first < b.first; });
    m_edited = false;
    m_base = m_edit.entries;
    m_baseVersion = store::calendarVersion(m_s.programDirectory);
}

void CalendarWindow::calendarReplaced() {
    if (m_edited) {
        return;
    }
    takeStoredCalendar();
    refreshProblems();
    refreshEntryList();
    refreshDays();
    refreshSelection();
}

void CalendarWindow::open() {
    // calendar.txt may have been written by hand since it was last read: the window edits the
    // file as it stands, not an older copy.
    m_s.planner.reload();
    takeStoredCalendar();
    m_today = today();
    m_anchor = m_end = m_today;
    m_year = static_cast<int>(m_today.year());
    refreshProblems();
    refreshEntryList();
    refreshDays();
    refreshSelection();
    m_s.host.showModal(*this);
}

void CalendarWindow::showYear(int year) {
    if (year < 1900 || year > 9999 || year == m_year) {
        return;
    }
    m_year = year;
    refreshDays();
}

void CalendarWindow::selectDate(year_month_day date) {
    if (!date.ok()) {
        return;
    }
    m_anchor = m_end = date;
    refreshSelection();
}

void CalendarWindow::extendSelection(year_month_day date) {
    if (!date.ok()) {
        return;
    }
    m_end = date;
    refreshSelection();
}

year_month_day CalendarWindow::selectionFirst() const {
    return std::min(m_anchor, m_end);
}

year_month_day CalendarWindow::selectionLast() const {
    return std::max(m_anchor, m_end);
}

store::DayPlan CalendarWindow::planOf(year_month_day date) const {
    if (date.year() == year{m_year} && !m_plans.empty()) {
        const auto index = (sys_days{date} - sys_days{year{m_year} / January / 1}).count();
        return m_plans[static_cast<std::size_t>(index)];
    }
    return m_s.planner.planFor(date, m_edit);
}

std::array<std::optional<CalendarDay>, 42> CalendarWindow::monthDays(int month) const {
    std::array<std::optional<CalendarDay>, 42> cells;
    if (month < 1 || month > 12) {
        return cells;
    }
    const year_month_day first = year{m_year} / static_cast<unsigned>(month) / 1;
    const unsigned offset = weekday{sys_days{first}}.iso_encoding() - 1;
    const unsigned length =
        static_cast<unsigned>((year{m_year} / static_cast<unsigned>(month) / last).day());
    const year_month_day from = selectionFirst();
    const year_month_day to = selectionLast();
    for (unsigned d = 1; d <= length; ++d) {
        const year_month_day date = year{m_year} / static_cast<unsigned>(month) / d;
        const store::DayPlan plan = planOf(date);
        cells[offset + d - 1] = CalendarDay{date,
                                            plan.stop,
                                            plan.table,
                                            plan.byCalendar(),
                                            date == m_today,
                                            from <= date && date <= to};
    }
    return cells;
}

std::string CalendarWindow::stopMark(store::StopReason stop) {
    switch (stop) {
        case store::StopReason::WeekdayFlag:
            return "周";
        case store::StopReason::HolidayList:
            return "假";
        case store::StopReason::Calendar:
            return "校";
        case store::StopReason::None:
            break;
    }
    return {};
}

std::string CalendarWindow::describe(year_month_day date) const {
    return store::dateText(date) + " " + weekdayText(date) + "：" +
           store::planDescription(planOf(date));
}

void CalendarWindow::refreshSelection() {
    const year_month_day first = selectionFirst();
    const year_month_day last = selectionLast();
    const long count = (sys_days{last} - sys_days{first}).count() + 1;
    if (count == 1) {
        selectionLine.setText("选定：" + describe(first));
    } else {
        selectionLine.setText("选定：" + rangeText(first, last) + "，共 " + std::to_string(count) +
                              " 天");
    }
    // The choice shows what the dates have when one entry holds them all, so that its remark
    // can be changed; otherwise the dates are as the weekly rules make them.
    const CalendarEntry* shared = m_edit.entryFor(first);
    if (shared != nullptr && !shared->covers(last)) {
        shared = nullptr;
    }
    for (year_month_day d = first; shared != nullptr && d <= last; d = sys_days{d} + days{1}) {
        if (m_edit.entryFor(d) != shared) {
            shared = nullptr;
        }
    }
    planChoice.setItemIndex(choiceOf(shared ? std::optional<int>(shared->plan) : std::nullopt));
    remarkField.setText(shared ? shared->remark : std::string());
    daysChanged.send();
}

void CalendarWindow::refreshDays() {
    yearLine.setText(std::to_string(m_year) + "年");
    m_plans.clear();
    const sys_days from{year{m_year} / January / 1};
    const sys_days to{year{m_year} / December / 31};
    m_plans.reserve(366);
    for (sys_days d = from; d <= to; d += days{1}) {
        m_plans.push_back(m_s.planner.planFor(year_month_day{d}, m_edit));
    }
    daysChanged.send();
}

void CalendarWindow::refreshEntryList() {
    std::vector<std::string> lines;
    lines.reserve(m_edit.entries.size());
    for (const CalendarEntry& e : m_edit.entries) {
        lines.push_back(entryText(e));
    }
    entryList.setItems(std::move(lines));
}

void CalendarWindow::refreshProblems() {
    std::vector<std::string> lines;
    const std::string& readError = m_s.planner.readError();
    if (!readError.empty()) {
        lines.push_back("无法读取：" + readError);
    }
    for (const store::CalendarProblem& p : m_s.planner.calendar().problems) {
        lines.push_back("第" + std::to_string(p.line) + "行：" + store::faultText(p.fault) + "  “" +
                        p.text + "”");
    }
    const bool skipped = !lines.empty();
    m_conflicts = store::calendarConflicts(m_edit.entries);
    for (const store::CalendarConflict& c : m_conflicts) {
        lines.push_back(conflictText(c));
    }
    if (skipped && !m_conflicts.empty()) {
        problemTitle.setText(std::string(store::kCalendarFileName) +
                             " 中有无法使用的行（已跳过，存盘时原样保留在文件末尾）和安排冲突的"
                             "日期，请改正：");
    } else if (skipped) {
        problemTitle.setText(std::string(store::kCalendarFileName) +
                             " 中以下内容无法使用，已跳过（存盘时原样保留在文件末尾，请改正）：");
    } else {
        problemTitle.setText(m_conflicts.empty()
                                 ? std::string()
                                 : "以下日期有两条不同的安排，请双击选定后重新安排：");
    }
    problemTitle.setVisible(!lines.empty());
    problemList.setVisible(!lines.empty());
    problemList.setItems(std::move(lines));
}

std::string CalendarWindow::conflictText(const store::CalendarConflict& c) {
    const auto entryText = [](const CalendarEntry& e) {
        return planText(e.plan) + (e.remark.empty() ? "" : " " + store::shownRemark(e.remark));
    };
    return rangeText(c.first, c.last) + "：有两条不同的安排（“" + entryText(c.loser) + "”和“" +
           entryText(c.winner) + "”），现按“" + planText(c.winner.plan) + "”";
}

void CalendarWindow::selectConflict(std::size_t index) {
    if (index >= m_conflicts.size()) {
        return;
    }
    const store::CalendarConflict c = m_conflicts[index];
    showYear(static_cast<int>(c.first.year()));
    selectDate(c.first);
    extendSelection(c.last);
}

void CalendarWindow::setEntries(std::vector<CalendarEntry> entries) {
    m_edit.entries = std::move(entries);
    m_edited = true;
    refreshProblems();
    refreshEntryList();
    refreshDays();
    refreshSelection();
}

void CalendarWindow::apply() {
    const int choice = planChoice.itemIndex();
    // The file could only keep "?" in place of such a character: the operator chooses another.
    if (!text::gbkCanHold(remarkField.text())) {
        m_s.host.messageBox(store::kRemarkOutsideGbk, kCaption, MessageIcon::Warning,
                            MessageButtons::Ok);
        return;
    }
    std::optional<CalendarEntry> entry;
    if (choice > kRegular && choice < static_cast<int>(std::size(kChoices))) {
        entry = CalendarEntry{selectionFirst(), selectionLast(), choice - kStop,
                              storedRemark(remarkField.text())};
    }
    setEntries(replaceDates(m_edit.entries, selectionFirst(), selectionLast(), entry));
}

void CalendarWindow::clearPast() {
    const year_month_day newYear = today().year() / January / 1;
    const auto past = std::count_if(m_edit.entries.begin(), m_edit.entries.end(),
                                    [&](const CalendarEntry& e) { return e.last < newYear; });
    const std::string before = std::to_string(static_cast<int>(newYear.year())) + "年以前";
    if (past == 0) {
        m_s.host.messageBox("没有" + before + "的校历条目。", kCaption, MessageIcon::Information,
                            MessageButtons::Ok);
        return;
    }
    if (m_s.host.messageBox("清除" + before + "的 " + std::to_string(past) + " 条校历条目吗？",
                            kCaption, MessageIcon::Question,
                            MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }
    std::vector<CalendarEntry> kept;
    std::copy_if(m_edit.entries.begin(), m_edit.entries.end(), std::back_inserter(kept),
                 [&](const CalendarEntry& e) { return !(e.last < newYear); });
    setEntries(std::move(kept));
}

void CalendarWindow::importFile() {
    if (m_s.reader == nullptr) {
        return;
    }
    const std::string directory =
        m_importDirectory.empty() ? text::utf8Path(m_s.programDirectory) : m_importDirectory;
    const std::optional<std::string> chosen = m_s.host.openFileDialog("*.ics", directory);
    if (!chosen) {
        return;
    }
    const std::filesystem::path path = text::fsPath(*chosen);
    m_importDirectory = text::utf8Path(path.parent_path());
    const std::string name = text::utf8Path(path.filename());
    // Read and planned off the interface thread, which shows how far it is and can stop it: a
    // calendar of twenty thousand events takes a while. Only the plan comes back; the file's
    // bytes and the events it held are let go on the way.
    std::string error;
    std::size_t eventCount = 0;
    ImportPlan plan;
    platform::CalendarReader& reader = *m_s.reader;
    const std::vector<CalendarEntry> existing = m_edit.entries;
    const bool finished = m_s.host.runWithProgress(
        "正在读取日历文件 " + name + "……", kCaption, [&](platform::WorkProgress& progress) {
            const store::ReadResult file =
                store::readWholeFile(path, platform::CalendarReader::kMaxBytes);
            if (file.status != store::ReadStatus::Ok) {
                error = file.status == store::ReadStatus::Missing ? "文件不存在" : file.error;
                return;
            }
            progress.total = file.bytes.size();
            const platform::CalendarEvents events =
                reader.read(file.bytes, [&](std::size_t done, std::size_t) {
                    progress.done = done;
                    return !progress.cancelled;
                });
            if (events.cancelled || progress.cancelled) {
                return;
            }
            error = events.error;
            if (error.empty()) {
                eventCount = events.events.size() + events.unplaced.size();
                plan = CalendarImportDialog::planFor(events, existing);
            }
        });
    if (!finished) {
        return;
    }
    if (!error.empty()) {
        m_s.host.messageBox("无法导入日历文件 " + name + "：\r" + error + "\r\r校历没有改变。",
                            kCaption, MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    m_importDialog.prepare(name, eventCount, std::move(plan), m_edit.entries);
    const model::ModalResult result = m_s.host.showModal(m_importDialog);
    const std::vector<CalendarEntry> adds = result == model::ModalResult::Accepted
                                                ? m_importDialog.entriesToAdd()
                                                : std::vector<CalendarEntry>{};
    m_importDialog.clear();
    if (adds.empty()) {
        return;
    }
    // In one pass: thousands of adds replaced one at a time would sort the list thousands of times.
    setEntries(withImported(m_edit.entries, adds));
    showYear(static_cast<int>(adds.front().first.year()));
}

void CalendarWindow::accept() {
    if (m_edited && !m_conflicts.empty()) {
        // Which of two plans a date was meant to have is the operator's to say; the window
        // stays open with every edit, and a double click in the list selects the dates.
        std::string dates;
        for (std::size_t i = 0; i < m_conflicts.size() && i < kConflictsNamed; ++i) {
            dates += conflictText(m_conflicts[i]) + "\r";
        }
        if (m_conflicts.size() > kConflictsNamed) {
            dates += "……共 " + std::to_string(m_conflicts.size()) + " 处\r";
        }
        m_s.host.messageBox("以下日期有两条不同的安排，校历未存盘，修改仍保留在窗口中：\r" + dates +
                                "\r请双击列表中的日期，选好安排后按“应用”，再按“确定”。",
                            kCaption, MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    if (m_edited && store::calendarVersion(m_s.programDirectory) != m_baseVersion) {
        changedOnDisk();
        return;
    }
    if (m_edited) {
        const store::WriteResult written = store::writeCalendarFile(
            m_s.programDirectory, m_edit.entries, m_edit.problems, m_s.fileSync);
        if (!written) {
            m_s.host.messageBox("校历未能存盘，修改仍保留在窗口中：\r" + written.error, kCaption,
                                MessageIcon::Error, MessageButtons::Ok);
            return;
        }
        // As the file now holds it, so that its lines are numbered as they are written.
        m_s.planner.replace(
            store::parseCalendar(store::formatCalendar(m_edit.entries, m_edit.problems)));
        m_edited = false;
    }
    endModal(model::ModalResult::Accepted);
}

void CalendarWindow::changedOnDisk() {
    const store::CalendarRead now = store::readCalendarFile(m_s.programDirectory);
    if (!now.error.empty()) {
        m_s.host.messageBox(
            "校历文件在窗口打开之后已被改动，现在无法读取，校历未存盘，修改仍保留在"
            "窗口中：\r" +
                now.error,
            kCaption, MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    constexpr std::size_t kNamed = 5;
    std::string changes = missingFrom(now.calendar.entries, m_base, kNamed);
    if (!changes.empty()) {
        changes = "磁盘上新增或改动的条目：\r" + changes;
    }
    if (const std::string gone = missingFrom(m_base, now.calendar.entries, kNamed); !gone.empty()) {
        changes += "磁盘上已删除或改动的条目：\r" + gone;
    }
    if (changes.empty()) {
        changes = "条目未变，文件中的其他行有改动。\r";
    }
    // Whoever wrote the file meant it: it is never overwritten with an older copy. The
    // operator either starts again from the file or keeps the edits to copy them by hand.
    if (m_s.host.messageBox("校历文件 " + std::string(store::kCalendarFileName) +
                                " 在窗口打开之后已被改动（手工编辑或网页控制台），校历未存盘。\r" +
                                changes +
                                "\r选“是”放弃窗口中的修改，载入磁盘上的校历后重新修改；"
                                "\r选“否”回到窗口，修改仍保留。",
                            kCaption, MessageIcon::Warning,
                            MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }
    m_s.planner.reload();
    takeStoredCalendar();
    refreshProblems();
    refreshEntryList();
    refreshDays();
    refreshSelection();
}

}  // namespace orvessa::editing

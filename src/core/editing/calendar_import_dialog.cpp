#include "core/editing/calendar_import_dialog.h"

#include <algorithm>

#include "core/text/date_text.h"

namespace orvessa::editing {
namespace {

using namespace std::chrono;

std::string weekdayText(year_month_day date) {
    const weekday w{sys_days{date}};
    return "星期" + text::weekdayCharacter(static_cast<int>(w.iso_encoding()));
}

}  // namespace

CalendarImportDialog::CalendarImportDialog() : Window("CalendarImportDialog", "导入校历") {
    okButton.setHandler([this] { endModal(model::ModalResult::Accepted); });
    cancelButton.setHandler([this] { endModal(model::ModalResult::Closed); });
}

ImportPlan CalendarImportDialog::planFor(const platform::CalendarEvents& events,
                                         const std::vector<store::CalendarEntry>& existing) {
    ImportPlan plan = planImport(events, existing);
    // A make-up day the calendar already plays keeps its table unless the operator says
    // otherwise: an import of the same holidays must not turn a chosen Friday into a Monday.
    const store::SchoolCalendar calendar{existing, {}};
    for (ImportItem& item : plan.items) {
        const store::CalendarEntry* there = calendar.entryFor(item.event.first);
        if (item.kind == ImportKind::WorkingDay && there != nullptr &&
            there->plan != store::kCalendarStop && item.event.first == item.event.last) {
            item.table = there->plan;
        }
    }
    return plan;
}

void CalendarImportDialog::prepare(const std::string& fileName,
                                   const platform::CalendarEvents& events,
                                   std::vector<store::CalendarEntry> existing) {
    ImportPlan plan = planFor(events, existing);
    prepare(fileName, events.events.size() + events.unplaced.size(), std::move(plan),
            std::move(existing));
}

void CalendarImportDialog::prepare(const std::string& fileName, std::size_t eventCount,
                                   ImportPlan plan, std::vector<store::CalendarEntry> existing) {
    m_existing = std::move(existing);
    m_plan = std::move(plan);
    fileLine.setText("文件：" + fileName + "    共 " + std::to_string(eventCount) + " 个事件");
    std::size_t stops = 0;
    std::size_t workdays = 0;
    for (const ImportItem& item : m_plan.items) {
        stops += item.decided == ImportKind::DayOff ? 1 : 0;
        workdays += item.decided == ImportKind::WorkingDay ? 1 : 0;
    }
    const std::size_t undecided = m_plan.items.size() - stops - workdays;
    std::string decision = "按事件的标题和说明判断了 " + std::to_string(stops + workdays) +
                           " 个事件：停播 " + std::to_string(stops) + " 个，调休上课 " +
                           std::to_string(workdays) + " 个";
    decision += undecided > 0
                    ? "；" + std::to_string(undecided) + " 个无法判断，请在“导入为”中选择。"
                    : "。理由见“说明”一栏。";
    decisionLine.setText(decision);
    std::vector<std::string> lines;
    lines.reserve(m_plan.unplaced.size());
    for (const platform::UnplacedEvent& u : m_plan.unplaced) {
        lines.push_back((u.summary.empty() ? std::string("（无标题）") : u.summary) + "：" + u.why);
    }
    unplacedTitle.setText(lines.empty()
                              ? std::string()
                              : "以下 " + std::to_string(lines.size()) + " 个事件无法导入：");
    unplacedTitle.setVisible(!lines.empty());
    unplacedList.setVisible(!lines.empty());
    unplacedList.setItems(std::move(lines));
    refreshSummary();
    itemsChanged.send();
}

void CalendarImportDialog::clear() {
    ImportPlan none;
    m_plan.items.swap(none.items);
    m_plan.unplaced.swap(none.unplaced);
    std::vector<bool>().swap(m_there);
    std::vector<store::CalendarEntry>().swap(m_existing);
    unplacedList.setItems({});
    itemsChanged.send();
}

std::string CalendarImportDialog::datesOf(std::size_t item) const {
    const platform::CalendarEvent& e = m_plan.items.at(item).event;
    if (e.first == e.last) {
        return store::dateText(e.first) + " " + weekdayText(e.first);
    }
    return store::dateText(e.first) + " 至 " + store::dateText(e.last);
}

int CalendarImportDialog::kindIndex(std::size_t item) const {
    switch (m_plan.items.at(item).kind) {
        case ImportKind::DayOff:
            return 1;
        case ImportKind::WorkingDay:
            return 2;
        case ImportKind::Unknown:
            break;
    }
    return 0;
}

void CalendarImportDialog::setKind(std::size_t item, int kindIndex) {
    static constexpr ImportKind kOf[] = {ImportKind::Unknown, ImportKind::DayOff,
                                         ImportKind::WorkingDay};
    if (item >= m_plan.items.size() || kindIndex < 0 || kindIndex > 2) {
        return;
    }
    m_plan.items[item].kind = kOf[kindIndex];
    refreshSummary();
    itemsChanged.send();
}

void CalendarImportDialog::setTable(std::size_t item, int table) {
    if (item >= m_plan.items.size() || table < 1 || table > store::kCalendarLastPlan) {
        return;
    }
    m_plan.items[item].table = table;
    refreshSummary();
    itemsChanged.send();
}

std::string CalendarImportDialog::noteOf(std::size_t item) const {
    const ImportItem& it = m_plan.items.at(item);
    if (it.kind == ImportKind::Unknown) {
        return "无法判断是放假还是上班，请选择";
    }
    // The item alone against the calendar: an earlier item of the file is no reason here.
    if (item < m_there.size() && m_there[item]) {
        return "已在校历中";
    }
    return it.kind == it.decided ? it.reason : std::string();
}

bool CalendarImportDialog::noteWants(std::size_t item) const {
    return m_plan.items.at(item).kind == ImportKind::Unknown;
}

std::vector<store::CalendarEntry> CalendarImportDialog::entriesToAdd() const {
    return editing::entriesToAdd(m_plan, m_existing);
}

void CalendarImportDialog::refreshSummary() {
    m_there = alreadyThere(m_plan, m_existing);
    const std::vector<store::CalendarEntry> adds = entriesToAdd();
    const auto stops = std::count_if(adds.begin(), adds.end(), [](const store::CalendarEntry& e) {
        return e.plan == store::kCalendarStop;
    });
    const auto unknown =
        std::count_if(m_plan.items.begin(), m_plan.items.end(),
                      [](const ImportItem& i) { return i.kind == ImportKind::Unknown; });
    std::string line =
        adds.empty() ? std::string("没有要添加的条目")
                     : "将添加 " + std::to_string(adds.size()) + " 条：停播 " +
                           std::to_string(stops) + " 条，调休上课 " +
                           std::to_string(adds.size() - static_cast<std::size_t>(stops)) + " 天";
    if (unknown > 0) {
        line += "；" + std::to_string(unknown) + " 个事件未定，不导入";
    }
    summaryLine.setText(line + "。按“确定”后在校历窗口中按“确定”才存盘。");
}

}  // namespace orvessa::editing

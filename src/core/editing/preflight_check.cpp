#include "core/editing/preflight_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <numeric>

#include "core/text/date_text.h"
#include "core/text/time_text.h"

namespace orvessa::editing {
namespace {

using namespace std::chrono;

std::string dateText(year_month_day date) {
    const int y = static_cast<int>(date.year());
    const int m = static_cast<int>(unsigned(date.month()));
    const int d = static_cast<int>(unsigned(date.day()));
    return text::formatDate(y, m, d);
}

std::string dayText(year_month_day date) {
    const int y = static_cast<int>(date.year());
    const int m = static_cast<int>(unsigned(date.month()));
    const int d = static_cast<int>(unsigned(date.day()));
    return text::formatDate(y, m, d) + " 星期" + text::weekdayCharacter(text::weekdayOf(y, m, d));
}

// "（春节）" for a calendar entry with a remark; empty otherwise.
std::string remarkText(const store::DayPlan& plan) {
    return plan.entry && !plan.entry->remark.empty()
               ? "（" + store::shownRemark(plan.entry->remark) + "）"
               : "";
}

std::string planName(int plan) {
    return plan == store::kCalendarStop ? std::string("停播") : store::tableName(plan) + "作息表";
}

}  // namespace

std::vector<std::string> calendarDoubtLines(const store::CalendarDoubts& doubts) {
    std::vector<std::string> lines;
    if (!doubts.readError.empty()) {
        lines.push_back("校历文件无法读取，该日只按每周规则安排：" + doubts.readError);
    }
    for (const store::CalendarProblem& p : doubts.skipped) {
        lines.push_back("校历第" + std::to_string(p.line) + "行已跳过（" +
                        store::faultText(p.fault) + "），该日可能本应按它安排：“" + p.text + "”");
    }
    for (const store::CalendarConflict& c : doubts.overruled) {
        const std::string winner = "第" + std::to_string(c.winner.line) + "行";
        lines.push_back("校历第" + std::to_string(c.loser.line) + "行（" + planName(c.loser.plan) +
                        "）与" + winner + "（" + planName(c.winner.plan) + "）安排不同，该日按" +
                        winner + (c.winner.plan == store::kCalendarStop ? "停播" : "播出"));
    }
    return lines;
}

namespace {

std::string clockText(int second) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", second / 3600 % 100, second / 60 % 60,
                  second % 60);
    return buffer;
}

std::string rowText(int row) {
    return "第" + std::to_string(row) + "行";
}

std::string problemCount(std::size_t count) {
    return count == 0 ? std::string("没有发现问题") : "发现 " + std::to_string(count) + " 个问题";
}

}  // namespace

std::string problemReasonText(const DayProblem& p) {
    const std::string by = p.byRow > 0 ? " (" + rowText(p.byRow) + ")" : std::string();
    if (p.reason == "missing") {
        return "文件不存在：" + p.path;
    }
    if (p.reason == "late") {
        return "开始时间已过，未能播出";
    }
    if (p.reason == "still-playing") {
        // A page or a long file can hold the clock over several rows.
        return (p.byRow == 0 || p.byRow == p.row - 1 ? "上一行仍在播放" : "前面的行仍在播放") + by;
    }
    if (p.reason == "stop-before-start") {
        return "结束时间早于开始时间";
    }
    if (p.reason == "after-unplayed-timed") {
        return "前面的定时行未播出" + by;
    }
    if (p.reason == "empty") {
        return "没有指定播放内容";
    }
    if (p.reason == "bad-time") {
        return p.byRow > 0 ? "前面的行时间有误" + by : "时间无法到达 (应为 时:分:秒，如 08:00:00)";
    }
    if (p.reason == "shutdown") {
        return "已到关机时间，未能播出";
    }
    if (p.reason == "emergency") {
        return "紧急广播期间，未播出";
    }
    if (p.reason == "skipped-hour") {
        return "夏令时开始，时钟跳过这一小时，未能播出";
    }
    if (p.reason == "repeated-hour") {
        return "夏令时结束，这一小时出现两次，只在第一次播出";
    }
    if (p.reason == "no-table") {
        return "作息时间表不存在，该日不播出任何内容：" + p.path;
    }
    return p.reason + by;
}

PreflightCheck::PreflightCheck(PreflightServices services)
    : Window("PreflightCheck", "预演检查"), m_s(std::move(services)) {
    clockLine.setVisible(false);
    wakeLine.setVisible(false);
    closeButton.setHandler([this] { endModal(model::ModalResult::Closed); });
    problemList.doubleClicked.connect([this] {
        const int index = problemList.itemIndex();
        if (index >= 0 && static_cast<std::size_t>(index) < m_problemRows.size()) {
            showRow(m_problemRows[static_cast<std::size_t>(index)]);
        }
    });
}

year_month_day PreflightCheck::today() const {
    const platform::LocalDateTime now = m_s.clock.now();
    return year{now.year} / now.month / now.day;
}

year_month_day PreflightCheck::tomorrow() const {
    return sys_days{today()} + days{1};
}

void PreflightCheck::open() {
    // A date picked on an earlier day, and passed since, is of no more use.
    if (m_date && sys_days{*m_date} < sys_days{today()}) {
        m_date.reset();
    }
    runCheck();
    m_s.host.showModal(*this);
}

void PreflightCheck::showClockWarning(const std::string& warning) {
    clockLine.setText(text::trimText(warning));
    clockLine.setVisible(!clockLine.text().empty());
}

void PreflightCheck::showWake(const std::string& line, bool warning) {
    wakeLine.setColor(warning ? model::kRed : model::kBlack);
    wakeLine.setText(line);
    wakeLine.setVisible(!line.empty());
}

void PreflightCheck::dateChanged(year_month_day date) {
    if (!date.ok() || date == this->date()) {
        return;
    }
    m_date = date;
    runCheck();
}

void PreflightCheck::showRow(int row) {
    if (row < 1 || row >= m_s.grid.table().rowCount()) {
        return;
    }
    m_s.selectRow(row);
    endModal(model::ModalResult::Accepted);
}

void PreflightCheck::runCheck() {
    const year_month_day day = date();
    dateField.setText(dateText(day));
    m_result = m_s.checker.check(day, &m_s.grid.table());

    std::vector<std::string> lines;
    m_problemRows.clear();
    const std::size_t doubts = m_result.calendar.count();
    const std::string calendarSummary =
        doubts == 0 ? std::string() : "  校历：" + problemCount(doubts);
    if (m_result.error.empty()) {
        // They name no row: a double click on one selects nothing.
        lines = calendarDoubtLines(m_result.calendar);
        m_problemRows.assign(lines.size(), 0);
    }
    if (!m_result.error.empty()) {
        summaryLine.setColor(model::kRed);
        summaryLine.setText(dayText(day) + "：无法预演");
        lines.push_back("无法预演：" + m_result.error);
        m_result.bars.clear();
    } else if (m_result.stopDay) {
        summaryLine.setColor(doubts == 0 ? model::kGreen : model::kRed);
        if (m_result.plan.byCalendar()) {
            summaryLine.setText(dayText(day) + "：校历停播日" + remarkText(m_result.plan) +
                                calendarSummary);
            lines.push_back("该日按校历停播，不播出任何内容。");
        } else {
            summaryLine.setText(dayText(day) + "：停播日" + calendarSummary);
            lines.push_back("该日停播，不播出任何内容。");
        }
    } else {
        std::string summary = dayText(day);
        if (m_result.plan.byCalendar()) {
            summary += "：校历 → " + m_result.tableFileName + remarkText(m_result.plan);
        }
        summary +=
            "  预演表格中的 " + m_s.tableFileName + "：" + problemCount(m_result.problems.size());
        // The grid's rows stand in for the date's own table, which may be another one.
        // (The calendar's day has named it already.)
        if (m_result.tableFileName != m_s.tableFileName && !m_result.plan.byCalendar()) {
            summary += "  (该日本应播出 " + m_result.tableFileName + ")";
        }
        summaryLine.setColor(m_result.problems.empty() && doubts == 0 ? model::kGreen
                                                                      : model::kRed);
        summaryLine.setText(summary + calendarSummary);
        for (const DayProblem& p : m_result.problems) {
            lines.push_back(problemLine(p));
            m_problemRows.push_back(p.row);
        }
        if (m_result.problems.empty()) {
            lines.push_back(doubts == 0 ? "没有发现问题，该日所有行都能按时播出。"
                                        : "该日所有行都能按时播出。");
        }
    }
    problemList.setItems(std::move(lines));

    // Lanes: each bar goes into the first lane free by its start, in the order of the day.
    std::vector<std::size_t> order(m_result.bars.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return m_result.bars[a].startSecond < m_result.bars[b].startSecond;
    });
    m_lanes.assign(m_result.bars.size(), 0);
    std::vector<int> laneEnds;
    for (const std::size_t i : order) {
        const DayBar& bar = m_result.bars[i];
        const int end = std::max(bar.endSecond, bar.startSecond + 1);
        const auto free = std::find_if(laneEnds.begin(), laneEnds.end(),
                                       [&bar](int laneEnd) { return laneEnd <= bar.startSecond; });
        if (free == laneEnds.end()) {
            m_lanes[i] = static_cast<int>(laneEnds.size());
            laneEnds.push_back(end);
        } else {
            m_lanes[i] = static_cast<int>(free - laneEnds.begin());
            *free = end;
        }
    }
    m_laneCount = static_cast<int>(laneEnds.size());
    timelineChanged.send();
}

std::string PreflightCheck::problemLine(const DayProblem& p) const {
    // A row left behind is shown at its own time, where the operator looks for it; one whose
    // time no clock reaches has none.
    std::string time = clockText(p.second);
    for (const DayBar& bar : m_result.bars) {
        if (bar.row == p.row && bar.leftBehind) {
            time = bar.noTime ? "--:--:--" : clockText(bar.startSecond);
        }
    }
    if (p.row == 0) {
        return problemReasonText(p);
    }
    return rowText(p.row) + "  " + time + "  " + problemReasonText(p);
}

int PreflightCheck::hourX(int hour, int width) {
    return static_cast<int>(int64_t{hour} * width / 24);
}

std::vector<TimelineSpan> PreflightCheck::timeline(int width, const LabelWidth& labelWidth) const {
    std::vector<TimelineSpan> spans;
    if (width < kMinBarWidth) {
        return spans;
    }
    auto x = [width](int second) {
        return static_cast<int>(int64_t{std::clamp(second, 0, kDaySeconds)} * width / kDaySeconds);
    };
    int apartLanes = 0;
    std::vector<std::size_t> dayOrder;
    for (std::size_t i = 0; i < m_result.bars.size(); ++i) {
        const DayBar& bar = m_result.bars[i];
        if (bar.noTime) {
            // Not where the check gave up on it: that second is no time of the row's.
            const int left = -kApartWidth + 2;
            spans.push_back(
                {bar.row, left, left + kMinBarWidth, apartLanes++, bar.leftBehind, 0, true});
            continue;
        }
        TimelineSpan s{bar.row, x(bar.startSecond), 0, 0, bar.leftBehind, width};
        s.right = std::min(std::max(x(bar.endSecond), s.left + kMinBarWidth), width);
        s.left = std::min(s.left, s.right - kMinBarWidth);
        dayOrder.push_back(spans.size());
        spans.push_back(s);
    }
    // Lanes: in the order of the day, each bar goes into the first lane free where it begins. A
    // bar too narrow for its number holds the lane up to the end of the number beside it, so
    // that bars of the same moment never write their numbers over each other.
    std::stable_sort(dayOrder.begin(), dayOrder.end(), [&spans](std::size_t a, std::size_t b) {
        return spans[a].left < spans[b].left;
    });
    std::vector<int> laneEnds;
    for (const std::size_t i : dayOrder) {
        TimelineSpan& s = spans[i];
        const int number = labelWidth ? labelWidth(s.row) : 0;
        const int end =
            number > 0 && s.right - s.left < number + 4 ? s.right + 3 + number + 1 : s.right;
        const auto free = std::find_if(laneEnds.begin(), laneEnds.end(),
                                       [&s](int laneEnd) { return laneEnd <= s.left; });
        if (free == laneEnds.end()) {
            s.lane = static_cast<int>(laneEnds.size());
            laneEnds.push_back(end);
        } else {
            s.lane = static_cast<int>(free - laneEnds.begin());
            *free = end;
        }
    }
    for (TimelineSpan& s : spans) {
        for (const TimelineSpan& other : spans) {
            if (other.apart == s.apart && other.lane == s.lane && other.left > s.left &&
                other.left < s.room) {
                s.room = other.left;
            }
        }
    }
    return spans;
}

int PreflightCheck::laneCount(int width, const LabelWidth& labelWidth) const {
    int lanes = 0;
    for (const TimelineSpan& s : timeline(width, labelWidth)) {
        lanes = std::max(lanes, s.lane + 1);
    }
    return lanes;
}

bool PreflightCheck::hasRowsApart() const {
    return std::any_of(m_result.bars.begin(), m_result.bars.end(),
                       [](const DayBar& b) { return b.noTime; });
}

void PreflightCheck::tableSaved() {
    model::TextLine& status = m_s.hintLine;
    auto report = [this, &status](model::Color color, std::string text) {
        status.setColor(color);
        status.setText(text);
        m_savedReport = std::move(text);
    };
    const std::optional<year_month_day> day = m_s.checker.nextDayOf(m_s.tableFileName, tomorrow());
    if (!day) {
        report(model::kGreen, "  ☆ 已存盘。一年内没有哪天播出 " + m_s.tableFileName + "，未预演。");
        return;
    }
    // The file, not the grid: what the day will broadcast is what a load reads back.
    const DayCheckResult r = m_s.checker.check(*day, nullptr);
    if (!r.error.empty()) {
        report(model::kRed, "  ☆ 已存盘，但无法预演：" + r.error);
        return;
    }
    const std::size_t count = r.problems.size() + r.calendar.count();
    report(count == 0 ? model::kGreen : model::kRed,
           "  ☆ 已存盘。预演 " + dayText(*day) + "：" + problemCount(count) +
               (count == 0 ? "。" : "，请用“预演检查”查看！"));
}

void PreflightCheck::tableLoaded() {
    // A load that had something to say (a missing or unreadable table) has said it instead.
    if (!m_savedReport.empty() && m_s.hintLine.text() == m_savedReport) {
        m_s.hintLine.setColor(model::kGreen);
        m_s.hintLine.setText("");
    }
    m_savedReport.clear();
}

}  // namespace orvessa::editing

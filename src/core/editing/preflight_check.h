#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/editing/day_checker.h"
#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/grid.h"
#include "core/model/window.h"
#include "core/platform/clock.h"
#include "core/platform/host.h"

namespace orvessa::editing {

// Why a row is left, in the operator's words; the rehearsal's own word for one it does not know.
std::string problemReasonText(const DayProblem& problem);
// What the calendar leaves in doubt about a day, one line each: it decided what the day does.
std::vector<std::string> calendarDoubtLines(const store::CalendarDoubts& doubts);

struct PreflightServices {
    platform::Host& host;
    const platform::Clock& clock;
    DayChecker& checker;
    const model::Grid& grid;             // the table shown, saved or not
    const std::string& tableFileName;    // the file the grid's table belongs to
    model::TextLine& hintLine;           // where a save reports the check of its table
    std::function<void(int)> selectRow;  // moves the grid's selection to a row
};

// A bar of the timeline drawn `width` pixels wide: it covers x from `left` up to, not
// including, `right`. Bars that overlap in time lie in different lanes (0 at the top), so a
// collision shows as bars stacked over each other; so do bars whose row numbers would run into
// each other. `room` is where the next bar of the lane begins (or the width), the space its row
// number may take. A row with no time of the day is a mark `apart`, left of hour 0 (x below 0),
// one lane each.
struct TimelineSpan {
    int row = 0;
    int left = 0;
    int right = 0;
    int lane = 0;
    bool leftBehind = false;
    int room = 0;
    bool apart = false;
    bool operator==(const TimelineSpan&) const = default;
};

// The pre-flight check: rehearses the table in the grid, unsaved edits included, for a date the
// operator picks, and shows the rows the day would leave unplayed, one line each, with a
// timeline of the day. After every save of a table in manual operation it checks the next day
// that uses the table and says in the status line what it found.
class PreflightCheck : public model::Window {
public:
    static constexpr int kDaySeconds = 86400;
    // A row left at its start time covers no time and still has to be seen.
    static constexpr int kMinBarWidth = 3;
    // The column left of hour 0 that holds the rows with no time of the day, when there are any.
    static constexpr int kApartWidth = 40;

    explicit PreflightCheck(PreflightServices services);

    model::TextControl dateField{"dateField"};      // the date checked, "yyyy-mm-dd"
    model::TextControl summaryLine{"summaryLine"};  // the day, its table, how many problems
    // Under the summary while the PC's clock may be wrong: a rehearsal runs on the true time,
    // the broadcast on that clock.
    model::TextControl clockLine{"clockLine", "", model::kRed};
    // Under it while the PC would not come back broadcasting after a power cut by itself.
    model::TextControl startLine{"startLine", "", model::kRed};
    // Under it while the system powers the PC off: when it powers on again, or in red why it
    // will not.
    model::TextControl wakeLine{"wakeLine", "", model::kRed};
    model::ListBox problemList{"problemList"};  // one line a problem
    model::Command closeButton{"closeButton", model::CommandKind::Button, "关闭(&C)"};

    std::vector<model::Command*> allCommands() override { return {&closeButton}; }

    // The command: checks the date in the field (tomorrow, at first and once the date picked has
    // passed) and shows the dialog.
    void open();
    // The operator picked another date: the check runs again.
    void dateChanged(std::chrono::year_month_day date);
    std::chrono::year_month_day date() const { return m_date.value_or(tomorrow()); }
    // The system's clock warning was set, changed or cleared (empty): the line under the
    // summary shows it while it is set.
    void showClockWarning(const std::string& warning);
    // The wake time's line, a warning or not; hidden while it is empty.
    void showWake(const std::string& line, bool warning);
    // A problem or a bar double-clicked: its row becomes the grid's selection, and the dialog
    // closes so the operator sees it.
    void showRow(int row);

    // The bars of the last check, by row, and how many lanes their times take.
    const std::vector<DayBar>& bars() const { return m_result.bars; }
    int laneCount() const { return m_laneCount; }
    // `labelWidth` gives the pixels a row's number takes beside its bar; none for numbers that
    // are not drawn.
    using LabelWidth = std::function<int(int row)>;
    std::vector<TimelineSpan> timeline(int width, const LabelWidth& labelWidth = {}) const;
    // The lanes of timeline(width, labelWidth).
    int laneCount(int width, const LabelWidth& labelWidth) const;
    // Whether some row has no time of the day, so that the timeline needs its column apart.
    bool hasRowsApart() const;
    // Where hour 0..24 lies on a timeline `width` pixels wide.
    static int hourX(int hour, int width);
    // The bars changed.
    model::Signal<> timelineChanged;

    // A table was saved: the next day from tomorrow that broadcasts it is checked as its file
    // now holds it (a cell the file could not store reads as the file has it), and the status
    // line says how many problems that day has.
    void tableSaved();
    // Another table was loaded into the grid: a status line that still speaks of the saved one
    // is cleared.
    void tableLoaded();

private:
    std::chrono::year_month_day today() const;
    std::chrono::year_month_day tomorrow() const;
    void runCheck();
    std::string problemLine(const DayProblem& problem) const;

    PreflightServices m_s;
    std::optional<std::chrono::year_month_day> m_date;
    DayCheckResult m_result;
    std::vector<int> m_lanes;  // of each bar
    int m_laneCount = 0;
    std::vector<int> m_problemRows;  // of each line of the list
    std::string m_savedReport;       // the status line tableSaved() set
};

}  // namespace orvessa::editing

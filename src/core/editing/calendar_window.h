#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/editing/calendar_import_dialog.h"
#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/window.h"
#include "core/platform/calendar_reader.h"
#include "core/platform/clock.h"
#include "core/platform/host.h"
#include "core/store/day_plan.h"
#include "core/store/day_planner.h"
#include "core/store/school_calendar.h"

namespace orvessa::editing {

struct CalendarServices {
    platform::Host& host;
    const platform::Clock& clock;
    // Holds the calendar in force; the window plans its dates with the edited one and hands
    // the stored one back to it.
    store::DayPlanner& planner;
    std::filesystem::path programDirectory;
    // Reads calendars for the import; without one the window offers no import.
    platform::CalendarReader* reader = nullptr;
    // What the files it writes are flushed through; none in tests (file_io.h).
    store::FileSync* fileSync = nullptr;
};

// A date as the year view draws it.
struct CalendarDay {
    std::chrono::year_month_day date;
    store::StopReason stop = store::StopReason::None;
    int table = 1;            // the table the day plays
    bool byCalendar = false;  // an entry of the calendar decided it
    bool today = false;
    bool selected = false;

    bool operator==(const CalendarDay&) const = default;
};

// Removes `first`..`last` from the entries, keeping the parts of an entry outside them with
// its plan and remark, and then adds `replacement` when given: each of those dates has at most
// one entry afterwards. The entries come back ordered by their first date.
std::vector<store::CalendarEntry> replaceDates(
    std::vector<store::CalendarEntry> entries, std::chrono::year_month_day first,
    std::chrono::year_month_day last, const std::optional<store::CalendarEntry>& replacement);

// The school calendar's window: a year at a glance in which every date shows its plan, and
// the edits of a copy of the calendar's entries. OK stores calendar.txt and hands the calendar
// to the planner; Cancel leaves both as they were.
class CalendarWindow : public model::Window {
public:
    // The choices for the selected dates: the first leaves them to the weekly rules, the second
    // makes them stop days, the rest play a table (1..12).
    static constexpr const char* kChoices[] = {"按常规", "停播",   "星期一", "星期二", "星期三",
                                               "星期四", "星期五", "星期六", "星期日", "模板一",
                                               "模板二", "模板三", "模板四", "模板五"};
    static constexpr int kRegular = 0;
    static constexpr int kStop = 1;

    explicit CalendarWindow(CalendarServices services);

    model::TextControl yearLine{"yearLine"};  // "2027年"
    model::Command previousYear{"previousYear", model::CommandKind::Button, "◀ 上一年"};
    model::Command nextYear{"nextYear", model::CommandKind::Button, "下一年 ▶"};
    model::Command thisYear{"thisYear", model::CommandKind::Button, "今年(&Y)"};
    // The selected dates and what the first of them has now.
    model::TextControl selectionLine{"selectionLine"};
    model::RadioGroup planChoice{
        "planChoice", "安排", std::vector<std::string>(std::begin(kChoices), std::end(kChoices))};
    model::TextControl remarkField{"remarkField"};
    model::Command applyChoice{"applyChoice", model::CommandKind::Button, "应用(&A)"};
    // The entries, one line each in date order; a double click selects an entry's dates.
    model::ListBox entryList{"entryList"};
    // The lines of calendar.txt that take part in no day, with why, then the dates that two
    // entries decide differently; a double click on one of those selects its dates.
    model::TextControl problemTitle{"problemTitle"};
    model::ListBox problemList{"problemList"};
    model::Command clearPastYears{"clearPastYears", model::CommandKind::Button, "清除往年(&P)"};
    model::Command importCalendar{"importCalendar", model::CommandKind::Button, "导入(&I)..."};
    model::Command okButton{"okButton", model::CommandKind::Button, "确定(&O)"};
    model::Command cancelButton{"cancelButton", model::CommandKind::Button, "取消(&X)"};

    std::vector<model::Command*> allCommands() override;

    CalendarImportDialog& importDialog() { return m_importDialog; }

    // The command: a fresh copy of the calendar in force, this year shown, today selected.
    void open();
    // The calendar in force was stored by someone else (the console): a copy with no edits
    // follows it, so that OK cannot write the old one back over it.
    void calendarReplaced();

    int shownYear() const { return m_year; }
    void showYear(int year);

    // The operator clicks a date: it alone is selected. Extending (a shift-click or a drag)
    // selects from the date first clicked to this one.
    void selectDate(std::chrono::year_month_day date);
    void extendSelection(std::chrono::year_month_day date);
    std::chrono::year_month_day selectionFirst() const;
    std::chrono::year_month_day selectionLast() const;

    // The weeks of a month of the shown year, Monday first, six rows of seven; the cells
    // before the first and after the last day of the month are empty.
    std::array<std::optional<CalendarDay>, 42> monthDays(int month) const;
    // What a date is for, in a sentence: "2027-02-06 星期六：校历停播（春节）".
    std::string describe(std::chrono::year_month_day date) const;
    // The short mark of a stop day's reason ("周", "假", "校"); empty on a broadcast day.
    static std::string stopMark(store::StopReason stop);

    const std::vector<store::CalendarEntry>& entries() const { return m_edit.entries; }
    bool edited() const { return m_edited; }
    // Dates of the edited entries that two of them decide differently. OK stores no calendar
    // while there are any; an edit of those dates settles them.
    const std::vector<store::CalendarConflict>& conflicts() const { return m_conflicts; }
    // The dates of a conflict become the selection.
    void selectConflict(std::size_t index);

    // The dates' plans changed: the view draws them again.
    model::Signal<> daysChanged;

private:
    void takeStoredCalendar();
    void apply();
    void clearPast();
    void importFile();
    void accept();
    // OK found calendar.txt changed since the window's copy was read: says what changed and
    // lets the operator start again from the file, never writing over it.
    void changedOnDisk();
    void setEntries(std::vector<store::CalendarEntry> entries);
    void refreshDays();
    void refreshSelection();
    void refreshEntryList();
    void refreshProblems();
    static std::string conflictText(const store::CalendarConflict& conflict);
    std::chrono::year_month_day today() const;
    store::DayPlan planOf(std::chrono::year_month_day date) const;

    CalendarServices m_s;
    CalendarImportDialog m_importDialog;
    // The conflicts a refused OK names; the list has them all.
    static constexpr std::size_t kConflictsNamed = 5;

    store::SchoolCalendar m_edit;  // the entries as edited, and the lines skipped
    std::vector<store::CalendarConflict> m_conflicts;  // of m_edit's entries
    bool m_edited = false;
    // The entries and the file's version as the window's copy was taken.
    std::vector<store::CalendarEntry> m_base;
    std::string m_baseVersion;
    int m_year = 2000;
    std::chrono::year_month_day m_anchor{};
    std::chrono::year_month_day m_end{};
    std::chrono::year_month_day m_today{};
    std::vector<store::DayPlan> m_plans;  // of every day of the shown year
    std::string m_importDirectory;        // where the last import was picked
};

}  // namespace orvessa::editing

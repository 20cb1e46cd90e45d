#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/editing/calendar_import.h"
#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/window.h"
#include "core/store/school_calendar.h"

namespace orvessa::editing {

// What an imported calendar would add, before anything is added: one line per event with how
// it is taken (day off, working day with its table, or not at all), which are in the calendar
// already, and the events that name no day. OK hands the entries to the calendar window.
class CalendarImportDialog : public model::Window {
public:
    // How an item is taken, as the operator picks it.
    static constexpr const char* kKinds[] = {"不导入", "停播", "调休上课"};

    CalendarImportDialog();

    model::TextControl fileLine{"fileLine"};
    // How many events the rules decided, and how many are left for the operator.
    model::TextControl decisionLine{"decisionLine"};
    model::TextControl summaryLine{"summaryLine"};
    model::TextControl unplacedTitle{"unplacedTitle"};
    model::ListBox unplacedList{"unplacedList"};
    model::Command okButton{"okButton", model::CommandKind::Button, "确定(&O)"};
    model::Command cancelButton{"cancelButton", model::CommandKind::Button, "取消(&X)"};

    std::vector<model::Command*> allCommands() override { return {&okButton, &cancelButton}; }

    // The events of `fileName` measured against the calendar as edited so far.
    void prepare(const std::string& fileName, const platform::CalendarEvents& events,
                 std::vector<store::CalendarEntry> existing);
    // The same with the plan made beforehand (off the user-interface thread) by `planFor`;
    // `eventCount` is how many events the file held.
    void prepare(const std::string& fileName, std::size_t eventCount, ImportPlan plan,
                 std::vector<store::CalendarEntry> existing);
    // The plan `prepare` lists: make-up days the calendar already plays keep their table.
    static ImportPlan planFor(const platform::CalendarEvents& events,
                              const std::vector<store::CalendarEntry>& existing);
    // Lets go of the items, when the dialog has been closed.
    void clear();

    const std::vector<ImportItem>& items() const { return m_plan.items; }
    // "2027-02-06 至 2027-02-12" or "2027-02-20 星期六".
    std::string datesOf(std::size_t item) const;
    // 0 for an unknown item, 1 for a day off, 2 for a working day: the index in kKinds.
    int kindIndex(std::size_t item) const;
    void setKind(std::size_t item, int kindIndex);
    // The table of a working day, 1..12.
    void setTable(std::size_t item, int table);
    // "已在校历中" when the item adds nothing the calendar does not have; otherwise why the rules
    // took it so ("按“补班”判断为调休上课"), while the operator has not changed it, or that they
    // could not tell.
    std::string noteOf(std::size_t item) const;
    // Whether the note asks the operator for something (an item left undecided).
    bool noteWants(std::size_t item) const;

    // The entries OK adds, for the items as the operator left them.
    std::vector<store::CalendarEntry> entriesToAdd() const;

    // An item's kind, table or note changed.
    model::Signal<> itemsChanged;

private:
    void refreshSummary();

    ImportPlan m_plan;
    std::vector<bool> m_there;  // per item: adds nothing the calendar does not have
    std::vector<store::CalendarEntry> m_existing;
};

}  // namespace orvessa::editing

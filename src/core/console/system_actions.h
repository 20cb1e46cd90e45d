#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/console/names.h"

namespace orvessa::console {

// Who asks, for the as-run record.
struct Actor {
    std::string user;  // the user or token name
    Role role = Role::Viewer;
    std::string address;
};

// "user=wang role=operator from=10.1.2.3": how a record line names the actor.
std::string actorFields(const Actor& actor);

// A date or a range set to stop, to a table or back to the weekly rules.
struct CalendarChange {
    std::chrono::year_month_day first{};
    std::chrono::year_month_day last{};
    std::optional<int> plan;  // 0 stops, 1..12 plays that table; none leaves it as usual
    std::string remark;
    std::string version;  // of the calendar the client read
};

// One row of a weekly table, each cell's text as the file holds it.
struct TableRowText {
    std::string start;
    std::string label;
    std::string file;
    std::string stop;
    std::string volume;
};

// A weekly table to be written whole, over the file the client read.
struct TableCommit {
    int table = 0;  // 1..12: zxsj1.log .. zxsj12.log
    std::vector<TableRowText> rows;
    std::string version;  // of the file the client read; "0" for none
    // The file holds rows or line ends a load does not read, and the client agrees to lose them.
    bool dropUnread = false;
};

struct ActionResult {
    int status = 200;     // as HTTP says it: 200, 404, 409, 422, 503
    std::string error;    // for the operator, when not 200
    std::string reason;   // a word for scripts: "changed", "window-unsaved", "unsaved", "busy"
    std::string version;  // of the calendar or the table after a change
    bool stopped = false;
    std::string table;  // the table file the action concerned ("zxsj3.log")
    // How a committed table reaches the clock: "now", "after-item" (when what plays ends),
    // "shown" (the window shows it; the clock is not running it) or "none" (not running).
    std::string reload;
};

inline ActionResult refused(int status, std::string error, std::string reason) {
    ActionResult r;
    r.status = status;
    r.error = std::move(error);
    r.reason = std::move(reason);
    return r;
}

// What the console may have the running system do. Called on the interface thread only.
class SystemActions {
public:
    virtual ~SystemActions() = default;
    virtual ActionResult returnToAutomatic(const Actor& actor) = 0;
    // Enters manual operation as the window's command does: the clock stops running the table.
    // Already manual is no change.
    virtual ActionResult enterManual(const Actor& actor) = 0;
    // Plays row `row` (1 = the first data row) of the table the window holds, as its play
    // command does in manual operation. Refused with 409 "automatic" in automatic operation,
    // "playing" while an item plays, "emergency" or "busy" during an emergency or a notice,
    // "panel" while the holiday panel has the grid; 422 "bad-row" or "empty-row" for a row
    // that is not there or names nothing; 404 "missing" when its file did not start.
    virtual ActionResult playRow(const Actor& actor, int row) = 0;
    // Writes a weekly table by the editor's rules. Refused with 409 "changed" when the file is no
    // longer at `commit.version`, "window-unsaved" while the window holds unsaved edits of the
    // same table, "unread" when the file holds more than a load reads and `dropUnread` is not
    // set; 422 "bad-cell" and the like for a rule broken. A table the clock runs now is reloaded.
    virtual ActionResult commitTable(const Actor& actor, const TableCommit& commit) = 0;
    virtual ActionResult stopPlaying(const Actor& actor) = 0;
    virtual ActionResult changeCalendar(const Actor& actor, const CalendarChange& change) = 0;
    // Starts (on) or ends the emergency: the timetable silent, the alarm sounding. Starting one
    // that is on, or ending one that is off, is 409 with reason "already".
    virtual ActionResult setEmergency(const Actor& actor, bool on) = 0;
    // Plays the notice `file` of the notices folder once, pausing what plays. Refused with 409
    // "emergency" during an emergency, 409 "busy" while another notice plays, 404 "missing" for
    // a name that is no file of the folder, 422 "bad-name" for one that reaches outside it.
    virtual ActionResult announce(const Actor& actor, const std::string& file) = 0;
    // The file names of the notices folder, sorted.
    virtual std::vector<std::string> notices() = 0;
    // A console line of the as-run record ("user=… login ok").
    virtual void record(const std::string& line) = 0;
};

// Runs work on the interface thread, from any thread. Returns at once.
class UiQueue {
public:
    virtual ~UiQueue() = default;
    virtual void post(std::function<void()> work) = 0;
};

}  // namespace orvessa::console

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

struct ActionResult {
    int status = 200;     // as HTTP says it: 200, 409, 422, 503
    std::string error;    // for the operator, when not 200
    std::string reason;   // a word for scripts: "changed", "window-unsaved", "unsaved", "busy"
    std::string version;  // of the calendar after a change
    bool stopped = false;
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

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform/clock.h"
#include "core/playback/playback_state.h"
#include "core/store/day_plan.h"

namespace orvessa::scheduler {

// Why the clock left a row behind without playing it.
namespace left_reason {
// The row's start (or, for a row without one, its stop) time had passed when its turn came.
inline constexpr const char* kLate = "late";
// Another row, `byRow`, was still playing when this row's time came.
inline constexpr const char* kStillPlaying = "still-playing";
// The stop time is not after the start time, so the row is left when its stop time comes.
inline constexpr const char* kStopBeforeStart = "stop-before-start";
// A row without start time after a timed row (`byRow`) that was itself left unplayed.
inline constexpr const char* kAfterUnplayedTimed = "after-unplayed-timed";
// The row names no file.
inline constexpr const char* kEmpty = "empty";
// A start or stop cell that is no clock text ("99:99:99", "7:30"); with `byRow`, the row whose
// such cell held the clock until the day was over.
inline constexpr const char* kBadTime = "bad-time";
// The computer was shut down before the clock reached the row.
inline constexpr const char* kShutdown = "shutdown";
// An emergency silenced the timetable when the row's turn came.
inline constexpr const char* kEmergency = "emergency";
}  // namespace left_reason

// One thing the broadcast did with a row of the station's table.
struct BroadcastEvent {
    enum class Type {
        Started,       // an item of the row began
        Stopped,       // the running item was stopped
        Missing,       // the row's file was not there, and nothing played
        Left,          // the clock left the row behind without playing it, for `reason`
        Day,           // the day's plan was decided (at start-up or a new date): `plan`
        Clock,         // something about the clock itself: `reason` says what, such as
                       // "clock-jump from=08:00:00 to=08:10:00" or "clock unsynchronised"
        Console,       // someone at the console signed in or acted: `reason` says who and what, as
                       // "user=wang role=operator from=10.1.2.3 calendar 2027-01-04 plan=table:5"
        Emergency,     // an emergency began or ended: `reason` as "on by=operator@window"
        Announcement,  // a notice: `reason` as "start file=通知.wav by=operator@window"
    };
    Type type = Type::Started;
    // The second of the clock's tick, or of the operator's command.
    platform::LocalDateTime at;
    // The file name of the table the row belongs to.
    std::string table;
    int row = 0;
    playback::ItemKind kind = playback::ItemKind::None;  // of a started item
    // The item as the core holds it (not yet native); for a row left behind, its file cell.
    std::string path;
    std::string reason;  // one of left_reason, for Left
    int byRow = 0;       // the row that kept the clock from this one; 0 for none
    int lateBy = 0;      // seconds a start came after its own second (a clock that jumped forward)
    std::string lateReason;              // why it came late, when not the clock: "announcement"
    std::optional<store::DayPlan> plan;  // for Day
};

// Receives what the broadcast does, for a record of the day.
class BroadcastRecord {
public:
    virtual ~BroadcastRecord() = default;
    // Called on the user-interface thread, often inside the clock's tick: returns at once
    // (anything slow happens elsewhere) and does not throw.
    virtual void record(const BroadcastEvent& event) = 0;
    // Returns once everything recorded before the call is on the disk, or has failed: the
    // computer is about to be switched off. A record kept in memory has nothing to do.
    virtual void flush() {}
    // What the record already holds of a day, as the lines as_run::line wrote, oldest first:
    // a restarted system learns from it what rang before. None for a record that keeps nothing.
    virtual std::vector<std::string> dayLines(int year, int month, int day) {
        (void)year;
        (void)month;
        (void)day;
        return {};
    }
};

}  // namespace orvessa::scheduler

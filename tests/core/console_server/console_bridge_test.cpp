#include "core/console_server/console_bridge.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "core/console_server/calendar_change.h"
#include "core/console_server/console_json.h"
#include "core/scheduler/as_run.h"
#include "core/scheduler/clock_scenario.h"

namespace orvessa::console {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

// The console's view of a day on the simulated clock: what it publishes is what the system did.
class ConsoleBridgeScenario : public scheduler::ClockScenario {
protected:
    void startDay(const std::string& at) {
        media("bell.wav", 5);
        media("chain.wav", 3);
        start({{"08:00:00", library() + "bell.wav", ""},
               {"", library() + "chain.wav", ""},
               {"", library() + "gone.wav", ""},
               {"08:00:30", library() + "bell.wav", ""},
               {"08:01:00", library() + "bell.wav", ""}},
              at);
        bridge = std::make_shared<ConsoleBridge>(*m_system, m_clock, hub, box, nullptr);
        stream = hub.subscribe();
    }

    json status() const { return json::parse(statusJson(*box.get())); }
    json today() const { return json::parse(todayJson(*box.get())); }
    std::string state(int row) const { return today()["rows"][row - 1]["state"]; }

    // Every event sent to the stream so far, as "name data".
    std::vector<std::string> sent() {
        std::vector<std::string> out;
        while (true) {
            const auto chunk = stream->next(0ms);
            if (!chunk || chunk->empty()) {
                return out;
            }
            std::size_t at = 0;
            while ((at = chunk->find("event: ", at)) != std::string::npos) {
                const std::size_t end = chunk->find("\n\n", at);
                out.push_back(chunk->substr(at + 7, end - at - 7));
                at = end;
            }
        }
    }

    EventHub hub;
    SnapshotBox box;
    std::shared_ptr<ConsoleBridge> bridge;
    std::shared_ptr<EventStream> stream;
};

TEST_F(ConsoleBridgeScenario, TheTimelineTurnsFromNextToPlayedAsTheBellsRing) {
    startDay("07:59:50");
    runFor(2);
    json s = status();
    EXPECT_EQ(s["mode"], "automatic");
    EXPECT_EQ(s["date"], "2026-12-09");
    EXPECT_EQ(s["plan"]["tableFile"], "zxsj3.log");
    EXPECT_EQ(s["nextBell"]["row"], 1);
    EXPECT_EQ(s["nextBell"]["inSeconds"], 8);
    EXPECT_EQ(state(1), "next");
    EXPECT_EQ(state(4), "later");
    sent();

    runUntil("08:00:01");
    EXPECT_EQ(state(1), "playing");
    EXPECT_EQ(status()["playing"]["row"], 1);
    std::vector<std::string> events = sent();
    const auto started = std::find_if(events.begin(), events.end(), [](const std::string& e) {
        return e.starts_with("broadcast\n") && e.find("\"type\":\"start\"") != std::string::npos;
    });
    ASSERT_NE(started, events.end()) << "the start reached the stream as it happened";

    runUntil("08:00:20");
    const json rows = today()["rows"];
    EXPECT_EQ(rows[0]["state"], "played");
    EXPECT_EQ(rows[0]["at"], "08:00:00");
    EXPECT_EQ(rows[1]["state"], "played");
    EXPECT_EQ(rows[2]["state"], "missing");
    EXPECT_EQ(rows[3]["state"], "next");
    EXPECT_EQ(status()["nextBell"]["time"], "08:00:30");
}

TEST_F(ConsoleBridgeScenario, ManualOperationPastABellIsCountedAndCanBeEndedFromTheConsole) {
    startDay("07:59:50");
    runFor(1);
    form().manualOperation.click();
    runUntil("08:00:40");
    bridge->secondPassed();
    json s = status();
    EXPECT_EQ(s["mode"], "manual");
    EXPECT_EQ(s["manualMissed"], 2) << "08:00:00 and 08:00:30 did not ring";
    EXPECT_EQ(state(1), "passed");

    const ActionResult r = bridge->returnToAutomatic({"wang", Role::Operator, "127.0.0.2"});
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(engine().mode(), system::OperatingMode::Automatic);
    runFor(1);
    EXPECT_EQ(status()["manualMissed"], 0);
    runUntil("08:01:01");
    EXPECT_EQ(state(5), "playing");
}

TEST_F(ConsoleBridgeScenario, AutomaticOperationIsRefusedWhileTheWindowHoldsUnsavedEdits) {
    startDay("07:59:50");
    form().manualOperation.click();
    m_system->editor().setUnsaved(true);
    const ActionResult r = bridge->returnToAutomatic({"wang", Role::Operator, "127.0.0.2"});
    EXPECT_EQ(r.status, 409);
    EXPECT_EQ(r.reason, "unsaved");
    EXPECT_EQ(engine().mode(), system::OperatingMode::Manual);
    EXPECT_TRUE(m_host.messages.empty()) << "nobody is asked at the broadcast PC";
}

TEST_F(ConsoleBridgeScenario, ACalendarChangeIsTakenAtTheNextDecisionAndNotLostByTheWindow) {
    startDay("07:59:50");
    const std::string version = calendarVersion(m_dir.path());
    CalendarChange change;
    change.first = change.last = std::chrono::year{2026} / 12 / 10;
    change.plan = 0;
    change.remark = "考试";
    change.version = version;
    const Actor actor{"wang", Role::Operator, "127.0.0.2"};
    ActionResult r = bridge->changeCalendar(actor, change);
    ASSERT_EQ(r.status, 200) << r.error;
    EXPECT_NE(r.version, version);
    EXPECT_EQ(r.version, calendarVersion(m_dir.path()));
    EXPECT_EQ(m_system->dayPlanner().planFor(change.first).stop, store::StopReason::Calendar);

    // The same version again is stale now.
    r = bridge->changeCalendar(actor, change);
    EXPECT_EQ(r.status, 409);
    EXPECT_EQ(r.reason, "changed");

    // The window follows a change it has no edits against, so its OK keeps it ...
    m_system->calendarWindow().calendarReplaced();
    ASSERT_EQ(m_system->calendarWindow().entries().size(), 1u);
    // ... and while it holds edits the console is refused, so neither overwrites the other.
    m_system->calendarWindow().selectDate(std::chrono::year{2026} / 12 / 11);
    m_system->calendarWindow().planChoice.setItemIndex(1);
    m_system->calendarWindow().applyChoice.click();
    ASSERT_TRUE(m_system->calendarWindow().edited());
    change.version = calendarVersion(m_dir.path());
    r = bridge->changeCalendar(actor, change);
    EXPECT_EQ(r.status, 409);
    EXPECT_EQ(r.reason, "window-unsaved");
    EXPECT_TRUE(status()["calendarUnsaved"]);
}

}  // namespace
}  // namespace orvessa::console

namespace orvessa::console {
namespace {

TEST(RowRecords, AreReadBackFromTheLinesTheRecordWrote) {
    using scheduler::BroadcastEvent;
    auto event = [](BroadcastEvent::Type type, int second, std::string table, int row) {
        BroadcastEvent e;
        e.type = type;
        e.at = {2026, 12, 9, 8, 0, second};
        e.table = std::move(table);
        e.row = row;
        e.kind = playback::ItemKind::Media;
        e.path = "/srv/bells/a row=9 by=7.wav";
        return e;
    };
    BroadcastEvent left = event(BroadcastEvent::Type::Left, 5, "zxsj3.log", 2);
    left.reason = "still-playing";
    left.byRow = 1;
    BroadcastEvent clock = event(BroadcastEvent::Type::Clock, 6, "", 0);
    clock.reason = "clock-jump from=08:00:00 to=08:10:00";
    const std::vector<std::string> lines = {
        scheduler::as_run::line(event(BroadcastEvent::Type::Started, 1, "zxsj3.log", 1)),
        scheduler::as_run::line(left),
        scheduler::as_run::line(event(BroadcastEvent::Type::Missing, 7, "zxsj3.log", 3)),
        scheduler::as_run::line(event(BroadcastEvent::Type::Started, 8, "zxsj8.log", 4)),
        scheduler::as_run::line(clock),
        "2026-12-09 08:00:09 start table=zxsj3.log row=x",
        "damaged",
    };
    const std::map<int, RowRecord> records = rowRecords(lines, "zxsj3.log");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records.at(1).type, BroadcastEvent::Type::Started);
    EXPECT_EQ(records.at(1).second, 8 * 3600 + 1);
    EXPECT_EQ(records.at(2).type, BroadcastEvent::Type::Left);
    EXPECT_EQ(records.at(2).reason, "still-playing");
    EXPECT_EQ(records.at(2).byRow, 1) << "read before the path, not from inside it";
    EXPECT_EQ(records.at(3).type, BroadcastEvent::Type::Missing);
    EXPECT_EQ(records.count(4), 0u) << "another table's row";
}

}  // namespace
}  // namespace orvessa::console

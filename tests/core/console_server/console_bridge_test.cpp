#include "core/console_server/console_bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

#include "core/console_server/calendar_change.h"
#include "core/console_server/console_json.h"
#include "core/console_server/table_change.h"
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

    void startWith(const std::vector<scheduler::Row>& rows, const std::string& at) {
        media("bell.wav", 5);
        start(rows, at);
        bridge = std::make_shared<ConsoleBridge>(*m_system, m_clock, hub, box, nullptr);
        stream = hub.subscribe();
    }

    // Today's table (zxsj3.log) as `rows` of bells, over the version on disk now.
    TableCommit bells(const std::vector<std::string>& starts) {
        TableCommit commit;
        commit.table = 3;
        commit.version = readWeeklyTable(m_dir.path(), 3).version;
        for (const std::string& start : starts) {
            commit.rows.push_back({start, "铃", library() + "bell.wav", "", ""});
        }
        return commit;
    }

    // Ticks up to `until` as the desktop does: the clock, then the console's second.
    void runWithConsoleUntil(const std::string& until) {
        while (now() < until) {
            runFor(1);
            bridge->secondPassed();
        }
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

TEST_F(ConsoleBridgeScenario, ACommittedTableRunsAtOnceAndItsNextBellRingsAtItsNewTime) {
    startDay("07:59:50");
    runUntil("08:00:15");
    ASSERT_EQ(status()["nextBell"]["row"], 4);
    ASSERT_TRUE(status()["playing"].is_null());
    // The rows before the next bell go: it is row 2 now, and twenty seconds sooner.
    const ActionResult r = bridge->commitTable({"wang", Role::Operator, "127.0.0.2"},
                                               bells({"08:00:00", "08:00:20", "08:01:00"}));
    ASSERT_EQ(r.status, 200) << r.error;
    EXPECT_EQ(r.reload, "now");
    EXPECT_EQ(r.version, readWeeklyTable(m_dir.path(), 3).version);
    EXPECT_EQ(status()["nextBell"]["row"], 2);
    EXPECT_EQ(status()["nextBell"]["time"], "08:00:20");
    log.clear();
    runUntil("08:00:35");
    EXPECT_EQ(std::count(log.begin(), log.end(), "08:00:20 open bell.wav"), 1) << log.size();
    EXPECT_EQ(state(1), "played") << "the bell that rang before stays rung, and rings no more";
    EXPECT_EQ(state(2), "played");
    EXPECT_EQ(status()["nextBell"]["time"], "08:01:00") << "08:00:30 is no bell any more";
    EXPECT_TRUE(m_host.messages.empty()) << "nobody is asked at the broadcast PC";
}

TEST_F(ConsoleBridgeScenario, ATableCommittedWhileABellRingsIsTakenWhenTheBellEnds) {
    startWith({{"08:00:00", library() + "bell.wav", ""}, {"08:00:30", library() + "bell.wav", ""}},
              "07:59:58");
    runUntil("08:00:02");
    const ActionResult r =
        bridge->commitTable({"wang", Role::Operator, "127.0.0.2"}, bells({"08:00:00", "08:00:10"}));
    ASSERT_EQ(r.status, 200) << r.error;
    EXPECT_EQ(r.reload, "after-item");
    runWithConsoleUntil("08:00:11");
    EXPECT_EQ(log,
              (scheduler::Log{"08:00:00 open bell.wav", "08:00:06 end", "08:00:10 open bell.wav"}))
        << "the bell rang whole, and the new 08:00:10 after it";
    EXPECT_EQ(status()["playing"]["row"], 2);
}

TEST_F(ConsoleBridgeScenario, UnsavedEditsOfTheSameTableInTheWindowAreNeverWrittenOver) {
    startDay("07:59:50");
    const Actor actor{"wang", Role::Operator, "127.0.0.2"};
    form().manualOperation.click();
    m_system->editor().setUnsaved(true);
    const std::string before = store::readWholeFile(m_dir.path() / "zxsj3.log").bytes;
    ActionResult r = bridge->commitTable(actor, bells({"09:00:00"}));
    EXPECT_EQ(r.status, 409);
    EXPECT_EQ(r.reason, "window-unsaved");
    EXPECT_EQ(store::readWholeFile(m_dir.path() / "zxsj3.log").bytes, before);

    TableCommit other = bells({"09:00:00"});
    other.table = 4;
    other.version = "0";
    r = bridge->commitTable(actor, other);
    EXPECT_EQ(r.status, 200) << "another table than the window's is free";
    EXPECT_EQ(r.reload, "none");

    // Without edits, the window shows what was committed, so that its save keeps it.
    m_system->editor().setUnsaved(false);
    r = bridge->commitTable(actor, bells({"09:00:00"}));
    ASSERT_EQ(r.status, 200) << r.error;
    EXPECT_EQ(r.reload, "shown");
    EXPECT_EQ(form().grid.table().rowCount(), 2);
    EXPECT_EQ(form().grid.table().cell(store::ScheduleRow::kStartTime, 1), "09:00:00");
}

TEST_F(ConsoleBridgeScenario, ARowIsPlayedByHandInManualOperationOnly) {
    startDay("07:59:50");
    const Actor actor{"wang", Role::Operator, "127.0.0.2"};
    EXPECT_EQ(bridge->playRow(actor, 4).reason, "automatic");

    ASSERT_EQ(bridge->enterManual(actor).status, 200);
    EXPECT_EQ(status()["mode"], "manual");
    EXPECT_EQ(bridge->playRow(actor, 6).reason, "bad-row");
    EXPECT_EQ(bridge->playRow(actor, 3).status, 404) << "gone.wav is not there";

    const ActionResult r = bridge->playRow(actor, 4);
    ASSERT_EQ(r.status, 200) << r.error;
    EXPECT_EQ(r.table, "zxsj3.log");
    EXPECT_EQ(status()["playing"]["row"], 4);
    EXPECT_EQ(bridge->playRow(actor, 1).reason, "playing");

    // Choosing the row to play was no edit: the way back to automatic operation stays open.
    bridge->stopPlaying(actor);
    EXPECT_EQ(bridge->returnToAutomatic(actor).status, 200);
    EXPECT_EQ(engine().mode(), system::OperatingMode::Automatic);
    EXPECT_TRUE(m_host.messages.empty());
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

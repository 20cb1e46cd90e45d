#include "core/system/broadcast_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "core/scheduler/as_run.h"
#include "core/scheduler/clock_scenario.h"

namespace orvessa::system {
namespace {

using scheduler::BroadcastEvent;

// Keeps every as-run line the system writes.
class AsRunLines : public scheduler::BroadcastRecord {
public:
    void record(const BroadcastEvent& event) override {
        lines.push_back(scheduler::as_run::line(event));
    }
    // The record's day as a restart reads it back.
    std::vector<std::string> dayLines(int, int, int) override { return lines; }
    std::vector<std::string> lines;
};

// Keeps the last failure recorded.
class Failures : public platform::FailureRecord {
public:
    void record(const platform::Failure& failure) override { all.push_back(failure.what); }
    std::vector<std::string> all;
};

class EngineScenario : public scheduler::ClockScenario {
protected:
    EngineScenario() {
        record = &m_asRun;
        failures = &m_failures;
        media("bell.wav", 5);
        media("chain.wav", 3);
        media("noon.wav", 4);
    }

    // Starts the day and listens to the engine from then on.
    void startDay(const std::string& at) {
        start({{"08:00:00", library() + "bell.wav", ""},
               {"", library() + "chain.wav", ""},
               {"", library() + "gone.wav", ""},
               {"08:00:30", library() + "noon.wav", ""}},
              at);
        m_system->engine().events().connect([this](const EngineEvent& e) { events.push_back(e); });
    }

    EngineStatus status() const { return m_system->engine().status(); }

    std::vector<std::string> broadcastLines() const {
        std::vector<std::string> lines;
        for (const EngineEvent& e : events) {
            if (e.kind == EngineEvent::Kind::Broadcast) {
                lines.push_back(scheduler::as_run::line(e.broadcast));
            }
        }
        return lines;
    }

    AsRunLines m_asRun;
    Failures m_failures;
    std::vector<EngineEvent> events;
};

TEST_F(EngineScenario, StatusFollowsTheDayFromBellToBell) {
    startDay("07:59:58");
    runFor(1);
    EngineStatus s = status();
    EXPECT_EQ(s.mode, OperatingMode::Automatic);
    EXPECT_EQ(s.table, "zxsj3.log");
    EXPECT_EQ(s.plan.weekday, 3);
    EXPECT_FALSE(s.stopDay);
    EXPECT_FALSE(s.locked);  // anyone may operate, as this configuration says
    EXPECT_FALSE(s.unsaved);
    ASSERT_TRUE(s.lastTick.has_value());
    EXPECT_EQ(s.lastTick->second, 59);
    ASSERT_TRUE(s.nextBell.has_value());
    EXPECT_EQ(s.nextBell->row, 1);
    EXPECT_EQ(s.nextBell->time, "08:00:00");
    EXPECT_EQ(s.nextBell->file, library() + "bell.wav");
    EXPECT_FALSE(s.playing.has_value());

    runFor(3);  // 08:00:02: the bell rings
    s = status();
    ASSERT_TRUE(s.playing.has_value());
    EXPECT_EQ(s.playing->row, 1);
    EXPECT_EQ(s.playing->kind, playback::ItemKind::Media);
    EXPECT_EQ(s.playing->lengthMs, 5000);
    // The untimed rows chain on; the next row that rings by its time is the last.
    ASSERT_TRUE(s.nextBell.has_value());
    EXPECT_EQ(s.nextBell->row, 4);
    EXPECT_EQ(s.nextBell->time, "08:00:30");

    runUntil("08:00:40");
    s = status();
    EXPECT_FALSE(s.nextBell.has_value());
    ASSERT_TRUE(s.lastFailure.has_value());
    EXPECT_EQ(s.lastFailure->what, "item not found");
    EXPECT_EQ(s.lastFailure->row, 3);
    // The failure still reaches the record the system was given.
    EXPECT_NE(std::find(m_failures.all.begin(), m_failures.all.end(), "item not found"),
              m_failures.all.end());
}

TEST_F(EngineScenario, EveryAsRunLineIsAnEventInTheSameOrder) {
    startDay("07:59:58");
    runUntil("08:00:50");
    ASSERT_GE(m_asRun.lines.size(), 6u);
    // The listener came after the start-up's day line; from then on the two agree line by line.
    const std::vector<std::string> told = broadcastLines();
    ASSERT_LE(told.size(), m_asRun.lines.size());
    EXPECT_EQ(told, std::vector<std::string>(m_asRun.lines.end() - static_cast<long>(told.size()),
                                             m_asRun.lines.end()));
    EXPECT_GE(told.size(), 6u);
}

TEST_F(EngineScenario, WindowLinesShowTheEngineLinesAtEveryChange) {
    startDay("07:59:58");
    const std::array<std::pair<StatusLine, const model::TextControl*>, 4> shown{
        {{StatusLine::Status, &form().statusLine},
         {StatusLine::Hint, &form().hintLine},
         {StatusLine::Date, &form().stopDayLine},
         {StatusLine::Clock, &form().clockText}}};
    int changes = 0;
    int differing = 0;
    bool playingShown = false;
    m_system->engine().events().connect([&](const EngineEvent& e) {
        if (e.kind != EngineEvent::Kind::LineChanged) {
            return;
        }
        ++changes;
        for (const auto& [which, label] : shown) {
            const model::TextLine& line = m_system->engine().line(which);
            differing += line.text() != label->text() || line.color() != label->color();
        }
        playingShown = playingShown || status().statusLine.starts_with("正在播放：");
    });
    runUntil("08:00:40");
    EXPECT_GT(changes, 40);  // the clock's line alone changes every second
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(playingShown);
    EXPECT_EQ(form().clockText.text(), "8:00:40");
}

TEST_F(EngineScenario, ByHandTheEditedCellPlaysAndTheClockKeepsTheLoadedRows) {
    startDay("07:59:58");
    runFor(1);
    form().manualOperation.click();
    form().grid.setCell(store::ScheduleRow::kFile, 1, library() + "noon.wav");
    form().grid.select(store::ScheduleRow::kFile, 1);
    form().playTool.click();
    EXPECT_TRUE(status().unsaved);
    ASSERT_FALSE(m_asRun.lines.empty());
    EXPECT_NE(m_asRun.lines.back().find("noon.wav"), std::string::npos) << m_asRun.lines.back();
    // The loaded table is what automatic operation would ring, until the edit is saved.
    EXPECT_EQ(m_system->engine().rows()[1].file, library() + "bell.wav");
}

TEST_F(EngineScenario, ModeAndTableChangesAreEventsAndStatus) {
    startDay("07:59:58");
    runFor(1);
    form().manualOperation.click();
    EXPECT_EQ(status().mode, OperatingMode::Manual);
    // Nothing rings by its time in manual operation.
    EXPECT_FALSE(status().nextBell.has_value());
    const auto manual = std::find_if(events.rbegin(), events.rend(), [](const EngineEvent& e) {
        return e.kind != EngineEvent::Kind::LineChanged;
    });
    ASSERT_NE(manual, events.rend());
    EXPECT_EQ(manual->kind, EngineEvent::Kind::ModeChanged);
    EXPECT_EQ(manual->mode, OperatingMode::Manual);
    // The status line says so, in the engine and in the window alike.
    EXPECT_EQ(status().statusLine, "  ☆ 当前为手动操作状态，可对系统进行设置和修改！");
    EXPECT_EQ(form().statusLine.text(), status().statusLine);

    form().grid.select(store::ScheduleRow::kStartTime, 4);
    form().grid.setCell(store::ScheduleRow::kStartTime, 4, "9:00:00");
    EXPECT_TRUE(status().unsaved);
    form().saveButton.click();
    EXPECT_FALSE(status().unsaved);
    const auto saved = std::find_if(events.begin(), events.end(), [](const EngineEvent& e) {
        return e.kind == EngineEvent::Kind::TableSaved;
    });
    ASSERT_NE(saved, events.end());
    EXPECT_EQ(saved->table, "zxsj3.log");
    ASSERT_EQ(m_system->engine().rows().size(), 5u);  // the heading and the four rows
    EXPECT_EQ(m_system->engine().rows()[4].start, "09:00:00");

    const std::size_t before = events.size();
    form().automaticOperation.click();
    EXPECT_EQ(status().mode, OperatingMode::Automatic);
    const auto switched =
        std::find_if(events.begin() + static_cast<long>(before), events.end(),
                     [](const EngineEvent& e) { return e.kind == EngineEvent::Kind::ModeChanged; });
    ASSERT_NE(switched, events.end());
    EXPECT_EQ(switched->mode, OperatingMode::Automatic);
    // Each switch is told once.
    EXPECT_EQ(std::count_if(
                  events.begin(), events.end(),
                  [](const EngineEvent& e) { return e.kind == EngineEvent::Kind::ModeChanged; }),
              2);
}

// A client (the console, the service, a test) gives the station the commands the window's
// buttons give, with the same meaning: by hand the draft's row plays, and returning to
// automatic operation offers the edits for saving and runs the stored table.
TEST_F(EngineScenario, AClientsCommandsMeanWhatTheWindowsButtonsMean) {
    startDay("07:59:58");
    runFor(1);
    BroadcastEngine& station = m_system->engine();
    station.enterManualOperation();
    EXPECT_EQ(status().mode, OperatingMode::Manual);
    EXPECT_FALSE(station.ticker().running()) << "the clock rests in manual operation";
    EXPECT_TRUE(form().automaticOperation.enabled()) << "the window offers the way back";

    form().grid.setCell(store::ScheduleRow::kFile, 1, library() + "noon.wav");
    ASSERT_TRUE(station.playRow(1));
    ASSERT_FALSE(m_asRun.lines.empty());
    EXPECT_NE(m_asRun.lines.back().find("noon.wav"), std::string::npos) << m_asRun.lines.back();
    EXPECT_EQ(station.rows()[1].file, library() + "bell.wav") << "the edit is not saved yet";
    station.stopPlaying();
    EXPECT_FALSE(status().playing.has_value());
    EXPECT_FALSE(station.playRow(0)) << "the heading is no row to play";

    // The second monitor is a setting the player reads; the window's box only shows it.
    form().secondMonitorBox.setChecked(true);
    EXPECT_TRUE(station.settings().secondMonitor);
    form().secondMonitorBox.setChecked(false);
    EXPECT_FALSE(station.settings().secondMonitor);

    ASSERT_TRUE(status().unsaved);
    m_host.answers.push_back(platform::MessageAnswer::No);
    EXPECT_TRUE(station.enterAutomaticOperation());
    ASSERT_FALSE(m_host.messages.empty());
    EXPECT_EQ(m_host.messages.back().text, "要保存当前数据吗？");
    EXPECT_EQ(status().mode, OperatingMode::Automatic);
    EXPECT_TRUE(station.ticker().running());
    EXPECT_EQ(form().grid.cell(store::ScheduleRow::kFile, 1), library() + "bell.wav")
        << "the edits were not kept: the window shows the stored table again";

    // The window's own command goes the same way.
    form().manualOperation.click();
    EXPECT_EQ(status().mode, OperatingMode::Manual);
    form().automaticOperation.click();
    EXPECT_EQ(status().mode, OperatingMode::Automatic);
    runUntil("08:00:30");
    EXPECT_NE(std::find(log.begin(), log.end(), "08:00:30 open noon.wav"), log.end());
}

// What became of each row is the station's, decided when the clock and the player decide it,
// and a restart takes it from the day's as-run record: a console opened afterwards shows the
// rows that rang as played.
TEST_F(EngineScenario, OutcomesAreDecidedOnceAndOutliveARestart) {
    using Type = BroadcastEvent::Type;
    startDay("07:59:58");
    runUntil("08:00:20");
    const int today = platform::dateNumber(date);
    std::map<int, RowOutcome> seen = m_system->engine().outcomes(today, "zxsj3.log");
    ASSERT_EQ(seen.count(1), 1u);
    EXPECT_EQ(seen[1].type, Type::Started);
    EXPECT_EQ(seen[1].second, 8 * 3600);
    EXPECT_EQ(seen[2].type, Type::Started);
    EXPECT_EQ(seen[3].type, Type::Missing);
    EXPECT_EQ(seen.count(4), 0u) << "the noon bell is still to come";
    EXPECT_TRUE(m_system->engine().outcomes(today, "zxsj4.log").empty());
    EXPECT_TRUE(m_system->engine().outcomes(today + 1, "zxsj3.log").empty());

    m_system.reset();
    startDay("08:00:22");
    seen = m_system->engine().outcomes(today, "zxsj3.log");
    EXPECT_EQ(seen[1].type, Type::Started) << "known before the first tick";
    EXPECT_EQ(seen[2].type, Type::Started);
    runFor(2);
    seen = m_system->engine().outcomes(today, "zxsj3.log");
    EXPECT_EQ(seen[1].type, Type::Started) << "walked past again, it still rang";
    EXPECT_EQ(seen[2].type, Type::Started);
    runUntil("08:00:31");
    EXPECT_EQ(m_system->engine().outcomes(today, "zxsj3.log")[4].type, Type::Started);
}

// The week's rules are the stored ones: boxes ticked in a holiday panel still open decide no
// day (the console, the wake time and a new day would otherwise plan by them); its OK does.
TEST_F(EngineScenario, AnOpenHolidayPanelsBoxesDecideNoDay) {
    startDay("07:59:58");
    form().manualOperation.click();
    m_system->holidayPanel().openPanel();
    ASSERT_TRUE(m_system->holidayPanel().open());
    form().weekdayStopBoxes[2]->setChecked(true);  // Wednesday, today
    const std::chrono::year_month_day day = platform::dateOf(date);
    EXPECT_FALSE(m_system->dayPlanner().planFor(day).stopDay());
    m_system->holidayPanel().accept();
    EXPECT_TRUE(m_system->dayPlanner().planFor(day).stopDay());
}

}  // namespace
}  // namespace orvessa::system

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "school_year/fault_plan.h"
#include "school_year/school.h"
#include "school_year/simulated_disk.h"
#include "school_year/verdict.h"
#include "school_year/year_run.h"
#include "support/temp_dir.h"

namespace orvessa::school_year {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using testing::TempDir;

constexpr year_month_day kTuesday{year(2026), September, day(1)};

Seconds at(int h, int m, int s = 0) {
    return startOfDate(20260901) + h * 3600 + m * 60 + s;
}

// One school day, rehearsed and then broadcast with the given faults.
struct OneDay {
    explicit OneDay(std::vector<Fault> faults, Plant plant = {}) {
        writeSchool(dir / "reference");
        reference = rehearseYear(dir / "reference", shanghai(), kTuesday, kTuesday);
        RunSettings settings;
        settings.directory = dir / "school";
        settings.asRunFolder = dir / "as-run";
        settings.scratch = dir / "scratch";
        settings.zone = shanghai();
        settings.faults = std::move(faults);
        settings.plant = plant;
        settings.first = settings.last = kTuesday;
        writeSchool(settings.directory);
        run = runYear(settings);
        verdict = judge(reference, run, schoolTables());
    }
    TempDir dir;
    YearRecord reference;
    RunResult run;
    Verdict verdict;
};

TEST(SchoolYear, AClockThatRingsAgainAfterAStepBackIsCaught) {
    // Set back ten minutes at 08:05, after the 07:58 and 08:00 bells.
    const Fault back{FaultKind::Step, at(8, 5), -600};
    const OneDay sound({back});
    EXPECT_EQ(sound.verdict.twice, 0);
    EXPECT_EQ(sound.verdict.differenceCount, 0) << sound.verdict.differences.front();
    EXPECT_EQ(sound.verdict.bells, 41);
    EXPECT_EQ(sound.verdict.onSecond, 41) << "the relived minutes ring nothing again";

    const OneDay planted({back}, Plant{.ringTwiceAfterStepBack = true});
    EXPECT_EQ(planted.verdict.twice, 2);
    ASSERT_FALSE(planted.verdict.differences.empty());
    EXPECT_EQ(planted.verdict.differences.front(),
              "2026-09-01 07:58:00: expected row=4 once, got it again, row=4 at 07:58:00");
}

TEST(SchoolYear, ASaveThatLosesItsLastWriteOnAPowerCutIsCaught) {
    std::vector<Fault> cuts;
    for (int kind = 0; kind < kSaveKinds; ++kind) {
        cuts.push_back({FaultKind::PowerCut, at(9 + kind, 20), 30, kind});
    }
    const OneDay sound(cuts);
    EXPECT_EQ(sound.verdict.filesLost, 0);
    EXPECT_EQ(sound.run.starts, 5);
    EXPECT_EQ(sound.verdict.differenceCount, 0) << sound.verdict.differences.front();

    const OneDay planted(cuts, Plant{.unsyncedSave = true});
    EXPECT_GE(planted.verdict.filesLost, kSaveKinds);
    ASSERT_FALSE(planted.run.filesLost.empty());
    EXPECT_EQ(planted.run.filesLost.front().substr(0, 46),
              "2026-09-01 09:20:00: expected zxsj1.log as las");
}

TEST(SchoolYear, EachFaultIsCountedAndItsBellsAccountedFor) {
    const std::vector<Fault> faults = {
        {FaultKind::Stall, at(7, 57, 59), 4000},
        {FaultKind::Step, at(8, 54, 50), 45},
        {FaultKind::Kill, at(10, 7, 0), 120},
        {FaultKind::KillMidSave, at(11, 0, 0), 10, 1, 1},
        {FaultKind::Media, at(12, 10, 10), 0, 1},
        {FaultKind::AsRunFull, at(13, 29, 0), 300},
        {FaultKind::Emergency, at(14, 50, 0), 400},
        {FaultKind::Announcement, at(15, 49, 50), 0, 0},
        {FaultKind::Manual, at(17, 0, 0), 3600},
    };
    const OneDay day(faults);
    for (const Fault& f : faults) {
        EXPECT_EQ(day.run.injected[static_cast<std::size_t>(f.kind)], 1) << faultWord(f.kind);
    }
    EXPECT_EQ(day.verdict.twice, 0);
    EXPECT_EQ(day.verdict.filesLost, 0);
    EXPECT_EQ(day.verdict.untold, 0) << day.run.untold.front();
    EXPECT_EQ(day.verdict.differenceCount, 0) << day.verdict.differences.front();
    EXPECT_EQ(day.verdict.bells, day.verdict.onSecond + day.verdict.exceptionCount());
    EXPECT_GE(day.verdict.exceptions.at("stall"), 1) << "the 07:58 and 08:00 bells";
    EXPECT_GE(day.verdict.exceptions.at("emergency"), 1) << "the 14:53 and 14:55 bells";
    EXPECT_GE(day.verdict.exceptions.at("manual-hour"), 1);
}

TEST(SchoolYear, TheRehearsalAgreesWithTheDaysWrittenOutByHand) {
    YearRecord reference;
    TempDir dir;
    writeSchool(dir.path());
    for (const ExpectedDay& d : expectedDays()) {
        for (auto& [date, day] : rehearseYear(dir.path(), shanghai(), d.date, d.date)) {
            reference[date] = std::move(day);
        }
    }
    EXPECT_EQ(checkExpectedDays(reference, schoolTables()), std::vector<std::string>{});
}

TEST(SimulatedDisk, APowerCutKeepsWhatWasSyncedAndTakesTheRest) {
    TempDir dir;
    testing::writeBytes(dir / "old", "old");
    testing::writeBytes(dir / "kept", "v1");
    SimulatedDisk disk(dir.path());
    testing::writeBytes(dir / "kept", "v2");
    disk.syncFile(dir / "kept");
    disk.syncDirectory(dir.path());
    testing::writeBytes(dir / "kept", "v3");  // never synced
    testing::writeBytes(dir / "old", "changed");
    disk.syncDirectory(dir.path());  // the name, not the content
    testing::writeBytes(dir / "new", "new");
    fs::remove(dir / "old");

    disk.powerCut();
    EXPECT_EQ(testing::readBytes(dir / "kept"), "v2");
    EXPECT_EQ(testing::readBytes(dir / "old"), "old");
    EXPECT_FALSE(fs::exists(dir / "new"));
}

}  // namespace
}  // namespace orvessa::school_year

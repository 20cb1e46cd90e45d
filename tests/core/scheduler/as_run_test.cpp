#include "core/scheduler/as_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/desktop/orvessa_system.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/text/gbk.h"
#include "fakes/fake_platform.h"
#include "support/temp_dir.h"

namespace orvessa::scheduler {

using system::OrvessaSystem;
using system::PlatformServices;
namespace {

using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
using Lines = std::vector<std::string>;

struct Row {
    std::string start;
    std::string file;
    std::string stop;
};

// The as-run lines of the running system, as its record would write them.
class LineRecord : public BroadcastRecord {
public:
    void record(const BroadcastEvent& event) override { lines.push_back(as_run::line(event)); }
    Lines lines;
};

// The live system on the fake platform, with a broadcast record, on Wednesday 2026-12-09.
class AsRunDay : public ::testing::Test {
protected:
    AsRunDay() {
        std::filesystem::create_directory(m_dir / "AUDIO");
        m_platform.device.now = [this] { return secondsOf(m_platform.clock.now()) * 1000; };
    }

    std::string library() const { return m_dir.path().string() + "/AUDIO/"; }

    void media(const std::string& name, int seconds) {
        writeBytes(m_dir / "AUDIO" / name, "x");
        m_platform.device.lengths[name] = seconds * 1000LL;
    }

    void start(const std::vector<Row>& rows, int64_t at) {
        std::vector<std::string> entries(27, "0");
        entries[2] = entries[3] = "  :  :  ";
        entries[5] = "3";
        entries[6] = "1";
        entries[11] = library();
        std::string config;
        for (const auto& e : entries) {
            config += e + "\r\n";
        }
        writeBytes(m_dir / "orvessa.sys", config);
        std::string table;
        int n = 1;
        for (const Row& r : rows) {
            table += std::to_string(n++) + "," + r.start + ",x," + r.file + "," + r.stop + ",,\r\n";
        }
        writeBytes(m_dir / "zxsj3.log", text::utf8ToGbk(table));
        m_platform.clock.set(localDateTimeOf(at));
        PlatformServices services = m_platform.services(m_dir.path());
        services.broadcastRecord = &m_record;
        m_system = OrvessaSystem::start(services);
        m_system->mainWindow().setVisible(true);
        m_system->mainWindow().activate();
    }

    void tickUntil(int64_t until) {
        for (int64_t s = secondsOf(m_platform.clock.now()) + 1; s <= until; ++s) {
            m_platform.clock.set(localDateTimeOf(s));
            m_system->mainWindow().broadcastTimer.fire();
        }
    }

    static int64_t at(int day, int hour, int minute, int second) {
        return secondsOf({2026, 12, day, hour, minute, second, 0});
    }

    TempDir m_dir;
    fakes::FakePlatform m_platform;
    LineRecord m_record;
    std::unique_ptr<OrvessaSystem> m_system;
};

TEST_F(AsRunDay, StartsStopsMissingFilesAndRowsLeftBehindAreRecordedAsTheyHappen) {
    media("bell.wav", 3);
    media("chime.wav", 5);
    start(
        {{"08:00:00", "bell.wav", ""}, {"08:00:02", "chime.wav", ""}, {"09:00:00", "gone.wav", ""}},
        at(9, 7, 59, 59));

    tickUntil(at(9, 9, 0, 30));

    const std::string t = " table=zxsj3.log";
    EXPECT_EQ(
        m_record.lines,
        (Lines{
            // Each day's first line says what decided it.
            "2026-12-09 07:59:59 day" + t + " plan=week stop-day=no",
            "2026-12-09 08:00:00 start" + t + " row=1 kind=media path=" + library() + "bell.wav",
            "2026-12-09 08:00:04 stop" + t + " row=1 path=" + library() + "bell.wav",
            "2026-12-09 08:00:04 left" + t + " row=2 reason=still-playing by=1 path=chime.wav",
            // The last row is asked for at every tick, and recorded once.
            "2026-12-09 09:00:00 missing" + t + " row=3 path=" + library() + "gone.wav",
        }));
}

TEST_F(AsRunDay, AFolderThatIsGoneIsMissingAtItsRowsSecondAndTheClockGoesOn) {
    media("bell.wav", 3);
    std::filesystem::create_directory(m_dir / "AUDIO" / "gone");
    writeBytes(m_dir / "AUDIO" / "gone" / "a.wav", "x");
    const std::string gone = library() + "gone/";
    start({{"08:00:00", gone, "08:00:30"},
           {"08:00:10", library() + "never/", ""},
           {"08:00:40", "bell.wav", ""},
           {"", gone, ""}},
          at(9, 7, 59, 50));
    // The folder disappears before its row's second.
    std::filesystem::remove_all(m_dir / "AUDIO" / "gone");

    tickUntil(at(9, 8, 1, 0));

    const std::string t = " table=zxsj3.log";
    EXPECT_EQ(
        m_record.lines,
        (Lines{
            "2026-12-09 07:59:50 day" + t + " plan=week stop-day=no",
            "2026-12-09 08:00:00 missing" + t + " row=1 path=" + gone,
            "2026-12-09 08:00:10 missing" + t + " row=2 path=" + library() + "never/",
            "2026-12-09 08:00:40 start" + t + " row=3 kind=media path=" + library() + "bell.wav",
            "2026-12-09 08:00:44 stop" + t + " row=3 path=" + library() + "bell.wav",
            // The last row is asked for at every tick, and recorded once.
            "2026-12-09 08:00:45 missing" + t + " row=4 path=" + gone,
        }));
}

TEST_F(AsRunDay, RowsAPageKeptFromAreLeftBehindAtMidnight) {
    media("bell.wav", 3);
    start({{"23:00:00", "http://intranet/notice.html", ""}, {"23:30:00", "bell.wav", ""}},
          at(9, 22, 59, 59));

    tickUntil(at(10, 0, 0, 5));

    const std::string t = " table=zxsj3.log";
    EXPECT_EQ(
        m_record.lines,
        (Lines{
            "2026-12-09 22:59:59 day" + t + " plan=week stop-day=no",
            "2026-12-09 23:00:00 start" + t + " row=1 kind=page path=http://intranet/notice.html",
            "2026-12-10 00:00:00 left" + t + " row=2 reason=still-playing by=1 path=bell.wav",
        }));
}

// Also the next day, whose table does not exist: the grid's blank rows are no rows of a table.
TEST_F(AsRunDay, TheBlankRowsBelowATableAreNoRowsLeftBehind) {
    media("bell.wav", 3);
    start({{"23:00:00", "bell.wav", ""}}, at(9, 22, 59, 59));

    tickUntil(at(10, 0, 0, 5));

    ASSERT_EQ(m_record.lines.size(), 4u);
    EXPECT_NE(m_record.lines[1].find(" start "), std::string::npos);
    EXPECT_NE(m_record.lines[2].find(" stop "), std::string::npos);
    EXPECT_EQ(m_record.lines[3], "2026-12-10 00:00:00 day table=zxsj4.log plan=week stop-day=no");
}

TEST(AsRunFiles, OnlyRecordFilesMoreThanSixtyDaysOldArePruned) {
    EXPECT_EQ(as_run::fileName(2026, 3, 1), "as-run-2026-03-01.log");
    // 2026-03-01 less 60 days is 2025-12-31.
    const std::vector<std::string> names = {"as-run-2025-12-31.log",
                                            "as-run-2025-12-30.log",
                                            "as-run-2024-02-29.log",
                                            "as-run-2026-03-01.log",
                                            "as-run-2025-02-30.log",
                                            "as-run-2025-1-01.log",
                                            "notes.txt",
                                            "as-run-2025-01-01.log.bak"};
    EXPECT_EQ(as_run::filesToPrune(names, 2026, 3, 1),
              (std::vector<std::string>{"as-run-2025-12-30.log", "as-run-2024-02-29.log"}));
}

TEST(AsRunFiles, ALineStaysOneLineWhateverThePathHolds) {
    BroadcastEvent e;
    e.type = BroadcastEvent::Type::Missing;
    e.at = {2026, 12, 9, 8, 0, 0, 0};
    e.table = "zxsj3.log";
    e.row = 7;
    e.path = "D:\\广播\\a\nb.mp3";
    EXPECT_EQ(as_run::line(e),
              "2026-12-09 08:00:00 missing table=zxsj3.log row=7 path=/广播/a?b.mp3");
}

TEST(AsRunFiles, ADayLineCarriesAtMostTwoHundredCharactersOfItsRemark) {
    using namespace std::chrono;
    BroadcastEvent e;
    e.type = BroadcastEvent::Type::Day;
    e.at = {2027, 2, 20, 0, 0, 0, 0};
    e.table = "zxsj5.log";
    store::DayPlan plan;
    plan.table = 5;
    std::string remark;
    for (int i = 0; i < 300; ++i) {
        remark += i % 2 == 0 ? "调" : "x";
    }
    plan.entry = store::CalendarEntry{2027y / 2 / 20, 2027y / 2 / 20, 5, remark};
    e.plan = plan;
    const std::string prefix =
        "2027-02-20 00:00:00 day table=zxsj5.log plan=calendar "
        "stop-day=no remark=";
    const std::string line = as_run::line(e);
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    const std::string kept = line.substr(prefix.size());
    EXPECT_EQ(text::characterCount(kept), 200u);
    EXPECT_EQ(kept, text::firstCharacters(remark, 199) + "…");
    EXPECT_TRUE(text::gbkCanHold(kept)) << "whole characters only";

    plan.entry->remark = text::firstCharacters(remark, 200);
    e.plan = plan;
    EXPECT_EQ(as_run::line(e), prefix + plan.entry->remark) << "200 are kept as they are";
}

}  // namespace
}  // namespace orvessa::scheduler

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_directory.h"
#include "support/silent_wav.h"

// Drills in a rehearsal: an emergency and notices over a day's table, as the record shows them.
namespace orvessa::dryrun {
namespace {

using orvessa::testing::wavOf;

class RehearsalDrill : public ProgramDirectory {
protected:
    RehearsalDrill() {
        file("AUDIO/bell.wav");
        // A real notice, so that its length is what the media framework measures.
        file("AUDIO/广播/通知.wav", wavOf(6));
    }
    std::string bell(int row, const std::string& late = "") const {
        return "play row=" + std::to_string(row) + " kind=media" + late + " path=" + audio() +
               "bell.wav length=5.0";
    }
    Lines drill(std::vector<std::string> more) {
        std::vector<std::string> arguments = {"--start",  "2026-12-14 10:13:58",
                                              "--end",    "2026-12-14 10:26:00",
                                              "--length", "bell.wav=5"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return run(arguments);
    }
};

TEST_F(RehearsalDrill, AnEmergencyLeavesTheRowsItCoversAndTheDayGoesOnAfterIt) {
    write(1, {{"10:14:00", "bell.wav", ""},
              {"10:16:00", "bell.wav", ""},
              {"10:18:00", "bell.wav", ""},
              {"10:25:00", "bell.wav", ""}});
    EXPECT_EQ(drill({"--emergency", "2026-12-14 10:15:00=300"}),
              (Lines{"2026-12-14 10:13:58 start table=zxsj1.log rows=4 stop-day=no",
                     "2026-12-14 10:14:00 " + bell(1), "2026-12-14 10:14:07 stop row=1",
                     "2026-12-14 10:15:00 emergency on by=rehearsal",
                     "2026-12-14 10:16:00 skip row=2 reason=emergency",
                     "2026-12-14 10:18:00 skip row=3 reason=emergency",
                     "2026-12-14 10:20:00 emergency off by=rehearsal lasted=300",
                     "2026-12-14 10:25:00 " + bell(4), "2026-12-14 10:25:07 stop row=4",
                     "2026-12-14 10:25:08 end-of-table"}));
    EXPECT_EQ(status, kRehearsed);
}

TEST_F(RehearsalDrill, ANoticeDelaysTheBellDueWhileItPlaysAndIsRefusedDuringAnEmergency) {
    write(1, {{"10:14:00", "bell.wav", ""}, {"10:20:03", "bell.wav", ""}});
    // Six seconds from 10:20:00: the bell of 10:20:03 starts when it ends.
    EXPECT_EQ(drill({"--announce", "2026-12-14 10:20:00=通知.wav"}),
              (Lines{"2026-12-14 10:13:58 start table=zxsj1.log rows=2 stop-day=no",
                     "2026-12-14 10:14:00 " + bell(1), "2026-12-14 10:14:07 stop row=1",
                     "2026-12-14 10:20:00 announce start file=通知.wav by=rehearsal",
                     "2026-12-14 10:20:07 announce end file=通知.wav",
                     "2026-12-14 10:20:07 " + bell(2, " late-by=4 reason=announcement"),
                     "2026-12-14 10:20:14 stop row=2", "2026-12-14 10:20:15 end-of-table"}));

    // During an emergency, and a name the folder does not hold: refused, as the record says.
    const Lines refused =
        drill({"--emergency", "2026-12-14 10:19:00=120", "--announce",
               "2026-12-14 10:20:00=通知.wav", "--announce", "2026-12-14 10:22:00=没有.wav",
               "--announce", "2026-12-14 10:23:00=../bell.wav"});
    EXPECT_EQ(
        Lines(refused.begin() + 3, refused.end()),
        (Lines{"2026-12-14 10:19:00 emergency on by=rehearsal",
               "2026-12-14 10:20:00 announce refused=emergency file=通知.wav by=rehearsal",
               "2026-12-14 10:20:03 skip row=2 reason=emergency",
               // The table ran out during it: the day's end waits, the drills go on.
               "2026-12-14 10:20:04 end-of-table",
               "2026-12-14 10:21:00 emergency off by=rehearsal lasted=120",
               "2026-12-14 10:22:00 announce refused=missing file=没有.wav by=rehearsal",
               "2026-12-14 10:23:00 announce refused=bad-name file=../bell.wav by=rehearsal"}));
}

TEST_F(RehearsalDrill, AnEmergencyTheSystemIsInStaysOutOfTheRehearsal) {
    write(1, {{"10:14:00", "bell.wav", ""}});
    file("emergency.state", "on=1\nsince=2026-12-14 09:00:00\nby=operator@window\n");
    const Lines lines = drill({});
    EXPECT_EQ(lines, (Lines{"2026-12-14 10:13:58 start table=zxsj1.log rows=1 stop-day=no",
                            "2026-12-14 10:14:00 " + bell(1), "2026-12-14 10:14:07 stop row=1",
                            "2026-12-14 10:14:08 end-of-table"}));
    // The real file is only read from, never rewritten by the drills' end.
    drill({"--emergency", "2026-12-14 10:15:00=5"});
    EXPECT_EQ(orvessa::testing::readBytes(m_dir / "emergency.state"),
              "on=1\nsince=2026-12-14 09:00:00\nby=operator@window\n");
}

TEST_F(RehearsalDrill, TheNoticesFolderOfTheAlertSettingsIsTheOneDrilled) {
    write(1, {{"10:14:00", "bell.wav", ""}});
    file("AUDIO/早会/集合.wav", wavOf(2));
    file("alerts.conf", "notice-folder=早会\n");
    const Lines lines = drill({"--announce", "2026-12-14 10:15:00=集合.wav", "--announce",
                               "2026-12-14 10:16:00=通知.wav"});
    EXPECT_EQ(Lines(lines.begin() + 3, lines.end()),
              (Lines{"2026-12-14 10:14:08 end-of-table",
                     "2026-12-14 10:15:00 announce start file=集合.wav by=rehearsal",
                     "2026-12-14 10:15:03 announce end file=集合.wav",
                     "2026-12-14 10:16:00 announce refused=missing file=通知.wav by=rehearsal"}));
}

TEST_F(RehearsalDrill, BadDrillsAreRefusedWithTheirReason) {
    write(1, {{"10:14:00", "bell.wav", ""}});
    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"--emergency", "2026-12-14 10:15:00"},
         "malformed --emergency \"2026-12-14 10:15:00\" (expected \"YYYY-MM-DD "
         "HH:MM:SS=SECONDS\")"},
        {{"--emergency", "2026-12-14 10:15:00=0"},
         "--emergency \"2026-12-14 10:15:00=0\" must last 1 to 86400 seconds"},
        {{"--emergency", "2026-12-14 10:15:00=86401"}, "must last 1 to 86400 seconds"},
        {{"--emergency", "2026-12-14 10:15:00=5", "--emergency", "2026-12-14 10:15:00=9"},
         "two --emergency at the same moment"},
        {{"--emergency", "2026-12-14 10:15:00=60", "--emergency", "2026-12-14 10:15:59=9"},
         "--emergency at 2026-12-14 10:15:59 starts before the one at 2026-12-14 10:15:00 is "
         "over"},
        {{"--emergency", "2026-12-14 10:13:58=5"},
         "--emergency at 2026-12-14 10:13:58 is outside the rehearsal (after --start "
         "2026-12-14 10:13:58, up to --end 2026-12-14 10:26:00)"},
        {{"--announce", "2026-12-14 10:15:00="},
         "malformed --announce \"2026-12-14 10:15:00=\" (expected \"YYYY-MM-DD HH:MM:SS=NAME\")"},
        {{"--announce", "2026-12-14 10:15:00=a.wav", "--announce", "2026-12-14 10:15:00=b.wav"},
         "two --announce at the same moment"},
        {{"--announce", "2026-12-14 09:00:00=a.wav"},
         "--announce at 2026-12-14 09:00:00 is outside"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(drill(c.arguments).empty()) << c.error;
        EXPECT_EQ(status, kBadInput) << c.error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    for (const char* option : {"--emergency", "--announce"}) {
        EXPECT_TRUE(
            run({"--check", "--date", "2026-12-14", option, "2026-12-14 10:15:00=5"}).empty());
        EXPECT_EQ(error, "orvessa-rehearse: " + std::string(option) +
                             " goes with a rehearsal, not with --check\n");
    }
}

}  // namespace
}  // namespace orvessa::dryrun

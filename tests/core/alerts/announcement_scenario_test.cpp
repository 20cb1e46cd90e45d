#include "alert_scenario.h"
#include "core/text/gbk.h"

namespace orvessa::alerts {
namespace {

using orvessa::testing::writeBytes;

// Notices over the day on the simulated clock.
class Announcement : public AlertScenario {
protected:
    void SetUp() override {
        media("song.wav", 120);
        media("bell.wav", 5);
        notice("通知.wav", 20);
    }
};

TEST_F(Announcement, PausesTheSongAndItGoesOnFromItsPlaceAfterwards) {
    start({{"10:00:00", "song.wav", ""}, {"10:03:00", "bell.wav", ""}}, "09:59:50");
    runTo("10:00:30");
    ASSERT_TRUE(alerts().announce("通知.wav", "operator@window").done());
    EXPECT_EQ(engine().status().notice, "通知.wav");
    EXPECT_EQ(m_device.mode(), platform::MediaMode::Stopped) << "paused";
    runTo("10:00:50");
    EXPECT_EQ(m_device.mode(), platform::MediaMode::Playing) << "the notice is over";
    EXPECT_EQ(m_device.position(), 30000) << "from where it was";
    EXPECT_TRUE(engine().status().notice.empty());
    runTo("10:03:10");
    // 120 s of song, 20 s of them after the notice: it ends at 10:02:20, and the bell is on time.
    EXPECT_EQ(log, (Log{"10:00:00 open song.wav", "10:02:21 end", "10:03:00 open bell.wav",
                        "10:03:06 end"}));
    EXPECT_EQ(m_onAir.with("announce"),
              (Log{"10:00:30 announce start file=通知.wav by=operator@window",
                   "10:00:50 announce end file=通知.wav"}));
    EXPECT_FALSE(engine().manual()) << "automatic operation all along";
}

TEST_F(Announcement, ABellDueDuringTheNoticeWaitsAndRingsAsSoonAsItEnds) {
    // The song's row ends at 10:00:38 by its stop time, and the bell's second comes while the
    // notice still plays.
    start({{"10:00:00", "song.wav", "10:00:38"},
           {"10:00:40", "bell.wav", ""},
           {"", "bell.wav", ""},
           {"10:02:00", "bell.wav", ""}},
          "09:59:50");
    runTo("10:00:30");
    ASSERT_TRUE(alerts().announce("通知.wav", "operator@window").done());
    runTo("10:00:49");
    EXPECT_EQ(log, (Log{"10:00:00 open song.wav", "10:00:38 end"})) << "never over the notice";
    runTo("10:02:10");
    EXPECT_EQ(log, (Log{"10:00:00 open song.wav", "10:00:38 end", "10:00:50 open bell.wav",
                        "10:00:56 end", "10:00:57 open bell.wav", "10:01:03 end",
                        "10:02:00 open bell.wav", "10:02:06 end"}))
        << "the untimed row follows the bell as after any item; the song's time is over";
    EXPECT_EQ(m_onAir.with("row=2 kind"),
              (Log{"10:00:50 start table=zxsj3.log row=2 kind=media late-by=10 "
                   "reason=announcement"}));
    EXPECT_EQ(m_onAir.with("row=3 kind"), (Log{"10:00:57 start table=zxsj3.log row=3 kind=media"}));
}

TEST_F(Announcement, RefusedDuringAnEmergencyAndForNamesOutsideTheFolder) {
    writeBytes(m_dir / "secret.wav", "x");
    std::filesystem::create_symlink(m_dir / "secret.wav", m_dir / "AUDIO" / "广播" / "link.wav");
    start({{"10:00:00", "song.wav", ""}}, "09:59:50");
    EXPECT_EQ(alerts().notices(), (std::vector<std::string>{"通知.wav"}))
        << "a link out of the folder is no notice";
    EXPECT_EQ(alerts().announce("../secret.wav", "a").status, AlertResult::Status::BadName);
    EXPECT_EQ(alerts().announce((m_dir / "secret.wav").string(), "a").status,
              AlertResult::Status::BadName);
    EXPECT_EQ(alerts().announce("link.wav", "a").status, AlertResult::Status::BadName);
    EXPECT_EQ(alerts().announce("..", "a").status, AlertResult::Status::BadName);
    const AlertResult missing = alerts().announce("没有.wav", "a");
    EXPECT_EQ(missing.status, AlertResult::Status::Missing);
    EXPECT_EQ(missing.error, "通知文件不存在：没有.wav");

    runTo("10:00:10");
    alerts().startEmergency("operator@window");
    const AlertResult r = alerts().announce("通知.wav", "wang@console:127.0.0.1");
    EXPECT_EQ(r.status, AlertResult::Status::Emergency);
    EXPECT_TRUE(alarmSounding()) << "the alarm is not interrupted";
    EXPECT_EQ(m_onAir.with("announce").back(),
              "10:00:10 announce refused=emergency file=通知.wav by=wang@console:127.0.0.1");
    EXPECT_EQ(opened("通知.wav"), 0);
}

TEST_F(Announcement, AnEmergencyCutsTheNoticeShortAndASecondNoticeWaitsItsTurn) {
    notice("另一个.wav", 10);
    start({{"10:00:00", "song.wav", ""}}, "09:59:50");
    runTo("10:00:10");
    ASSERT_TRUE(alerts().announce("通知.wav", "operator@window").done());
    EXPECT_EQ(alerts().announce("另一个.wav", "operator@tray").status, AlertResult::Status::Busy);
    runTo("10:00:15");
    alerts().startEmergency("operator@key");
    EXPECT_TRUE(alarmSounding());
    EXPECT_FALSE(state().isPlaying) << "the paused song is stopped with the rest";
    EXPECT_EQ(m_onAir.with("announce end"),
              (Log{"10:00:15 announce end file=通知.wav reason=emergency"}));
    alerts().endEmergency("operator@window");
    runTo("10:00:40");
    EXPECT_EQ(m_device.mode(), platform::MediaMode::Stopped) << "nothing resumes the song";
}

TEST_F(Announcement, AnUnplayableNoticeIsRefusedAndTheSongGoesOn) {
    notice("坏.txt", 5);
    start({{"10:00:00", "song.wav", ""}}, "09:59:50");
    runTo("10:00:10");
    const AlertResult r = alerts().announce("坏.txt", "operator@window");
    EXPECT_EQ(r.status, AlertResult::Status::Unplayable);
    EXPECT_EQ(m_device.mode(), platform::MediaMode::Playing);
    EXPECT_TRUE(engine().status().notice.empty());
}

TEST_F(Announcement, ANoticeNamedOnAWindowsDiskIsListedReadablyAndPlays) {
    const std::string gbkName = "\xB7\xC5\xD1\xA7.wav";  // "放学.wav" in GBK
    const std::string strayName = "bell\xFF\x81.wav";    // neither UTF-8 nor GBK
    notice(gbkName, 10);
    notice(strayName, 10);
    start({{"10:00:00", "song.wav", ""}}, "09:59:50");
    EXPECT_EQ(alerts().notices(), (std::vector<std::string>{"bell\xEF\xBF\xBD\xEF\xBF\xBD.wav",
                                                            "放学.wav", "通知.wav"}));
    runTo("10:00:10");
    ASSERT_TRUE(alerts().announce("放学.wav", "operator@window").done());
    EXPECT_EQ(opened(gbkName), 1) << "reached by the file system's own bytes";
    EXPECT_EQ(engine().status().notice, "放学.wav");
    runTo("10:00:30");
    ASSERT_TRUE(alerts().announce(alerts().notices().front(), "operator@window").done());
    EXPECT_EQ(opened(strayName), 1);
    runTo("10:00:50");

    // A name no notice can have, as a console might send it, is refused and recorded readably.
    EXPECT_EQ(alerts().announce("x\x81.wav", "wang@console:127.0.0.1").status,
              AlertResult::Status::BadName);
    EXPECT_EQ(m_onAir.with("announce"),
              (Log{"10:00:10 announce start file=放学.wav by=operator@window",
                   "10:00:20 announce end file=放学.wav",
                   "10:00:30 announce start file=bell\xEF\xBF\xBD\xEF\xBF\xBD.wav "
                   "by=operator@window",
                   "10:00:40 announce end file=bell\xEF\xBF\xBD\xEF\xBF\xBD.wav",
                   "10:00:50 announce refused=bad-name file=x\xEF\xBF\xBD.wav "
                   "by=wang@console:127.0.0.1"}));
    for (const std::string& line : m_onAir.lines) {
        EXPECT_TRUE(text::isUtf8(line)) << line;
    }
}

// A notice's name is quoted in its line where it could pass for another field: a file named
// "x by=y.wav" cannot forge who played it.
TEST_F(Announcement, ANameThatLooksLikeAFieldIsQuotedInTheRecord) {
    notice("x by=y.wav", 5);
    notice("say \"hi\".wav", 5);
    start({}, "09:59:50");
    runTo("10:00:00");
    ASSERT_TRUE(alerts().announce("x by=y.wav", "wang@console:127.0.0.1").done());
    runTo("10:00:10");
    ASSERT_TRUE(alerts().announce("say \"hi\".wav", "operator@window").done());
    runTo("10:00:20");
    EXPECT_EQ(m_onAir.with("announce"),
              (Log{"10:00:00 announce start file=\"x by=y.wav\" by=wang@console:127.0.0.1",
                   "10:00:05 announce end file=\"x by=y.wav\"",
                   "10:00:10 announce start file=\"say \\\"hi\\\".wav\" by=operator@window",
                   "10:00:15 announce end file=\"say \\\"hi\\\".wav\""}));
}

}  // namespace
}  // namespace orvessa::alerts

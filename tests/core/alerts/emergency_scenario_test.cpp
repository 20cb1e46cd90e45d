#include "alert_scenario.h"

namespace orvessa::alerts {
namespace {

using orvessa::testing::writeBytes;

// The emergency on the simulated clock: what it silences, what it sounds, and how the day goes
// on after it.
class Emergency : public AlertScenario {
protected:
    void SetUp() override {
        media("song.wav", 120);
        media("bell.wav", 5);
    }
    const std::vector<Row> kMorning = {{"10:00:00", "song.wav", ""},
                                       {"10:01:00", "bell.wav", ""},
                                       {"10:02:00", "bell.wav", ""},
                                       {"10:05:00", "bell.wav", ""}};
};

TEST_F(Emergency, SilencesThePlayingRowAndEveryBellUntilItEndsThenTheNextRingsOnItsSecond) {
    start(kMorning, "09:59:50");
    runTo("10:00:29");
    ASSERT_TRUE(state().isPlaying);
    runTo("10:00:30");
    ASSERT_TRUE(alerts().startEmergency("wang@console:127.0.0.1").done());
    EXPECT_FALSE(state().isPlaying) << "the song is cut at once";
    EXPECT_TRUE(alarmSounding());
    EXPECT_TRUE(form().emergencyBanner.visible());
    runTo("10:03:00");
    EXPECT_GE(opened("siren.wav"), 150 / 4) << "the siren sounds again and again";
    EXPECT_EQ(form().statusLine.text(), "  ☆ 紧急广播中：作息表已停止，警报正在鸣响");
    EXPECT_EQ(form().statusLine.color(), model::kRed);
    ASSERT_TRUE(alerts().endEmergency("operator@window").done());
    EXPECT_FALSE(alarmSounding());
    EXPECT_FALSE(form().emergencyBanner.visible());
    runTo("10:05:10");

    EXPECT_EQ(log, (Log{"10:00:00 open song.wav", "10:05:00 open bell.wav", "10:05:06 end"}))
        << "nothing missed is played afterwards";
    EXPECT_EQ(m_onAir.lines, (Log{"10:00:00 start table=zxsj3.log row=1 kind=media",
                                  "10:00:30 stop table=zxsj3.log row=1",
                                  "10:00:30 emergency on by=wang@console:127.0.0.1",
                                  "10:01:00 left table=zxsj3.log row=2 reason=emergency",
                                  "10:02:00 left table=zxsj3.log row=3 reason=emergency",
                                  "10:03:00 emergency off by=operator@window lasted=150",
                                  "10:05:00 start table=zxsj3.log row=4 kind=media",
                                  "10:05:06 stop table=zxsj3.log row=4"}));
}

TEST_F(Emergency, TheAlarmKeepsItsOwnVolumeAndAMissingFileFallsBackToTheSiren) {
    writeBytes(m_dir / AlertSettingsFile::kFileName,
               "alarm=gone.wav\nalarm-volume=40\nnotice-volume=90\n");
    start(kMorning, "09:59:50");
    runTo("10:00:10");
    const uint16_t rowVolume = m_device.left;
    ASSERT_TRUE(alerts().startEmergency("operator@key").done());
    EXPECT_TRUE(alarmSounding()) << "the built-in siren stands in for the missing file";
    EXPECT_EQ(alertDevice().left, 40 * 65535 / 100);
    EXPECT_EQ(m_device.left, rowVolume) << "the broadcast's volume is not touched";
    ASSERT_FALSE(m_failures.failures.empty());
    EXPECT_EQ(m_failures.failures.back().what, "alarm file not played");
    EXPECT_NE(form().emergencyBanner.text().find("已改用内置警报声"), std::string::npos);
    // The file is named where the operator looks, in red, as long as the emergency lasts.
    runTo("10:00:20");
    EXPECT_NE(form().hintLine.text().find("警报声文件不存在"), std::string::npos);
    EXPECT_NE(form().hintLine.text().find("gone.wav"), std::string::npos);
    EXPECT_NE(form().emergencyBanner.text().find("gone.wav"), std::string::npos);
    EXPECT_EQ(form().hintLine.color(), model::kRed);
}

TEST_F(Emergency, AGlobalKeyTheDesktopKeepsIsToldInRed) {
    start(kMorning, "09:59:50");
    alerts().keyUnusable("快捷键 Ctrl+Alt+F12 会切换到文字控制台");
    EXPECT_EQ(form().hintLine.text(), "  ☆ 快捷键 Ctrl+Alt+F12 会切换到文字控制台");
    EXPECT_EQ(form().hintLine.color(), model::kRed);
    ASSERT_FALSE(m_failures.failures.empty());
    EXPECT_EQ(m_failures.failures.back().what, "emergency key not usable");
}

TEST_F(Emergency, WorksInManualOperationAfterTheOperatorConfirms) {
    start(kMorning, "09:59:50");
    form().manualOperation.click();
    ASSERT_TRUE(engine().manual());
    form().emergencyTool.click();
    EXPECT_FALSE(alerts().emergency()) << "not confirmed";
    m_host.answers.push_back(platform::MessageAnswer::Yes);
    form().emergencyTool.click();
    EXPECT_TRUE(alerts().emergency());
    EXPECT_TRUE(alarmSounding());
    EXPECT_EQ(alerts().startEmergency("operator@tray").status, AlertResult::Status::Already);
    form().endEmergencyButton.click();
    EXPECT_FALSE(alerts().emergency()) << "entered: no password asked";
    EXPECT_EQ(alerts().endEmergency("operator@window").status, AlertResult::Status::Already);
}

TEST_F(Emergency, SoundsOnAStopDayToo) {
    entries[store::SystemConfig::kStopMonday + 2] = "1";  // Wednesdays stop
    start(kMorning, "09:59:50");
    ASSERT_TRUE(engine().stopDay().today);
    ASSERT_TRUE(alerts().startEmergency("operator@window").done());
    runTo("10:00:20");
    EXPECT_TRUE(alarmSounding());
    EXPECT_GE(opened("siren.wav"), 7);
    EXPECT_TRUE(log.empty()) << "a stop day rings nothing, emergency or not";
}

TEST_F(Emergency, StartsLockedButEndingTakesThePassword) {
    entries[6] = "0";  // locked
    start(kMorning, "09:59:50");
    ASSERT_FALSE(engine().session().unlocked);
    m_host.answers.push_back(platform::MessageAnswer::Yes);
    form().emergencyTool.click();
    ASSERT_TRUE(alerts().emergency());
    // The password dialog is closed without the password: the emergency goes on.
    form().emergencyTool.click();
    EXPECT_TRUE(alerts().emergency());
    EXPECT_EQ(m_host.shownModally.back(), m_system->passwordDialog().name());
    // The panic key starts it, never ends it.
    alerts().keyPressed();
    EXPECT_TRUE(alerts().emergency());
}

TEST_F(Emergency, AcrossTheEndOfTheTableTheShutdownWaitsUntilItIsOver) {
    entries[5] = "0";  // shut down at the end of the day
    start({{"17:00:00", "bell.wav", ""}}, "16:59:50");
    runTo("17:00:20");
    ASSERT_TRUE(alerts().startEmergency("operator@window").done());
    runTo("17:10:00");
    EXPECT_EQ(m_power.powerOffs, 0) << "the PC sounding the alarm stays on";
    EXPECT_EQ(engine().session().clock.shutdownTime, "  :  :  ");
    alerts().endEmergency("operator@window");
    runTo("17:12:00");
    EXPECT_EQ(m_power.powerOffs, 1) << "then the end of the day goes on as usual";
}

TEST_F(Emergency, AcrossMidnightTheNewDaysRowsAreLeftAndTheAlarmGoesOn) {
    date = {2026, 12, 9};
    writeTable(4, {{"00:00:05", "bell.wav", ""}, {"00:02:00", "bell.wav", ""}});
    start({{"23:59:00", "bell.wav", ""}}, "23:59:30");
    ASSERT_TRUE(alerts().startEmergency("operator@window").done());
    while (m_clock.now().day == 9 || now() < "00:01:00") {
        m_clock.set(scheduler::localDateTimeOf(scheduler::secondsOf(m_clock.now()) + 1));
        form().alertTimer.fire();
        tick();
    }
    EXPECT_TRUE(alarmSounding());
    EXPECT_EQ(engine().session().tableFileName, "zxsj4.log");
    EXPECT_EQ(m_onAir.with("reason=emergency"),
              (Log{"00:00:05 left table=zxsj4.log row=1 reason=emergency"}));
    alerts().endEmergency("operator@window");
    runTo("00:02:10");
    EXPECT_EQ(m_onAir.with("row=2").front(), "00:02:00 start table=zxsj4.log row=2 kind=media");
}

TEST_F(Emergency, ARestartDuringItComesBackSoundingTheAlarm) {
    start(kMorning, "09:59:50");
    runTo("10:00:30");
    ASSERT_TRUE(alerts().startEmergency("wang@console:127.0.0.1").done());
    const std::string since = engine().session().alert.emergencySince;
    m_system.reset();  // the power goes, or the program is killed

    m_onAir.lines.clear();
    alertDevice().calls.clear();
    start(kMorning, "10:00:50");
    EXPECT_TRUE(alerts().emergency());
    EXPECT_TRUE(alarmSounding());
    EXPECT_TRUE(form().emergencyBanner.visible());
    EXPECT_TRUE(engine().status().emergency.has_value());
    EXPECT_EQ(engine().status().emergency->by, "wang@console:127.0.0.1");
    runTo("10:01:10");
    EXPECT_EQ(m_onAir.with("emergency"),
              (Log{"10:00:50 emergency resumed by=wang@console:127.0.0.1 since=" + since,
                   "10:01:00 left table=zxsj3.log row=2 reason=emergency"}));
    EXPECT_EQ(m_onAir.with("row=2"), (Log{"10:01:00 left table=zxsj3.log row=2 reason=emergency"}));
    alerts().endEmergency("operator@window");
    m_system.reset();

    start(kMorning, "10:01:20");
    EXPECT_FALSE(alerts().emergency()) << "ended stays ended";
}

TEST_F(Emergency, ADamagedStateFileMeansNoEmergencyAndIsRecorded) {
    writeBytes(m_dir / EmergencyStateFile::kFileName, "on=1\nsince=2026-12-09 10:0");
    start(kMorning, "09:59:50");
    EXPECT_FALSE(alerts().emergency());
    runTo("10:00:05");
    EXPECT_EQ(log.front(), "10:00:00 open song.wav") << "the bells ring";
    ASSERT_FALSE(m_failures.failures.empty());
    EXPECT_EQ(m_failures.failures.front().what, "emergency state unreadable");
}

TEST_F(Emergency, TheVideoWindowShowsTheMessageWhenTheSecondMonitorIsInUse) {
    writeBytes(m_dir / AlertSettingsFile::kFileName, "message=请立即到操场集合\n");
    start(kMorning, "09:59:50");
    form().secondMonitorBox.setChecked(true);
    alerts().startEmergency("operator@window");
    runTo("10:00:05");
    playback::VideoWindow& video = m_system->videoWindow();
    EXPECT_TRUE(video.visible()) << "the clock's waiting rows do not hide it";
    EXPECT_TRUE(video.emergencyMessage.visible());
    EXPECT_EQ(video.emergencyMessage.text(), "请立即到操场集合");
    alerts().endEmergency("operator@window");
    EXPECT_FALSE(video.visible());
    EXPECT_FALSE(video.emergencyMessage.visible());
}

}  // namespace
}  // namespace orvessa::alerts

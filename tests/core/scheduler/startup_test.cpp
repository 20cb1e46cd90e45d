#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/desktop/orvessa_system.h"
#include "core/store/file_io.h"
#include "core/store/ini_profile.h"
#include "core/text/gbk.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_failure_record.h"
#include "support/temp_dir.h"

namespace orvessa::scheduler {

using system::OrvessaSystem;
using system::PlatformServices;
namespace {

using model::Command;
using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using store::SystemConfig;

constexpr platform::LocalDateTime kMonday{2026, 12, 7, 8, 0, 0, 0};
constexpr platform::LocalDateTime kWednesday{2026, 12, 9, 8, 0, 0, 0};

// A program directory with its orvessa.sys, and the fakes the system starts with.
class Startup : public ::testing::Test {
protected:
    Startup() {
        entries = {"123", "",  "17:30:00",   "17:45:00", "0", "3",   "1",  "0", "0",
                   "0",   "0", "D:\\广播\\", "0",        "0", "0",   "0",  "0", "0",
                   "0",   "0", "欢迎光临",   "10",       "0", "800", "40", "0", "0"};
        clock.set(kMonday);
    }

    void writeConfig() {
        std::string content;
        for (const std::string& e : entries) {
            content += e + "\r\n";
        }
        writeBytes(dir / SystemConfig::kFileName, text::utf8ToGbk(content));
    }

    // A weekday table of one row whose label is `label`.
    void writeTable(const std::string& name, const std::string& label) {
        writeBytes(dir / name,
                   text::utf8ToGbk("1,8:00:00," + label + ",D:\\广播\\早操.mp3,8:10:00,80,\r\n"));
    }

    std::unique_ptr<OrvessaSystem> start() {
        PlatformServices services = platform.services(dir.path());
        services.failureRecord = &failures;
        return OrvessaSystem::start(services);
    }

    // The failures recorded whose detail contains `text`.
    std::size_t failuresMentioning(const std::string& text) const {
        return static_cast<std::size_t>(std::count_if(
            failures.failures.begin(), failures.failures.end(),
            [&](const platform::Failure& f) { return f.detail.find(text) != std::string::npos; }));
    }

    // Writes orvessa.sys, starts, and shows the main window as the message loop does.
    ui::MainWindow& startAndShow() {
        writeConfig();
        system = start();
        EXPECT_NE(system, nullptr);
        ui::MainWindow& form = system->mainWindow();
        form.setVisible(true);
        form.activate();
        return form;
    }

    std::filesystem::path mediaProfile() const { return dir / "win.ini"; }
    std::string programDirectoryText() const { return dir.path().string() + "/"; }

    std::vector<std::string> configLinesOnDisk() const {
        const std::string content = text::gbkToUtf8(readBytes(dir / SystemConfig::kFileName));
        std::vector<std::string> lines;
        for (std::string_view line : store::splitLines(content)) {
            lines.emplace_back(line);
        }
        return lines;
    }

    TempDir dir;
    std::array<std::string, SystemConfig::kEntryCount> entries;
    fakes::FakePlatform platform;
    // The fakes the tests script and read.
    fakes::ScriptedHost& host = platform.host;
    fakes::SettableClock& clock = platform.clock;
    fakes::FakePower& power = platform.power;
    fakes::RecordingScreenSaverFlag& screenSaver = platform.screenSaver;
    fakes::RecordingShell& shell = platform.shell;
    fakes::FakeSingleInstance& instance = platform.instance;
    fakes::RecordingFailureRecord failures;
    std::unique_ptr<OrvessaSystem> system;
};

TEST_F(Startup, MissingConfigurationIsReportedAndQuitsWithoutAskingAnything) {
    system = start();
    ASSERT_NE(system, nullptr);

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              "系统初始化错误！\r\r文件 " + programDirectoryText() + "orvessa.sys 未找到！");
    EXPECT_EQ(host.messages[0].caption, "错误");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(host.quitRequests, 1);
    EXPECT_TRUE(host.shownModally.empty()) << "no password is asked";
    EXPECT_FALSE(system->mainWindow().trayIcon.visible());
    EXPECT_FALSE(system->mainWindow().broadcastTimer.running());

    // The window still gets activated before the loop ends; start-up must stay over.
    system->mainWindow().activate();
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir / SystemConfig::kFileName));
}

TEST_F(Startup, AnUnreadableConfigurationIsReportedWithItsReasonNotAsMissing) {
    // The first page of a process's memory is never mapped: reading it fails, even for root.
    std::filesystem::create_symlink("/proc/self/mem", dir / SystemConfig::kFileName);
    system = start();
    ASSERT_NE(system, nullptr);

    ASSERT_EQ(host.messages.size(), 1u);
    const std::string& text = host.messages[0].text;
    EXPECT_TRUE(text.starts_with("系统初始化错误！\r\r文件 " + programDirectoryText() +
                                 "orvessa.sys 无法读取！\r\r"))
        << text;
    EXPECT_NE(text.find("error"), std::string::npos) << "the reason is given: " << text;
    EXPECT_EQ(host.messages[0].caption, "错误");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(host.quitRequests, 1);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / SystemConfig::kFileName)) << "nothing written";
}

TEST_F(Startup, AProgramDirectoryThatIsNoDirectoryIsNamedAsTheReason) {
    const std::pair<std::string, std::function<void(const std::filesystem::path&)>> cases[] = {
        {"程序目录不是目录，而是一个文件", [](const auto& p) { writeBytes(p, "x"); }},
        {"程序目录是一个链接，它指向的位置不存在",
         [this](const auto& p) { std::filesystem::create_symlink(dir / "gone", p); }},
        {"程序目录不存在", [](const auto&) {}}};
    for (const auto& [why, make] : cases) {
        const std::filesystem::path program = dir / "program";
        std::filesystem::remove(program);
        make(program);
        host.messages.clear();
        PlatformServices services = platform.services(program / "");
        services.mediaProfile = mediaProfile();
        system = OrvessaSystem::start(services);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "系统初始化错误！\r\r文件 " + program.string() +
                                             "/orvessa.sys 无法读取！\r\r" + program.string() +
                                             ": " + why)
            << host.messages[0].text;
        EXPECT_EQ(host.messages[0].caption, "错误");
    }
}

TEST_F(Startup, SecondInstanceIsToldAndLeavesWithoutTouchingAnyFile) {
    writeConfig();
    const std::string before = readBytes(dir / SystemConfig::kFileName);
    instance.available = false;

    EXPECT_EQ(start(), nullptr);

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Orvessa已经运行！");
    EXPECT_EQ(host.messages[0].caption, "系统信息");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(host.quitRequests, 0);
    EXPECT_TRUE(screenSaver.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(mediaProfile()));
    EXPECT_EQ(readBytes(dir / SystemConfig::kFileName), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(Startup, CreatesTheWindowsInOrderAndDeclaresDatAsMpegVideo) {
    startAndShow();
    std::vector<std::string> names;
    for (const model::Window* w : system->windows()) {
        names.push_back(w->name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"MainWindow", "PasswordDialog", "OptionsDialog",
                                               "VideoWindow", "recorderWindow", "exchangeChooser",
                                               "DirectoryDialog", "SubtitleDialog",
                                               // The school calendar's, after the eight.
                                               "CalendarWindow", "CalendarImportDialog",
                                               // The notices' list, made with the alerts.
                                               "announcementDialog"}));
    EXPECT_EQ(store::ProfileFile(mediaProfile()).readString("mci extensions", "dat", ""),
              "MPEGVideo");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Startup, MainWindowCarriesItsFixedTexts) {
    power.family = "Windows NT";
    ui::MainWindow& form = startAndShow();

    EXPECT_EQ(form.caption(), "Orvessa    VER 5.0");
    EXPECT_EQ(system->engine().startUp().platformFamily, "Windows NT");
    EXPECT_TRUE(form.trayIcon.visible());
    EXPECT_EQ(form.trayIcon.tip, "Orvessa");
    EXPECT_FALSE(system->engine().session().playback.positionMs) << "nothing has played";
    EXPECT_FALSE(system->engine().session().playback.lengthMs);
    const std::vector<std::string> headers{
        "序号", "开播时间", "  项 目", "             目 录 或 文 件", "停播时间", "音量"};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(form.grid.cell(c, 0), headers[static_cast<std::size_t>(c)]) << "column " << c;
    }
    ASSERT_EQ(system->engine().startUp().hints.size(), 11u);
    EXPECT_EQ(system->engine().startUp().hints.front(),
              "  ☆ 停播时间留空则播完当前文件后跳至下一项。");
    EXPECT_EQ(system->engine().startUp().hints.back(),
              "  ☆ “我的音乐库”目录设置请参阅帮助--常见问题！");
    EXPECT_EQ(system->engine().startUp().defaultDirectory, "D:\\广播\\")
        << "entry 11 is read as GBK";
}

TEST_F(Startup, PasswordModeZeroLocksAndQuitFromTheTrayAsksForThePassword) {
    entries[SystemConfig::kPasswordMode] = "0";
    ui::MainWindow& form = startAndShow();

    EXPECT_FALSE(system->engine().session().unlocked);
    EXPECT_EQ(screenSaver.calls, std::vector<bool>{true});
    for (const Command* c : {&form.settingsMenu, &form.skinTool, &form.quitButton,
                             &form.secondMonitorBox, &form.hideAtStartBox}) {
        EXPECT_FALSE(c->enabled()) << c->name();
    }
    EXPECT_EQ(form.settingsMenu.caption(), "设置(&T)");
    EXPECT_FALSE(form.quitButton.click());

    // The tray's quit is the one road out while locked, and only with the right password: a
    // closed dialog or a wrong password leaves the system broadcasting.
    EXPECT_TRUE(form.quitTrayItem.click());
    EXPECT_EQ(host.shownModally, std::vector<std::string>{"PasswordDialog"});
    EXPECT_EQ(host.quitRequests, 0);
    EXPECT_TRUE(form.trayIcon.visible());

    host.onShown("PasswordDialog", [&](model::Window&) {
        system->passwordDialog().passwordField.setText("12");
        system->passwordDialog().okButton.click();
        system->passwordDialog().passwordField.setText("123");
        system->passwordDialog().okButton.click();
    });
    EXPECT_TRUE(form.quitTrayItem.click());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "密码不正确，请重新输入！");
    EXPECT_EQ(host.quitRequests, 1);
}

TEST_F(Startup, PasswordModeOneHidesTheLockItemsAndQuitAsksNothing) {
    ui::MainWindow& form = startAndShow();

    EXPECT_TRUE(system->engine().session().unlocked);
    EXPECT_EQ(screenSaver.calls, std::vector<bool>{false});
    for (const Command* c :
         {&form.enterSystem, &form.lockSystem, &form.systemSeparator1, &form.changePassword}) {
        EXPECT_FALSE(c->visible()) << c->name();
    }
    EXPECT_TRUE(form.settingsMenu.enabled());
    EXPECT_TRUE(form.quitButton.enabled());

    form.quitTrayItem.click();
    EXPECT_TRUE(host.shownModally.empty());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.quitRequests, 1);
    EXPECT_FALSE(form.trayIcon.visible());
}

TEST_F(Startup, ForcedWeekdayTicksItsItemAndLoadsItsTable) {
    entries[SystemConfig::kForcedWeekday] = "5";
    writeTable("zxsj1.log", "周一早操");
    writeTable("zxsj5.log", "周五升旗");
    ui::MainWindow& form = startAndShow();

    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(form.forcedWeekdayItems[static_cast<std::size_t>(n)]->checked(), n == 5)
            << "xq" << n;
    }
    EXPECT_EQ(system->engine().session().tableFileName, "zxsj5.log");
    EXPECT_EQ(form.grid.cell(store::ScheduleRow::kLabel, 1), "周五升旗");
    EXPECT_EQ(system->engine().session().weekday, 1) << "today stays Monday";
    EXPECT_EQ(form.weekSelector.itemIndex(), 0);
}

TEST_F(Startup, AutomaticWeekdayLoadsTodaysTableOrReportsItMissing) {
    clock.set(kWednesday);
    writeTable("zxsj1.log", "周一早操");
    writeTable("zxsj3.log", "周三早操");
    entries[SystemConfig::kMediaLibrary] = programDirectoryText();  // one that is there
    ui::MainWindow& form = startAndShow();
    EXPECT_TRUE(form.forcedAutomatic.checked());
    EXPECT_FALSE(form.forcedWednesday.checked());
    EXPECT_EQ(system->engine().session().tableFileName, "zxsj3.log");
    EXPECT_EQ(form.grid.cell(store::ScheduleRow::kLabel, 1), "周三早操");
    EXPECT_EQ(form.hintLine.color(), model::kGreen);

    std::filesystem::remove(dir / "zxsj3.log");
    system.reset();
    ui::MainWindow& again = startAndShow();
    EXPECT_EQ(again.hintLine.text(), "  ☆ 星期三作息时间表尚未创建！");
    EXPECT_EQ(again.hintLine.color(), model::kRed);
    EXPECT_EQ(again.grid.cell(store::ScheduleRow::kLabel, 1), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "zxsj3.log")) << "nothing is written on load";
}

TEST_F(Startup, EmptyMediaLibraryAnsweredNoTakesAudioAndSavesItAtOnce) {
    entries[SystemConfig::kMediaLibrary] = "";
    ui::MainWindow& form = startAndShow();

    const std::string audio = programDirectoryText() + "AUDIO/";
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "请设置音视频文件默认目录！\r\r选否则为" + audio + "！");
    EXPECT_EQ(host.messages[0].caption, "系统信息");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(host.shownModally.empty());
    EXPECT_EQ(system->engine().config().entry(SystemConfig::kMediaLibrary), audio);
    EXPECT_EQ(system->engine().startUp().defaultDirectory, audio);

    const std::vector<std::string> lines = configLinesOnDisk();
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[11], audio);
    EXPECT_EQ(lines[20], "欢迎光临") << "the other entries are written back as they were";
    EXPECT_TRUE(form.broadcastTimer.running());
    EXPECT_EQ(form.broadcastTimer.interval(), 1000);
}

TEST_F(Startup, EmptyMediaLibraryAnsweredYesTakesTheDialogsChoice) {
    entries[SystemConfig::kMediaLibrary] = "";
    host.answers = {MessageAnswer::Yes};
    bool clockStoppedMeanwhile = false;
    host.onShown("DirectoryDialog", [&](model::Window&) {
        clockStoppedMeanwhile = !system->mainWindow().broadcastTimer.running();
        system->directoryDialog().chosenDirectory = "/srv/广播/";
        system->directoryDialog().endModal(model::ModalResult::Accepted);
    });
    ui::MainWindow& form = startAndShow();

    EXPECT_EQ(host.shownModally, std::vector<std::string>{"DirectoryDialog"});
    EXPECT_TRUE(clockStoppedMeanwhile);
    EXPECT_EQ(system->engine().startUp().defaultDirectory, "/srv/广播/");
    EXPECT_EQ(configLinesOnDisk().at(11), "/srv/广播/");
    EXPECT_TRUE(form.broadcastTimer.running());
}

TEST_F(Startup, HideAtStartHidesOnTheFirstActivationOnly) {
    entries[SystemConfig::kHideAtStart] = "1";
    ui::MainWindow& form = startAndShow();
    EXPECT_FALSE(form.visible());
    EXPECT_TRUE(form.hideAtStartBox.checked());
    EXPECT_EQ(system->engine().config().entry(SystemConfig::kHideAtStart), "1");

    form.showFromTray();
    form.activate();
    EXPECT_TRUE(form.visible());
    EXPECT_TRUE(form.hideAtStartBox.checked());
    EXPECT_EQ(host.quitRequests, 0);
}

TEST_F(Startup, WithoutHideAtStartTheWindowStaysShown) {
    ui::MainWindow& form = startAndShow();
    EXPECT_TRUE(form.visible());
    EXPECT_FALSE(form.hideAtStartBox.checked());
    EXPECT_EQ(configLinesOnDisk().at(7), "0");
}

TEST_F(Startup, ClosingOnlyHidesTheWindowToTheTray) {
    ui::MainWindow& form = startAndShow();
    int activationRequests = 0;
    form.activateRequested.connect([&] { ++activationRequests; });

    form.requestClose();
    EXPECT_FALSE(form.visible());
    form.trayLeftReleased();
    EXPECT_TRUE(form.visible());
    EXPECT_TRUE(form.hideSystem.click());
    EXPECT_FALSE(form.visible());
    EXPECT_TRUE(form.showWindowTrayItem.click());
    EXPECT_TRUE(form.hideButton.click());
    EXPECT_FALSE(form.visible());

    EXPECT_EQ(activationRequests, 2);
    EXPECT_EQ(host.quitRequests, 0);
    EXPECT_TRUE(form.trayIcon.visible());
    EXPECT_TRUE(form.broadcastTimer.running()) << "broadcasting goes on while hidden";
}

TEST_F(Startup, QuitWithUnsavedChangesOffersToSaveTheTable) {
    writeTable("zxsj1.log", "早操");
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        host.messages.clear();
        host.quitRequests = 0;
        host.answers = {answer};
        ui::MainWindow& form = startAndShow();
        form.grid.setCell(store::ScheduleRow::kLabel, 1, "课间操");
        system->editor().setUnsaved(true);

        form.quitTrayItem.click();

        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "要保存当前数据吗？");
        EXPECT_EQ(host.messages[0].caption, "确认");
        EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
        EXPECT_EQ(host.messages[0].buttons, MessageButtons::YesNo);
        const std::string saved = text::gbkToUtf8(readBytes(dir / "zxsj1.log"));
        EXPECT_EQ(saved.find("课间操") != std::string::npos, answer == MessageAnswer::Yes);
        EXPECT_FALSE(form.trayIcon.visible());
        EXPECT_EQ(host.quitRequests, 1);
        system.reset();
    }
}

TEST_F(Startup, WeekdayStopDayRunsTheStopDayTickerInsteadOfTheClock) {
    entries[SystemConfig::kStopMonday] = "1";  // today is Monday
    writeTable("zxsj1.log", "早操");
    ui::MainWindow& form = startAndShow();

    EXPECT_TRUE(system->engine().stopDay().today);
    EXPECT_TRUE(form.stopMondayBox.checked());
    EXPECT_TRUE(form.stopDayTimer.running());
    EXPECT_EQ(form.stopDayTimer.interval(), 1000);
    EXPECT_FALSE(form.broadcastTimer.running());
    EXPECT_TRUE(form.manualOperation.enabled());
    EXPECT_FALSE(form.automaticOperation.enabled());
    EXPECT_EQ(form.grid.cell(store::ScheduleRow::kLabel, 1), "早操") << "today's table is shown";
}

TEST_F(Startup, NormalDayRunsTheBroadcastClockOnly) {
    entries[SystemConfig::kStopMonday + 1] = "1";  // Tuesday, not today
    ui::MainWindow& form = startAndShow();

    EXPECT_FALSE(system->engine().stopDay().today);
    EXPECT_TRUE(form.broadcastTimer.running());
    EXPECT_EQ(form.broadcastTimer.interval(), 1000);
    EXPECT_FALSE(form.stopDayTimer.running());
    EXPECT_FALSE(form.nowPlayingTimer.running());
    EXPECT_FALSE(form.saveButton.enabled());
}

TEST_F(Startup, DesignedStatesHoldAfterStartUp) {
    ui::MainWindow& form = startAndShow();
    for (const Command* c :
         {&form.tableMenu, &form.automaticOperation, &form.forcedWeekdayMenu, &form.weekSettingItem,
          &form.importTableItem, &form.exportTableItem, &form.holidaysItem, &form.optionsItem,
          &form.subtitleItem, &form.mediaLibraryItem, &form.playItem, &form.stopItem,
          &form.recordItem}) {
        EXPECT_FALSE(c->enabled()) << c->name();
    }
    for (const Command* c : {&form.manualOperation, &form.hideSystem, &form.quitSystem,
                             &form.findItem, &form.aboutItem, &form.helpItem, &form.homePageItem,
                             &form.hideButton, &form.showWindowTrayItem, &form.quitTrayItem}) {
        EXPECT_TRUE(c->enabled()) << c->name();
    }
}

TEST_F(Startup, ShortcutsReachOnlyEnabledItemsUnderEnabledMenus) {
    entries[SystemConfig::kPasswordMode] = "0";  // locked: "设置(&T)" is disabled
    ui::MainWindow& form = startAndShow();
    int ran = 0;
    form.optionsItem.setHandler([&] { ++ran; });
    form.manualOperation.setHandler([&] { ++ran; });

    EXPECT_FALSE(form.triggerShortcut("F8")) << "optionsItem is disabled";
    ASSERT_TRUE(form.manualOperation.enabled());
    EXPECT_FALSE(form.triggerShortcut("F5")) << "its menu is disabled";
    EXPECT_EQ(ran, 0);

    EXPECT_TRUE(form.triggerShortcut("F12"));
    ASSERT_EQ(host.aboutBoxes.size(), 1u);
    EXPECT_EQ(host.aboutBoxes[0].application, "Orvessa  5.0");
    // Help opens the manual beside the program with the desktop's own viewer.
    EXPECT_TRUE(form.triggerShortcut("F1"));
    ASSERT_FALSE(shell.requests.empty());
    EXPECT_EQ(shell.requests.back().target, programDirectoryText() + "manual/ORVESSA.html");
    form.helpMenu.setEnabled(false);
    EXPECT_FALSE(form.triggerShortcut("F12"));
    EXPECT_EQ(host.aboutBoxes.size(), 1u);
}

// An unattended PC: whatever an entry holds, start-up runs to the clock without a box, and the
// entries it could not use are in the failure record by number.
TEST_F(Startup, DamagedEntriesTakeTheirDefaultsSilentlyAndTheClockRuns) {
    entries[SystemConfig::kSubtitleTop] = "abc";
    entries[SystemConfig::kSubtitleLeft] = "4.5";
    entries[SystemConfig::kSubtitleWidth] = "";
    entries[SystemConfig::kShutdownTimeTwo] = "7:30";
    entries[SystemConfig::kSkinNumber] = "dark";
    entries[SystemConfig::kEndOfDayAction] = "9";
    entries[SystemConfig::kPasswordMode] = "yes";
    entries[SystemConfig::kForcedWeekday] = "x";
    entries[SystemConfig::kPlayOrder] = "-1";
    entries[SystemConfig::kStopMonday] = "是";
    entries[SystemConfig::kCustomShutdownDisabled] = "";
    entries[SystemConfig::kMediaLibrary] = programDirectoryText();
    writeConfig();
    const std::string before = readBytes(dir / SystemConfig::kFileName);
    ui::MainWindow& form = startAndShow();

    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    EXPECT_TRUE(form.visible());
    EXPECT_TRUE(form.broadcastTimer.running());
    EXPECT_FALSE(system->engine().stopDay().today)
        << "a stop flag that is no flag broadcasts, as it always read";
    EXPECT_TRUE(system->engine().session().unlocked)
        << "a password mode that is neither reads as anyone may operate";
    EXPECT_TRUE(form.forcedAutomatic.checked()) << "the weekday follows the date";
    EXPECT_EQ(form.videoWindow->subtitleStrip.bounds(), (model::Rect{0, 0, 800, 40}));
    EXPECT_EQ(system->optionsDialog().endActionGroup.itemIndex(), 3)
        << "wait at the end of the day";
    EXPECT_EQ(system->optionsDialog().accessGroup.itemIndex(), 1);
    EXPECT_TRUE(system->optionsDialog().shutdownOffBox.checked())
        << "the daily shutdown times stay off";
    const std::pair<int, const char*> replaced[] = {
        {21, "0"}, {22, "0"}, {23, "800"}, {3, "  :  :  "}, {4, "0"}, {5, "3"},
        {6, "1"},  {8, "0"},  {10, "0"},   {12, "0"},       {26, "1"}};
    for (const auto& [k, now] : replaced) {
        EXPECT_EQ(system->engine().config().entry(k), now) << "entry " << k;
        EXPECT_EQ(failuresMentioning("entry " + std::to_string(k) + " (line " +
                                     std::to_string(k + 1) + ")"),
                  1u)
            << "entry " << k;
    }
    EXPECT_EQ(failures.failures.size(), std::size(replaced));
    EXPECT_EQ(failuresMentioning("'abc' is not a decimal integer; '0' is used"), 1u);
    EXPECT_EQ(system->engine().config().entry(SystemConfig::kSubtitleHeight), "40")
        << "a number stays";
    EXPECT_EQ(readBytes(dir / SystemConfig::kFileName), before) << "only a save writes the file";
}

TEST_F(Startup, AnEmptyOrRandomConfigurationAsksOnlyForTheLibraryAndRunsTheClock) {
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    for (const std::string& content : {std::string(), noise}) {
        host.messages.clear();
        writeBytes(dir / SystemConfig::kFileName, content);
        system = start();
        ASSERT_NE(system, nullptr);
        ui::MainWindow& form = system->mainWindow();
        form.setVisible(true);
        form.activate();

        ASSERT_LE(host.messages.size(), 1u);
        for (const auto& m : host.messages) {
            EXPECT_TRUE(m.text.starts_with("请设置音视频文件默认目录！")) << m.text;
        }
        EXPECT_TRUE(form.broadcastTimer.running() || form.stopDayTimer.running());
        EXPECT_TRUE(form.visible());
        for (int k : {4, 5, 6, 8, 10, 21, 22, 23, 24, 26}) {
            EXPECT_EQ(system->engine().config().entry(k), SystemConfig::defaultEntry(k))
                << "entry " << k;
        }
    }
}

TEST_F(Startup, AnUnreadableTableAtStartIsToldInTheStatusLineNotInABox) {
    std::filesystem::create_directory(dir / "zxsj1.log");
    entries[SystemConfig::kMediaLibrary] = programDirectoryText();
    ui::MainWindow& form = startAndShow();

    EXPECT_TRUE(host.messages.empty()) << host.messages.front().text;
    EXPECT_TRUE(form.broadcastTimer.running());
    EXPECT_EQ(form.hintLine.text(), "  ☆ 作息时间表 zxsj1.log 无法读取！");
    EXPECT_EQ(form.hintLine.color(), model::kRed);
    EXPECT_GE(failuresMentioning("zxsj1.log"), 1u);

    // The operator who loads it by hand is told in a box as before.
    form.manualOperation.click();
    form.weekSelector.setItemIndex(1);
    form.weekSelector.setItemIndex(0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].text.starts_with("作息时间表 zxsj1.log 无法读取！"));
}

// A library folder that is a file or was deleted: bare names will all be missing, so the status
// line and the record say so once at start-up, and again on entering manual operation.
TEST_F(Startup, AnUnusableMediaLibraryIsToldAtStartAndOnEnteringManualOperation) {
    const std::filesystem::path library = dir / "library";
    writeBytes(library, "not a folder");
    entries[SystemConfig::kMediaLibrary] = library.string() + "/";
    ui::MainWindow& form = startAndShow();

    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(form.broadcastTimer.running());
    EXPECT_EQ(form.hintLine.color(), model::kRed);
    EXPECT_NE(form.hintLine.text().find("我的影音库不是文件夹，只写文件名的项目都将找不到文件：" +
                                        library.string()),
              std::string::npos)
        << form.hintLine.text();
    EXPECT_EQ(failuresMentioning(library.string()), 1u);
    form.activate();
    EXPECT_EQ(failuresMentioning(library.string()), 1u) << "once, not at every activation";

    std::filesystem::remove(library);
    form.manualOperation.click();
    EXPECT_NE(form.hintLine.text().find("我的影音库不存在，只写文件名的项目都将找不到文件：" +
                                        library.string()),
              std::string::npos)
        << form.hintLine.text();
    EXPECT_EQ(failuresMentioning(library.string()), 2u);

    // A library that is there again says nothing.
    std::filesystem::create_directory(library);
    form.automaticOperation.click();
    form.manualOperation.click();
    EXPECT_EQ(form.hintLine.text(), "  ☆ 修改完成后请选择自动播出！");
    EXPECT_EQ(failuresMentioning(library.string()), 2u);
}

}  // namespace
}  // namespace orvessa::scheduler

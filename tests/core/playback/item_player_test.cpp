#include "core/playback/item_player.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/desktop/orvessa_system.h"
#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "fakes/fake_platform.h"
#include "fakes/station_access.h"
#include "support/temp_dir.h"

namespace orvessa::playback {
namespace {

using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
namespace fs = std::filesystem;

class ItemPlayerTest : public ::testing::Test {
protected:
    ItemPlayerTest() {
        fs::create_directory(m_dir / "AUDIO");
        library = m_dir.path().string() + "/AUDIO/";
        std::vector<std::string> entries(27, "0");
        entries[2] = entries[3] = "  :  :  ";
        entries[6] = "1";
        entries[11] = library;
        entries[20] = "";
        std::string content;
        for (const auto& e : entries) {
            content += e + "\r\n";
        }
        writeBytes(m_dir / "orvessa.sys", content);
        m_clock.set({2026, 12, 9, 8, 0, 0});
    }

    // Starts the system on a table of the given rows (file cell, volume cell).
    ui::MainWindow& startWith(const std::vector<std::pair<std::string, std::string>>& rows) {
        std::string table;
        int n = 1;
        for (const auto& [file, volume] : rows) {
            table += std::to_string(n++) + ",,item," + file + ",," + volume + ",\r\n";
        }
        writeBytes(m_dir / "zxsj3.log", text::utf8ToGbk(table));
        system::PlatformServices services = m_platform.services(m_dir.path());
        services.pagesShown = pagesShown;
        m_system = system::OrvessaSystem::start(services);
        ui::MainWindow& form = m_system->mainWindow();
        form.setVisible(true);
        form.activate();
        // Manual operation: the operator plays rows by hand.
        form.manualOperation.click();
        return form;
    }

    ui::MainWindow& form() { return m_system->mainWindow(); }
    // Whether the platform has a display to show pages on (a service has none).
    bool pagesShown = true;
    system::BroadcastEngine& engine() { return m_system->engine(); }
    ItemPlayer& player() { return m_system->player(); }
    PlaybackState& state() { return system::StationTestAccess::session(engine()).playback; }

    void playRow(int row) {
        form().grid.select(3, row);
        player().play(row);
    }

    std::string touch(const std::string& relative) {
        const fs::path p = m_dir / relative;
        fs::create_directories(p.parent_path());
        writeBytes(p, "x");
        return p.string();
    }

    // The names of a directory's files in the order the file system lists them.
    std::vector<std::string> listing(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            if (!e.is_directory() && name.front() != '.') {
                names.push_back(name);
            }
        }
        return names;
    }

    TempDir m_dir;
    std::string library;
    fakes::FakePlatform m_platform;
    // The fakes the tests script and read.
    fakes::ScriptedHost& m_host = m_platform.host;
    fakes::SettableClock& m_clock = m_platform.clock;
    fakes::RecordingShell& m_shell = m_platform.shell;
    fakes::FixedMonitors& m_monitors = m_platform.monitors;
    fakes::FakeMediaDevice& m_device = m_platform.device;
    fakes::FakeProcesses& m_processes = m_platform.processes;
    std::unique_ptr<system::OrvessaSystem> m_system;
};

TEST_F(ItemPlayerTest, BareNamesPlayFromTheLibraryAndFullPathsAsWritten) {
    touch("AUDIO/a.mp3");
    const std::string full = touch("elsewhere/b.wav");
    startWith({{"a.mp3", "50"}, {full, ""}, {"Bell", ""}});
    touch("AUDIO/Bell");

    playRow(1);
    EXPECT_EQ(m_device.calls.back(), "play");
    EXPECT_EQ(m_device.fileName(), library + "a.mp3");
    EXPECT_TRUE(state().isPlaying);
    EXPECT_EQ(state().itemKind, ItemKind::Media);
    EXPECT_EQ(state().lengthMs, 180000);
    EXPECT_TRUE(m_system->videoWindow().videoSurface.visible());
    // Running: play is off, stop is on (the button in manual operation only).
    EXPECT_FALSE(form().playTool.enabled());
    EXPECT_TRUE(form().stopTool.enabled());
    EXPECT_TRUE(form().stopItem.enabled());
    EXPECT_FALSE(form().tableMenu.enabled());
    EXPECT_TRUE(m_host.messages.empty()) << "playing says nothing about the file existing";

    player().stop();
    EXPECT_FALSE(state().positionMs);
    EXPECT_FALSE(state().lengthMs);
    EXPECT_EQ(state().itemKind, ItemKind::None);
    EXPECT_FALSE(state().isPlaying);
    EXPECT_EQ(m_device.calls.back(), "stop");
    EXPECT_TRUE(form().playTool.enabled());
    EXPECT_FALSE(form().stopTool.enabled());
    EXPECT_FALSE(form().stopItem.enabled());
    EXPECT_TRUE(form().playItem.enabled())
        << "anyone may operate: the menu item follows the button";

    playRow(2);
    EXPECT_EQ(m_device.fileName(), full);
    player().stop();
    // A name without a dot is a file all the same.
    playRow(3);
    EXPECT_EQ(m_device.fileName(), library + "Bell");
}

TEST_F(ItemPlayerTest, MissingFileMovesOnAndPlaysNothing) {
    startWith({{"D:\\广播\\早操.mp3", "50"}, {"next.mp3", "90"}});
    playRow(1);
    EXPECT_FALSE(state().isPlaying);
    EXPECT_FALSE(state().itemPresent);
    EXPECT_EQ(state().currentPath, "D:\\广播\\早操.mp3");
    EXPECT_EQ(state().currentRow, 2);
    EXPECT_TRUE(m_device.calls.empty());
    // The volume step still runs, on the row the player moved to.
    EXPECT_EQ(m_system->optionsDialog().volumeSlider.position(), 90);
    // The last row does not move past the end.
    playRow(2);
    EXPECT_EQ(state().currentRow, 2);
}

TEST_F(ItemPlayerTest, DirectoryPlaysItsFilesInNameOrderWithoutRegardToCase) {
    for (const char* f : {"AUDIO/d/two.mp3", "AUDIO/d/one.mp3", "AUDIO/d/Three.txt",
                          "AUDIO/d/.hidden.mp3", "AUDIO/d/sub/inner.mp3"}) {
        touch(f);
    }
    const std::string dir = library + "d/";
    const std::vector<std::string> files = {"one.mp3", "Three.txt", "two.mp3"};
    ASSERT_EQ(listing(dir).size(), 3u) << "hidden files and folders stay out";
    startWith({{dir, ""}});

    std::vector<std::string> played;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(state().directoryFinished);
        playRow(1);
        played.push_back(fs::path(state().currentPath).filename().string());
        EXPECT_EQ(form().playlistBox.itemIndex(), i);
    }
    EXPECT_EQ(played, files);
    EXPECT_TRUE(state().directoryFinished);
    EXPECT_EQ(form().playlistBox.items(), files);
    EXPECT_TRUE(form().playlistBox.visible());
    // The text file was refused by the device and went to the shell.
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_EQ(m_shell.requests[0].target, dir + "Three.txt");

    // Past the last file the pick fails: nothing plays.
    playRow(1);
    EXPECT_FALSE(state().isPlaying);
}

TEST_F(ItemPlayerTest, DirectoryRepeatsUntilItsStopTimeAndKeepsItsList) {
    for (const char* f : {"AUDIO/d/1.mp3", "AUDIO/d/2.mp3", "AUDIO/d/3.mp3"}) {
        touch(f);
    }
    const std::string dir = library + "d/";
    startWith({{dir, ""}});
    system::StationTestAccess::session(engine()).clock.nowTime = "08:00:00";
    system::StationTestAccess::session(engine()).clock.stopTime = "09:00:00";
    for (int i = 0; i < 3; ++i) {
        playRow(1);
    }
    EXPECT_EQ(state().nextIndex, 0);
    EXPECT_EQ(form().playlistBox.itemIndex(), -1) << "a wrap selects nothing";
    EXPECT_FALSE(state().directoryFinished);

    // A new file, or another table under the same row number, does not rebuild the list.
    touch("AUDIO/d/4.mp3");
    playRow(1);
    EXPECT_EQ(fs::path(state().currentPath).filename().string(), "1.mp3");
    EXPECT_EQ(state().playlist.size(), 3u);
}

TEST_F(ItemPlayerTest, RandomOrderIsRepeatableAndEndsAfterAsManyPicks) {
    for (const char* f : {"AUDIO/r/a.mp3", "AUDIO/r/b.mp3", "AUDIO/r/c.mp3"}) {
        touch(f);
    }
    auto picks = [&] {
        startWith({{library + "r/", ""}});
        m_system->optionsDialog().playOrderGroup.setItemIndex(1);
        std::vector<std::string> out;
        for (int i = 0; i < 3; ++i) {
            EXPECT_FALSE(state().directoryFinished);
            playRow(1);
            out.push_back(state().currentPath);
        }
        EXPECT_TRUE(state().directoryFinished);
        return out;
    };
    const auto first = picks();
    m_system.reset();
    EXPECT_EQ(picks(), first) << "the same picks follow every start";
}

TEST_F(ItemPlayerTest, PictureFilesShowTheVideoWindow) {
    for (const char* f : {"AUDIO/x.avi", "AUDIO/y.AVI", "AUDIO/z.wav", "AUDIO/w.mp4"}) {
        touch(f);
    }
    startWith({{"x.avi", ""}, {"y.AVI", ""}, {"z.wav", ""}, {"w.mp4", ""}});
    playRow(1);
    EXPECT_TRUE(m_system->videoWindow().visible());
    EXPECT_TRUE(form().visible()) << "manual operation keeps the main window";
    player().stop();
    EXPECT_FALSE(m_system->videoWindow().visible());
    EXPECT_FALSE(m_system->videoWindow().videoSurface.visible());

    // In automatic operation the main window steps aside.
    scheduler::setMode(system::StationTestAccess::session(engine()), form().automaticOperation,
                       playback::OperatingMode::Automatic);
    playRow(2);
    EXPECT_TRUE(m_system->videoWindow().visible());
    EXPECT_FALSE(form().visible());
    player().stop();
    playRow(3);
    EXPECT_FALSE(m_system->videoWindow().visible());
    player().stop();
    playRow(4);
    EXPECT_TRUE(m_system->videoWindow().visible()) << "an MP4 film shows its picture too";
}

TEST_F(ItemPlayerTest, WhatTheDeviceRefusesGoesToTheShell) {
    touch("AUDIO/show.swf");
    startWith({{"show.swf", ""}});
    form().secondMonitorBox.setChecked(true);
    m_monitors.screens = {{0, 0, 1024, 768}, {1024, 0, 800, 600}};
    playRow(1);
    EXPECT_EQ(m_device.calls.front(), "open " + library + "show.swf");
    EXPECT_EQ(state().itemKind, ItemKind::ShellOpened);
    EXPECT_TRUE(state().isPlaying);
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_EQ(m_shell.requests[0].target, library + "show.swf");
    EXPECT_TRUE(m_system->videoWindow().visible());
    EXPECT_EQ(m_system->videoWindow().bounds().left, 1024) << "on the second monitor";
    EXPECT_TRUE(m_system->videoWindow().keyTimer.running()) << "the key timer runs";

    // A launch the desktop refuses leaves nothing playing.
    player().stop();
    m_shell.accepts = false;
    playRow(1);
    EXPECT_FALSE(state().isPlaying);
}

TEST_F(ItemPlayerTest, StopEndsOnlyTheProgramsTheLaunchStarted) {
    touch("AUDIO/doc.txt");
    startWith({{"doc.txt", ""}});
    m_processes.table = {{1, "/sbin/init", 1, false, false},
                         {100, "/usr/bin/viewer", 5, true, false},
                         {200, "/opt/orvessa/orvessa", 6, true, true}};
    playRow(1);
    ASSERT_EQ(state().itemKind, ItemKind::ShellOpened);
    m_processes.start(300, "/usr/bin/xdg-open");
    m_processes.start(301, "/usr/bin/viewer");
    m_processes.start(302, "/usr/bin/viewer");
    m_processes.start(400, "/usr/bin/viewer", false);  // another user's
    player().stop();
    EXPECT_EQ(state().newestProcessName, "viewer");
    EXPECT_EQ(m_processes.terminated, (std::vector<int64_t>{301, 302}));

    // Nothing new since the launch: nothing is terminated, Orvessa least of all.
    m_processes.terminated.clear();
    playRow(1);
    player().stop();
    EXPECT_TRUE(m_processes.terminated.empty());
    // Media items never terminate anything.
    touch("AUDIO/a.mp3");
    form().grid.setCell(3, 1, "a.mp3");
    playRow(1);
    m_processes.start(500, "/usr/bin/viewer");
    player().stop();
    EXPECT_TRUE(m_processes.terminated.empty());
}

TEST_F(ItemPlayerTest, VolumeCellsOutsideOneTo255PlayAt200) {
    touch("AUDIO/a.mp3");
    const std::pair<const char*, int> cases[] = {{"50", 50},   {"255", 255}, {"0", 200}, {"", 200},
                                                 {"256", 200}, {"abc", 200}, {"9", 9}};
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& [cell, v] : cases) {
        rows.emplace_back("a.mp3", cell);
    }
    startWith(rows);
    EXPECT_EQ(m_device.left, 200 * 256) << "the output starts at the slider's volume";
    for (int r = 1; r <= static_cast<int>(std::size(cases)); ++r) {
        playRow(r);
        player().stop();
        const int v = cases[r - 1].second;
        EXPECT_EQ(m_system->optionsDialog().volumeSlider.position(), v) << cases[r - 1].first;
        EXPECT_EQ(m_device.left, v * 256);
        EXPECT_EQ(m_device.right, v * 256);
    }
    // A change of the slider writes into the selected row; no change writes nothing.
    EXPECT_EQ(form().grid.cell(5, 3), "200");
    EXPECT_EQ(form().grid.cell(5, 4), "");
    EXPECT_EQ(form().grid.cell(5, 6), "abc");
}

TEST_F(ItemPlayerTest, FindTellsWhetherTheFileExists) {
    touch("AUDIO/a.mp3");
    touch("AUDIO/d/1.mp3");
    touch("AUDIO/d/2.mp3");
    startWith({{"a.mp3", ""}, {"missing.mp3", ""}, {library + "d/", ""}, {"http://x/a.htm", ""}});
    form().grid.select(3, 1);
    form().findTool.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(m_host.messages[0].text, "文件 " + library + "a.mp3 存在！");
    EXPECT_EQ(m_host.messages[0].caption, "系统信息");

    form().grid.select(3, 2);
    form().findItem.click();
    EXPECT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(state().currentRow, 3);

    form().grid.select(3, 3);
    player().find(3);
    player().find(3);
    EXPECT_EQ(state().nextIndex, 2) << "find on a directory advances its list";

    form().grid.select(3, 4);
    const std::size_t before = m_host.messages.size();
    player().find(4);
    EXPECT_EQ(m_host.messages.size(), before);
    EXPECT_EQ(state().currentRow, 4);
}

TEST_F(ItemPlayerTest, WebAddressesGoToTheBrowser) {
    startWith({{"HTTP://news.example/index.htm", "30"}});
    scheduler::setMode(system::StationTestAccess::session(engine()), form().automaticOperation,
                       playback::OperatingMode::Automatic);
    playRow(1);
    EXPECT_EQ(state().itemKind, ItemKind::WebPage);
    EXPECT_TRUE(state().isPlaying);
    EXPECT_FALSE(state().itemEnded()) << "a page never ends by length";
    EXPECT_EQ(m_system->videoWindow().webBrowser.address(), "HTTP://news.example/index.htm");
    EXPECT_TRUE(m_system->videoWindow().webBrowser.visible());
    EXPECT_TRUE(m_system->videoWindow().visible());
    EXPECT_FALSE(form().visible());
    EXPECT_TRUE(m_device.calls.empty());
    player().stop();
    EXPECT_FALSE(m_system->videoWindow().webBrowser.visible());
    EXPECT_EQ(m_system->optionsDialog().volumeSlider.position(), 30);
}

// A station without a display passes a page over as it passes a missing file: counted as
// playing, a page nobody sees would hold every later row of the day behind it.
TEST_F(ItemPlayerTest, WithoutADisplayAPageIsPassedOverAsAMissingFileIs) {
    pagesShown = false;
    touch("AUDIO/notice.htm");
    startWith({{"HTTP://news.example/index.htm", ""}, {library + "notice.htm", ""}});
    scheduler::setMode(system::StationTestAccess::session(engine()), form().automaticOperation,
                       playback::OperatingMode::Automatic);
    for (int row : {1, 2}) {
        playRow(row);
        EXPECT_FALSE(state().isPlaying) << row;
        EXPECT_EQ(state().itemKind, ItemKind::None) << row;
        EXPECT_FALSE(m_system->videoWindow().visible()) << row;
    }
    EXPECT_TRUE(m_system->videoWindow().webBrowser.address().empty());
    EXPECT_TRUE(m_device.calls.empty());
}

}  // namespace
}  // namespace orvessa::playback

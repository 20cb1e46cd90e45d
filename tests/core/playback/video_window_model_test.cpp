#include <gtest/gtest.h>

#include "core/playback/video_window.h"
#include "core/ui/main_window.h"
#include "fakes/fake_power.h"
#include "fakes/fixed_monitors.h"
#include "fakes/recording_keyboard.h"
#include "fakes/recording_screen_saver_flag.h"
#include "fakes/recording_shell.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"
#include "support/temp_dir.h"

namespace orvessa::playback {
namespace {

using platform::Key;
using Bounds = model::Window::Bounds;

class VideoWindowTest : public ::testing::Test {
protected:
    VideoWindowTest() {
        m_monitors.screens = {{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}};
        m_videoWindow = std::make_unique<VideoWindow>(m_monitors, m_keyboard);
        m_mainWindow = std::make_unique<ui::MainWindow>(
            ui::MainWindowServices{m_host, m_clock, m_shell, m_monitors, m_dir.path(), m_config,
                                   [this] { return m_config.save().ok; }, m_ticker});
        m_mainWindow->videoWindow = m_videoWindow.get();
    }

    testing::TempDir m_dir;
    store::SystemConfig m_config{m_dir.path()};
    fakes::ScriptedHost m_host;
    fakes::SettableClock m_clock;
    fakes::FakePower m_power;
    fakes::RecordingScreenSaverFlag m_screenSaver;
    fakes::RecordingShell m_shell;
    fakes::FixedMonitors m_monitors;
    model::Timer m_ticker{"ticker"};
    fakes::RecordingKeyboard m_keyboard;
    std::unique_ptr<VideoWindow> m_videoWindow;
    std::unique_ptr<ui::MainWindow> m_mainWindow;
};

TEST_F(VideoWindowTest, IsCreatedHiddenOnThePrimaryScreen) {
    EXPECT_FALSE(m_videoWindow->visible());
    EXPECT_EQ(m_videoWindow->caption(), "Orvessa --- 视频播放");
    EXPECT_EQ(m_videoWindow->bounds(), (Bounds{0, 0, 1280, 1024}));
    EXPECT_FALSE(m_videoWindow->videoSurface.visible());
    EXPECT_FALSE(m_videoWindow->keyTimer.running());
}

TEST_F(VideoWindowTest, PlacementTakesThePrimarySizeAtTheChosenMonitor) {
    m_mainWindow->setwindowtomonitor(m_videoWindow.get(), 1, 0, 0);
    EXPECT_EQ(m_videoWindow->bounds(), (Bounds{1280, 0, 1280, 1024}));
    m_mainWindow->setwindowtomonitor(m_videoWindow.get(), 0, 5, 7);
    EXPECT_EQ(m_videoWindow->bounds(), (Bounds{7, 5, 1280, 1024}));
    // A monitor that is not there, or no window: nothing happens.
    m_mainWindow->setwindowtomonitor(m_videoWindow.get(), 2, 0, 0);
    m_mainWindow->setwindowtomonitor(m_videoWindow.get(), -1, 0, 0);
    m_mainWindow->setwindowtomonitor(nullptr, 1, 0, 0);
    EXPECT_EQ(m_videoWindow->bounds(), (Bounds{7, 5, 1280, 1024}));

    m_monitors.screens.resize(1);
    m_mainWindow->setwindowtomonitor(m_videoWindow.get(), 1, 0, 0);
    EXPECT_EQ(m_videoWindow->bounds(), (Bounds{7, 5, 1280, 1024}));
}

TEST_F(VideoWindowTest, SecondMonitorBoxStoresTheEntryAndMovesTheWindow) {
    ASSERT_TRUE(m_config.save());
    m_mainWindow->secondMonitorBox.click();
    EXPECT_EQ(m_config.entry(store::SystemConfig::kSecondMonitor), "1");
    EXPECT_EQ(m_videoWindow->bounds().left, 1280);
    store::SystemConfig onDisk(m_dir.path());
    ASSERT_EQ(onDisk.load(), store::SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(onDisk.entry(store::SystemConfig::kSecondMonitor), "1");

    m_mainWindow->secondMonitorBox.click();
    EXPECT_EQ(m_config.entry(store::SystemConfig::kSecondMonitor), "0");
    EXPECT_EQ(m_videoWindow->bounds(), (Bounds{0, 0, 1280, 1024}));
    ASSERT_EQ(onDisk.load(), store::SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(onDisk.entry(store::SystemConfig::kSecondMonitor), "0");
}

TEST_F(VideoWindowTest, KeyChordsGoOutOnTheFourthTickAndSurviveAStop) {
    m_videoWindow->showWindow();
    m_videoWindow->startKeyTimer();
    EXPECT_TRUE(m_videoWindow->keyTimer.running());
    EXPECT_EQ(m_videoWindow->keyTimer.interval(), 1000);
    m_videoWindow->keyTimer.fire();
    m_videoWindow->keyTimer.fire();
    // What a stop request does to the window leaves the timer alone.
    m_videoWindow->hideWindow();
    m_videoWindow->videoSurface.setVisible(false);
    m_videoWindow->hidePageButton.click();
    m_videoWindow->keyTimer.fire();
    EXPECT_TRUE(m_keyboard.events.empty());
    m_videoWindow->keyTimer.fire();

    using E = fakes::RecordingKeyboard::Event;
    const std::vector<E> expected = {
        {Key::Control, true}, {Key::Home, true},   {Key::Home, false},   {Key::Control, false},
        {Key::Control, true}, {Key::Digit3, true}, {Key::Digit3, false}, {Key::Control, false},
        {Key::Alt, true},     {Key::Enter, true},  {Key::Enter, false},  {Key::Alt, false},
    };
    EXPECT_EQ(m_keyboard.events, expected);
    EXPECT_FALSE(m_videoWindow->keyTimer.running());
    m_videoWindow->keyTimer.fire();
    EXPECT_EQ(m_keyboard.events.size(), expected.size());

    // Started again, it counts from zero.
    m_videoWindow->startKeyTimer();
    for (int i = 0; i < 3; ++i) {
        m_videoWindow->keyTimer.fire();
    }
    EXPECT_EQ(m_keyboard.events.size(), expected.size());
}

TEST_F(VideoWindowTest, ShowPageNavigatesAndHidePageHidesIt) {
    int navigations = 0;
    m_videoWindow->webBrowser.navigated.connect([&] { ++navigations; });
    m_videoWindow->pageAddress = "http://example.org/a.htm";
    m_videoWindow->showPageButton.click();
    EXPECT_EQ(m_videoWindow->webBrowser.address(), "http://example.org/a.htm");
    EXPECT_TRUE(m_videoWindow->webBrowser.visible());
    m_videoWindow->showPageButton.click();
    EXPECT_EQ(navigations, 2) << "showing the same page again reloads it";
    m_videoWindow->hidePageButton.click();
    EXPECT_FALSE(m_videoWindow->webBrowser.visible());
    EXPECT_EQ(m_videoWindow->webBrowser.address(), "http://example.org/a.htm")
        << "the page is kept";
}

}  // namespace
}  // namespace orvessa::playback

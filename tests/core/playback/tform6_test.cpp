#include "core/playback/tform6.h"

#include <gtest/gtest.h>

#include "core/ui/tform1.h"
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
        m_form6 = std::make_unique<TForm6>(m_monitors, m_keyboard);
        m_form1 = std::make_unique<ui::TForm1>(
            ui::MainWindowServices{m_host, m_clock, m_power, m_screenSaver, m_shell, m_monitors,
                                   m_dir.path(), m_dir / "win.ini"});
        m_form1->form6 = m_form6.get();
    }

    testing::TempDir m_dir;
    fakes::ScriptedHost m_host;
    fakes::SettableClock m_clock;
    fakes::FakePower m_power;
    fakes::RecordingScreenSaverFlag m_screenSaver;
    fakes::RecordingShell m_shell;
    fakes::FixedMonitors m_monitors;
    fakes::RecordingKeyboard m_keyboard;
    std::unique_ptr<TForm6> m_form6;
    std::unique_ptr<ui::TForm1> m_form1;
};

TEST_F(VideoWindowTest, IsCreatedHiddenOnThePrimaryScreen) {
    EXPECT_FALSE(m_form6->visible());
    EXPECT_EQ(m_form6->caption(), "Orvessa --- 视频播放");
    EXPECT_EQ(m_form6->bounds(), (Bounds{0, 0, 1280, 1024}));
    EXPECT_FALSE(m_form6->Panel1.visible());
    EXPECT_FALSE(m_form6->Timer1.running());
}

TEST_F(VideoWindowTest, PlacementTakesThePrimarySizeAtTheChosenMonitor) {
    m_form1->setwindowtomonitor(m_form6.get(), 1, 0, 0);
    EXPECT_EQ(m_form6->bounds(), (Bounds{1280, 0, 1280, 1024}));
    m_form1->setwindowtomonitor(m_form6.get(), 0, 5, 7);
    EXPECT_EQ(m_form6->bounds(), (Bounds{7, 5, 1280, 1024}));
    // A monitor that is not there, or no window: nothing happens.
    m_form1->setwindowtomonitor(m_form6.get(), 2, 0, 0);
    m_form1->setwindowtomonitor(m_form6.get(), -1, 0, 0);
    m_form1->setwindowtomonitor(nullptr, 1, 0, 0);
    EXPECT_EQ(m_form6->bounds(), (Bounds{7, 5, 1280, 1024}));

    m_monitors.screens.resize(1);
    m_form1->setwindowtomonitor(m_form6.get(), 1, 0, 0);
    EXPECT_EQ(m_form6->bounds(), (Bounds{7, 5, 1280, 1024}));
}

TEST_F(VideoWindowTest, SecondMonitorBoxStoresTheEntryAndMovesTheWindow) {
    ASSERT_TRUE(m_form1->config.button2Click());
    m_form1->Check2.click();
    EXPECT_EQ(m_form1->config.entry(store::SystemConfig::kSecondMonitor), "1");
    EXPECT_EQ(m_form6->bounds().left, 1280);
    store::SystemConfig onDisk(m_dir.path());
    ASSERT_EQ(onDisk.load(), store::SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(onDisk.entry(store::SystemConfig::kSecondMonitor), "1");

    m_form1->Check2.click();
    EXPECT_EQ(m_form1->config.entry(store::SystemConfig::kSecondMonitor), "0");
    EXPECT_EQ(m_form6->bounds(), (Bounds{0, 0, 1280, 1024}));
    ASSERT_EQ(onDisk.load(), store::SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(onDisk.entry(store::SystemConfig::kSecondMonitor), "0");
}

TEST_F(VideoWindowTest, KeyChordsGoOutOnTheFourthTickAndSurviveAStop) {
    m_form6->showWindow();
    m_form6->startKeyTimer();
    EXPECT_TRUE(m_form6->Timer1.running());
    EXPECT_EQ(m_form6->Timer1.interval(), 1000);
    m_form6->Timer1.fire();
    m_form6->Timer1.fire();
    // What a stop request does to the window leaves the timer alone.
    m_form6->hideWindow();
    m_form6->Panel1.setVisible(false);
    m_form6->st1.click();
    m_form6->Timer1.fire();
    EXPECT_TRUE(m_keyboard.events.empty());
    m_form6->Timer1.fire();

    using E = fakes::RecordingKeyboard::Event;
    const std::vector<E> expected = {
        {Key::Control, true}, {Key::Home, true},   {Key::Home, false},   {Key::Control, false},
        {Key::Control, true}, {Key::Digit3, true}, {Key::Digit3, false}, {Key::Control, false},
        {Key::Alt, true},     {Key::Enter, true},  {Key::Enter, false},  {Key::Alt, false},
    };
    EXPECT_EQ(m_keyboard.events, expected);
    EXPECT_FALSE(m_form6->Timer1.running());
    m_form6->Timer1.fire();
    EXPECT_EQ(m_keyboard.events.size(), expected.size());

    // Started again, it counts from zero.
    m_form6->startKeyTimer();
    for (int i = 0; i < 3; ++i) {
        m_form6->Timer1.fire();
    }
    EXPECT_EQ(m_keyboard.events.size(), expected.size());
}

TEST_F(VideoWindowTest, ShowPageNavigatesAndHidePageHidesIt) {
    int navigations = 0;
    m_form6->Web1.navigated.connect([&] { ++navigations; });
    m_form6->pageAddress = "http://example.org/a.htm";
    m_form6->pl1.click();
    EXPECT_EQ(m_form6->Web1.address(), "http://example.org/a.htm");
    EXPECT_TRUE(m_form6->Web1.visible());
    m_form6->pl1.click();
    EXPECT_EQ(navigations, 2) << "showing the same page again reloads it";
    m_form6->st1.click();
    EXPECT_FALSE(m_form6->Web1.visible());
    EXPECT_EQ(m_form6->Web1.address(), "http://example.org/a.htm") << "the page is kept";
}

}  // namespace
}  // namespace orvessa::playback

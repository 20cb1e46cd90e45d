// A row of a table played through the real media device, from the play request to the stop.

#include <gtest/gtest.h>

#include "backends/gstreamer/gst_media_device.h"
#include "core/desktop/orvessa_system.h"
#include "fakes/fake_platform.h"
#include "media_files.h"
#include "support/temp_dir.h"

namespace orvessa {
namespace {

TEST(ItemPlayerOnGStreamer, PlaysAGeneratedWavFromARowAndStopsIt) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir / "AUDIO");
    const std::string library = dir.path().string() + "/AUDIO/";
    testing::writeToneWav(dir / "AUDIO" / "tone.wav", 44100 * 2);
    std::string config;
    for (int k = 0; k < 27; ++k) {
        config += (k == 6 ? "1" : k == 11 ? library : "0") + std::string("\r\n");
    }
    testing::writeBytes(dir / "orvessa.sys", config);
    testing::writeBytes(dir / "zxsj3.log", "1,,tone,tone.wav,,120,\r\n");

    fakes::FakePlatform platform;
    platform.clock.set({2026, 12, 9, 8, 0, 0});
    backends::GstMediaDevice device(testing::headlessOptions());
    auto system = system::OrvessaSystem::start(platform.services(dir.path(), device, device));
    ASSERT_NE(system, nullptr);
    ui::MainWindow& form = system->mainWindow();
    form.activate();
    form.manualOperation.click();  // manual operation

    form.grid.select(3, 1);
    form.playTool.click();
    EXPECT_EQ(system->engine().session().playback.itemKind, playback::ItemKind::Media);
    EXPECT_TRUE(system->engine().session().playback.isPlaying);
    EXPECT_EQ(system->engine().session().playback.lengthMs, 2000);
    EXPECT_EQ(device.mode(), platform::MediaMode::Playing);
    EXPECT_TRUE(testing::waitUntil([&] { return device.position() > 200; }));
    EXPECT_TRUE(platform.shell.requests.empty());

    form.stopItem.click();
    EXPECT_NE(device.mode(), platform::MediaMode::Playing);
    EXPECT_FALSE(system->engine().session().playback.isPlaying);
    EXPECT_FALSE(system->engine().session().playback.positionMs);
    EXPECT_FALSE(system->engine().session().playback.lengthMs);
}

}  // namespace
}  // namespace orvessa

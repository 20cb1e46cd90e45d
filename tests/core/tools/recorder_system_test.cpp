#include <gtest/gtest.h>

#include "core/desktop/orvessa_system.h"
#include "fakes/fake_platform.h"
#include "support/temp_dir.h"

namespace orvessa::tools {
namespace {

using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

// The recorder's device, apart from the broadcast's.
class TakeDevice : public fakes::FakeMediaDevice {
public:
    void startRecording() override { calls.push_back("record"); }
};

TEST(RecorderInTheSystem, TheToolbarOpensItOnItsOwnDeviceAndClosingListsTheTake) {
    TempDir dir;
    const std::string library = dir.path().string() + "/AUDIO/";
    std::filesystem::create_directory(dir / "AUDIO");
    std::string config;
    for (int k = 0; k < 27; ++k) {
        config += (k == 5 ? "3" : k == 6 ? "1" : k == 11 ? library : "0");
        config += "\r\n";
    }
    writeBytes(dir / "orvessa.sys", config);
    fakes::FakePlatform platform;
    platform.clock.set({2026, 12, 9, 8, 0, 0});
    TakeDevice recorderDevice;
    system::PlatformServices services = platform.services(dir.path());
    services.recordingDevice = &recorderDevice;
    auto system = system::OrvessaSystem::start(services);
    system->mainWindow().setVisible(true);
    system->mainWindow().activate();
    ASSERT_TRUE(system->mainWindow()
                    .manualOperation.click());  // manual operation, where the recorder is offered

    platform.host.onShown("recorderWindow", [](model::Window& w) {
        auto& recorder = static_cast<RecorderWindow&>(w);
        recorder.recordButton.click();
        recorder.closeButton.click();
    });
    ASSERT_TRUE(system->mainWindow().recordTool.click());
    EXPECT_EQ(platform.host.shownModally.back(), "recorderWindow");
    // The take is made beside Temp.wav and put in its place once stopped and saved.
    ASSERT_EQ(recorderDevice.calls.size(), 3U);
    EXPECT_TRUE(recorderDevice.calls[0].starts_with("open " + library + ".Temp.wav."));
    EXPECT_EQ(recorderDevice.calls[2], "stop");
    EXPECT_TRUE(platform.device.calls.empty());
    EXPECT_EQ(system->mainWindow().libraryList.items(), std::vector<std::string>{"Temp.wav"});
}

}  // namespace
}  // namespace orvessa::tools

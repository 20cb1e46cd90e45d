#include <gtest/gtest.h>

#include "backends/gstreamer/media_files.h"
#include "core/tools/recorder_window.h"
#include "fakes/scripted_host.h"

namespace orvessa::testing {
namespace {

using tools::RecorderWindow;

TEST(RecorderOnGStreamer, RecordsATakeInTheChosenFormatAndAuditionsItToItsEnd) {
    TempDir dir;
    fakes::ScriptedHost host;
    backends::GstMediaDevice device(headlessOptions());
    RecorderWindow recorder(device, {host, [&dir] { return dir.path().string() + "/"; }, {}});
    recorder.channelsGroup.setItemIndex(1);
    recorder.sampleBitsGroup.setItemIndex(0);
    recorder.sampleRateGroup.setItemIndex(1);

    recorder.recordButton.click();
    ASSERT_EQ(recorder.state(), RecorderWindow::State::Recording) << host.messages.at(0).text;
    // The ticks read the input as the window's timer would, without depending on its pace.
    ASSERT_TRUE(waitUntil([&] {
        recorder.tickTimer.fire();
        return std::stoll(recorder.lastPosition) >= 1000;
    }));
    recorder.stopButton.click();
    ASSERT_TRUE(host.messages.empty());

    const auto info = backends::readWavInfo(dir / "Temp.wav");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->format.channels, 2);
    EXPECT_EQ(info->format.bitsPerSample, 8);
    EXPECT_EQ(info->format.sampleRate, 22050U);
    const uint32_t perSecond = 2 * 22050;
    EXPECT_GE(info->dataBytes, perSecond);
    EXPECT_LT(info->dataBytes, 30ULL * perSecond);

    // The audition runs until a tick reads the end, then the window is idle again.
    recorder.listenButton.click();
    ASSERT_EQ(recorder.state(), RecorderWindow::State::Auditioning);
    EXPECT_NEAR(std::stod(recorder.endPosition), 1000.0 * info->dataBytes / perSecond, 50);
    ASSERT_TRUE(waitUntil([&] {
        recorder.tickTimer.fire();
        return recorder.state() == RecorderWindow::State::Idle;
    }));
    EXPECT_TRUE(recorder.recordButton.enabled() && recorder.listenButton.enabled());
    EXPECT_TRUE(host.messages.empty());
    // Saving after the audition left the take as it was.
    EXPECT_EQ(backends::readWavInfo(dir / "Temp.wav")->dataBytes, info->dataBytes);
}

}  // namespace
}  // namespace orvessa::testing

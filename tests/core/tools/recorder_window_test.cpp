#include "core/tools/recorder_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "fakes/fake_media_device.h"
#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

namespace orvessa::tools {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
using platform::MessageAnswer;

// The fake device that can also record, and fail to save where a test asks it to.
class RecorderDevice : public fakes::FakeMediaDevice {
public:
    bool failSave = false;
    bool noInput = false;

    void startRecording() override {
        calls.push_back("record");
        if (noInput) {
            throw platform::MediaError("no input");
        }
    }
    void save() override {
        calls.push_back("save");
        if (failSave) {
            throw platform::MediaError("disk full");
        }
    }
    void close() override {
        calls.push_back("close");
        FakeMediaDevice::close();
    }
};

class RecorderWindowTest : public ::testing::Test {
protected:
    std::string library() const { return dir.path().string() + "/"; }
    // The names in the library folder, hidden ones included.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::ranges::sort(names);
        return names;
    }
    // The file the device was last told to open.
    std::string opened() const { return device.fileName(); }
    bool idle() const {
        return recorder.state() == RecorderWindow::State::Idle && recorder.recordButton.enabled() &&
               !recorder.stopButton.enabled() && !recorder.tickTimer.running() &&
               !recorder.indicatorSquare.visible() && !recorder.indicatorDot.visible() &&
               recorder.stateLine.text().empty();
    }

    TempDir dir;
    fakes::ScriptedHost host;
    RecorderDevice device;
    int closings = 0;
    RecorderWindow recorder{device, {host, [this] { return library(); }, [this] { ++closings; }}};
};

TEST(EmptyWavFile, HoldsTheFormatInFortyFourBytes) {
    using namespace std::string_literals;
    EXPECT_EQ(emptyWavFile({1, 8, 11025}),
              "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0"
              "\x11\x2b\0\0\x11\x2b\0\0\1\0\x08\0data\0\0\0\0"s);
    EXPECT_EQ(emptyWavFile({2, 16, 44100}),
              "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\1\0\2\0"
              "\x44\xac\0\0\x10\xb1\x02\0\4\0\x10\0data\0\0\0\0"s);
}

TEST_F(RecorderWindowTest, RecordsIntoTheTrimmedFieldUntilStoppedThenAuditionsToTheEnd) {
    EXPECT_EQ(recorder.fileField.text(), library() + "Temp.wav");
    recorder.channelsGroup.setItemIndex(1);
    recorder.fileField.setText("  " + library() + "Temp.wav  ");
    recorder.recordButton.click();

    // Stereo with the default 16 bits at 11025 Hz, in a take of its own beside the target.
    const std::string take = opened();
    EXPECT_TRUE(take.starts_with(library() + ".Temp.wav.")) << take;
    EXPECT_EQ(readBytes(take), emptyWavFile({2, 16, 11025}));
    EXPECT_EQ(device.calls, (std::vector<std::string>{"open " + take, "record"}));
    EXPECT_EQ(recorder.state(), RecorderWindow::State::Recording);
    EXPECT_FALSE(recorder.recordButton.enabled() || recorder.listenButton.enabled());
    EXPECT_TRUE(recorder.stopButton.enabled() && recorder.indicatorDot.visible());
    recorder.tickTimer.fire();  // the dot blinks; a recording never reaches an end position
    EXPECT_FALSE(recorder.indicatorDot.visible());
    EXPECT_EQ(recorder.state(), RecorderWindow::State::Recording);

    recorder.stopButton.click();
    EXPECT_EQ(device.calls.back(), "close");
    EXPECT_TRUE(idle() && recorder.listenButton.enabled());
    EXPECT_EQ(files(), std::vector<std::string>{"Temp.wav"});
    EXPECT_EQ(readBytes(dir / "Temp.wav"), emptyWavFile({2, 16, 11025}));

    int64_t nowMs = 0;
    device.now = [&nowMs] { return nowMs; };
    device.lengthMs = 1200;
    recorder.listenButton.click();
    EXPECT_EQ(recorder.state(), RecorderWindow::State::Auditioning);
    EXPECT_EQ(recorder.indicatorDot.color(), RecorderWindow::kLime);
    EXPECT_FALSE(recorder.listenButton.enabled());
    for (int tick = 0; tick < 4 && recorder.state() != RecorderWindow::State::Idle; ++tick) {
        nowMs += 500;
        recorder.tickTimer.fire();
    }
    EXPECT_EQ(nowMs, 1500);
    EXPECT_TRUE(idle() && recorder.listenButton.enabled());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(RecorderWindowTest, FailuresToOpenOrSaveAreReportedButAnUnplayableFileIsNot) {
    device.unplayable.insert(".WAV");
    device.noInput = true;
    recorder.recordButton.click();
    EXPECT_TRUE(files().empty());
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].text, "媒体设备初始化失败！");
    EXPECT_TRUE(idle());

    recorder.listenButton.click();  // auditioning the same file fails silently
    EXPECT_TRUE(idle());
    EXPECT_FALSE(recorder.listenButton.enabled());
    EXPECT_EQ(host.messages.size(), 1U);

    device.noInput = false;
    recorder.recordButton.click();
    device.failSave = true;
    recorder.stopButton.click();
    ASSERT_EQ(host.messages.size(), 2U);
    EXPECT_EQ(host.messages[1].text, "保存声音文件出错!");
    EXPECT_TRUE(recorder.recordButton.enabled() && recorder.listenButton.enabled());
    EXPECT_FALSE(recorder.stopButton.enabled() || recorder.tickTimer.running());
    EXPECT_TRUE(recorder.indicatorSquare.visible());
}

TEST_F(RecorderWindowTest, AnotherFileIsReplacedOnlyWhenTheOperatorAgrees) {
    writeBytes(dir / "speech.wav", "keep me");
    recorder.fileField.setText(library() + "speech.wav");
    host.answers = {MessageAnswer::No};
    recorder.recordButton.click();
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(readBytes(dir / "speech.wav"), "keep me");
    EXPECT_TRUE(device.calls.empty());
    EXPECT_TRUE(idle());

    host.answers = {MessageAnswer::Yes};
    recorder.recordButton.click();
    EXPECT_EQ(recorder.state(), RecorderWindow::State::Recording);
    recorder.stopButton.click();
    EXPECT_EQ(readBytes(dir / "speech.wav").size(), 44U);

    // The scratch file is recorded over without asking.
    writeBytes(dir / "Temp.wav", "old take");
    recorder.fileField.setText(library() + "Temp.wav");
    recorder.recordButton.click();
    EXPECT_EQ(host.messages.size(), 2U);
    EXPECT_EQ(recorder.state(), RecorderWindow::State::Recording);
}

// An old recording is replaced only by a take that was stopped and saved: a failed start, a
// failed save or a recorder that never stopped (the program killed) leaves it whole, and takes
// that were never put in place do not pile up.
TEST_F(RecorderWindowTest, AnOldRecordingIsReplacedOnlyByASavedTake) {
    writeBytes(dir / "notice.wav", "old notice");
    recorder.fileField.setText(library() + "notice.wav");

    host.answers = {MessageAnswer::Yes};
    device.noInput = true;
    recorder.recordButton.click();
    EXPECT_EQ(host.messages.back().text, "媒体设备初始化失败！");
    EXPECT_EQ(readBytes(dir / "notice.wav"), "old notice");
    EXPECT_EQ(files(), std::vector<std::string>{"notice.wav"});

    device.noInput = false;
    device.failSave = true;
    host.answers = {MessageAnswer::Yes};
    recorder.recordButton.click();
    recorder.stopButton.click();
    EXPECT_EQ(host.messages.back().text, "保存声音文件出错!");
    EXPECT_EQ(readBytes(dir / "notice.wav"), "old notice");
    EXPECT_EQ(files(), std::vector<std::string>{"notice.wav"});

    // Killed while recording: the take's file stays behind, the old recording is whole.
    device.failSave = false;
    {
        RecorderDevice other;
        RecorderWindow killed{other, {host, [this] { return library(); }, {}}};
        killed.fileField.setText(library() + "notice.wav");
        host.answers = {MessageAnswer::Yes};
        killed.recordButton.click();
        ASSERT_EQ(killed.state(), RecorderWindow::State::Recording);
        std::filesystem::last_write_time(
            other.fileName(),
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
    EXPECT_EQ(readBytes(dir / "notice.wav"), "old notice");
    EXPECT_EQ(files().size(), 2U);

    host.answers = {MessageAnswer::Yes};
    recorder.recordButton.click();
    recorder.stopButton.click();
    EXPECT_EQ(readBytes(dir / "notice.wav"), emptyWavFile(recorder.format()));
    EXPECT_EQ(files(), std::vector<std::string>{"notice.wav"});
}

TEST_F(RecorderWindowTest, ClosingStopsWhatRunsAndRefreshesTheLibrary) {
    // Closed by the close box while recording.
    host.onShown("recorderWindow",
                 [](model::Window& w) { static_cast<RecorderWindow&>(w).recordButton.click(); });
    recorder.showRecorder();
    EXPECT_EQ(device.calls.back(), "close");
    EXPECT_TRUE(idle());
    EXPECT_EQ(closings, 1);

    // Closed by its button while auditioning.
    host.onShown("recorderWindow", [](model::Window& w) {
        auto& r = static_cast<RecorderWindow&>(w);
        r.listenButton.setEnabled(true);
        r.listenButton.click();
        r.closeButton.click();
    });
    device.calls.clear();
    recorder.showRecorder();
    EXPECT_EQ(device.calls, (std::vector<std::string>{"open " + library() + "Temp.wav", "play",
                                                      "stop", "save", "close"}));
    EXPECT_EQ(files(), std::vector<std::string>{"Temp.wav"});
    EXPECT_TRUE(idle());
    EXPECT_EQ(closings, 2);
}

}  // namespace
}  // namespace orvessa::tools

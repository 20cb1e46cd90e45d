#include "core/tools/tdstx.h"

#include <gtest/gtest.h>

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
using platform::MessageIcon;

uint32_t le(const std::string& bytes, std::size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    }
    return value;
}

// The fake device that can also record, and fail where a test asks it to.
class RecorderDevice : public fakes::FakeMediaDevice {
public:
    bool failOpen = false;
    bool failSave = false;

    void open() override {
        if (failOpen) {
            calls.push_back("open " + fileName());
            throw platform::MediaError("busy");
        }
        FakeMediaDevice::open();
    }
    void startRecording() override { calls.push_back("record"); }
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

class TdstxTest : public ::testing::Test {
protected:
    std::string library() const { return dir.path().string() + "/"; }
    bool idle() const {
        return recorder.Button1.enabled() && !recorder.Button2.enabled() &&
               !recorder.Timer1.running() && !recorder.Shape1.visible() &&
               !recorder.Shape2.visible() && recorder.Label1.text().empty();
    }

    TempDir dir;
    fakes::ScriptedHost host;
    RecorderDevice device;
    int closings = 0;
    Tdstx recorder{device, {host, [this] { return library(); }, [this] { ++closings; }}};
};

TEST(EmptyWavFile, HoldsTheFormatInFortyFourBytes) {
    using namespace std::string_literals;
    EXPECT_EQ(emptyWavFile({1, 8, 11025}),
              "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0"
              "\x11\x2b\0\0\x11\x2b\0\0\1\0\x08\0data\0\0\0\0"s);
    const std::string stereo = emptyWavFile({2, 16, 44100});
    EXPECT_EQ(le(stereo, 28, 4), 176400U);
    EXPECT_EQ(le(stereo, 32, 2), 4U);
}

TEST_F(TdstxTest, StartsWithTheDefaultFormatAndTheLibrarysScratchFile) {
    EXPECT_EQ(recorder.Edit1.text(), library() + "Temp.wav");
    const RecordingFormat f = recorder.format();
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.bitsPerSample, 16);
    EXPECT_EQ(f.sampleRate, 11025U);
    recorder.RadioGroup3.setItemIndex(2);
    EXPECT_EQ(recorder.format().sampleRate, 44100U);
    EXPECT_TRUE(idle());
}

TEST_F(TdstxTest, RecordsIntoTheTrimmedFieldUntilStopped) {
    recorder.RadioGroup1.setItemIndex(1);
    recorder.Edit1.setText("  " + library() + "Temp.wav  ");
    recorder.Button1.click();

    EXPECT_EQ(readBytes(dir / "Temp.wav"), emptyWavFile({2, 16, 11025}));
    EXPECT_EQ(device.calls, (std::vector<std::string>{"open " + library() + "Temp.wav", "record"}));
    EXPECT_EQ(recorder.state(), Tdstx::State::Recording);
    EXPECT_FALSE(recorder.Button1.enabled());
    EXPECT_TRUE(recorder.Button2.enabled());
    EXPECT_FALSE(recorder.Button3.enabled());
    EXPECT_EQ(recorder.Label1.text(), "正在录音...");
    EXPECT_EQ(recorder.Shape2.color(), model::kRed);
    EXPECT_TRUE(recorder.Shape1.visible() && recorder.Shape2.visible());
    EXPECT_EQ(recorder.Timer1.interval(), 500);

    // The dot blinks; a recording never reaches an end position.
    recorder.Timer1.fire();
    EXPECT_FALSE(recorder.Shape2.visible());
    recorder.Timer1.fire();
    EXPECT_TRUE(recorder.Shape2.visible());
    EXPECT_EQ(recorder.state(), Tdstx::State::Recording);

    recorder.Button2.click();
    EXPECT_EQ(device.calls.back(), "close");
    EXPECT_EQ(device.calls[device.calls.size() - 2], "save");
    EXPECT_TRUE(idle());
    EXPECT_TRUE(recorder.Button3.enabled());
}

TEST_F(TdstxTest, ADeviceThatCannotOpenLeavesTheHeaderAndSaysSo) {
    device.failOpen = true;
    recorder.Button1.click();

    EXPECT_EQ(readBytes(dir / "Temp.wav").size(), 44U);
    EXPECT_EQ(le(readBytes(dir / "Temp.wav"), 40, 4), 0U);
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].text, "媒体设备初始化失败！");
    EXPECT_EQ(host.messages[0].caption, "错误");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(recorder.Button3.enabled());
}

TEST_F(TdstxTest, AnAuditionEndsByItselfAtTheLength) {
    int64_t nowMs = 0;
    device.now = [&nowMs] { return nowMs; };
    device.lengthMs = 1200;
    recorder.Button3.setEnabled(true);
    recorder.Button3.click();
    EXPECT_EQ(recorder.endPosition, "1200");
    EXPECT_EQ(recorder.Label1.text(), "正在试听...");
    EXPECT_EQ(recorder.Shape2.color(), Tdstx::kLime);
    EXPECT_FALSE(recorder.Button3.enabled());

    for (int tick = 0; tick < 4 && recorder.state() != Tdstx::State::Idle; ++tick) {
        nowMs += 500;
        recorder.Timer1.fire();
    }
    EXPECT_EQ(nowMs, 1500);
    EXPECT_TRUE(idle());
    EXPECT_TRUE(recorder.Button3.enabled());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(TdstxTest, AFileThatCannotPlayEndsTheAuditionSilently) {
    device.failOpen = true;
    recorder.Button3.setEnabled(true);
    recorder.Button3.click();
    EXPECT_TRUE(idle());
    EXPECT_FALSE(recorder.Button3.enabled());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(TdstxTest, ARecordingThatCannotBeSavedSaysSoAndKeepsTheIndicator) {
    recorder.Button1.click();
    device.failSave = true;
    recorder.Button2.click();
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].text, "保存声音文件出错!");
    EXPECT_TRUE(recorder.Button1.enabled() && recorder.Button3.enabled());
    EXPECT_FALSE(recorder.Button2.enabled() || recorder.Timer1.running());
    EXPECT_TRUE(recorder.Shape1.visible());
}

TEST_F(TdstxTest, AnotherFileIsReplacedOnlyWhenTheOperatorAgrees) {
    const std::string speech = library() + "speech.wav";
    writeBytes(dir / "speech.wav", "keep me");
    recorder.Edit1.setText(speech);

    host.answers = {MessageAnswer::No};
    recorder.Button1.click();
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].caption, "系统信息");
    EXPECT_EQ(host.messages[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(readBytes(dir / "speech.wav"), "keep me");
    EXPECT_TRUE(device.calls.empty());
    EXPECT_TRUE(idle());

    host.answers = {MessageAnswer::Yes};
    recorder.Button1.click();
    EXPECT_EQ(readBytes(dir / "speech.wav").size(), 44U);
    EXPECT_EQ(recorder.state(), Tdstx::State::Recording);

    // The scratch file is there to be recorded over.
    recorder.Button2.click();
    writeBytes(dir / "Temp.wav", "old take");
    recorder.Edit1.setText(library() + "Temp.wav");
    recorder.Button1.click();
    EXPECT_EQ(host.messages.size(), 2U);
    EXPECT_EQ(recorder.state(), Tdstx::State::Recording);
}

TEST_F(TdstxTest, ClosingStopsWhatRunsAndRefreshesTheLibrary) {
    // Closed by the close box while recording.
    host.onShown("dstx", [](model::Window& w) { static_cast<Tdstx&>(w).Button1.click(); });
    recorder.showRecorder();
    EXPECT_EQ(host.shownModally, std::vector<std::string>{"dstx"});
    EXPECT_EQ(device.calls.back(), "close");
    EXPECT_TRUE(idle());
    EXPECT_EQ(closings, 1);

    // Closed by its button while auditioning.
    host.onShown("dstx", [](model::Window& w) {
        auto& r = static_cast<Tdstx&>(w);
        r.Button3.setEnabled(true);
        r.Button3.click();
        r.Button4.click();
    });
    device.calls.clear();
    recorder.showRecorder();
    EXPECT_EQ(device.calls, (std::vector<std::string>{"open " + library() + "Temp.wav", "play",
                                                      "stop", "save", "close"}));
    EXPECT_TRUE(idle());
    EXPECT_EQ(closings, 2);
}

TEST_F(TdstxTest, OpeningDisablesStopAndAuditionAndBrowseEnablesAudition) {
    recorder.Button3.setEnabled(true);
    host.onShown("dstx", [this](model::Window&) {
        EXPECT_FALSE(recorder.Button2.enabled() || recorder.Button3.enabled());
        host.fileChoices = {std::nullopt, "/srv/voice.wav"};
        recorder.SpeedButton1.click();
        EXPECT_TRUE(recorder.Button3.enabled());
        EXPECT_EQ(recorder.Edit1.text(), library() + "Temp.wav");
        recorder.SpeedButton1.click();
        EXPECT_EQ(recorder.Edit1.text(), "/srv/voice.wav");
    });
    recorder.showRecorder();
    EXPECT_TRUE(host.fileDialogs.at(0).save);
    EXPECT_EQ(host.fileDialogs.at(0).initialName, "*.wav");
}

TEST(TdstxLibrary, AnUntouchedFieldFollowsTheLibraryKnownAtOpening) {
    fakes::ScriptedHost host;
    RecorderDevice device;
    std::string library;
    Tdstx recorder(device, {host, [&library] { return library; }, {}});
    EXPECT_EQ(recorder.Edit1.text(), "Temp.wav");
    library = "/srv/audio/";
    recorder.showRecorder();
    EXPECT_EQ(recorder.Edit1.text(), "/srv/audio/Temp.wav");

    recorder.Edit1.setText("/srv/mine.wav");
    library = "/srv/other/";
    recorder.showRecorder();
    EXPECT_EQ(recorder.Edit1.text(), "/srv/mine.wav");
}

TEST(AbsentMediaDevice, FailsARecordingAsAMissingSoundDeviceDoes) {
    TempDir dir;
    fakes::ScriptedHost host;
    AbsentMediaDevice device;
    Tdstx recorder(device, {host, [&dir] { return dir.path().string() + "/"; }, {}});
    recorder.Button1.click();
    ASSERT_EQ(host.messages.size(), 1U);
    EXPECT_EQ(host.messages[0].text, "媒体设备初始化失败！");
    EXPECT_EQ(recorder.state(), Tdstx::State::Idle);
}

}  // namespace
}  // namespace orvessa::tools

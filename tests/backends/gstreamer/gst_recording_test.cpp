#include <gtest/gtest.h>

#include "backends/gstreamer/gst_media_device.h"
#include "media_files.h"

namespace orvessa::testing {
namespace {

using backends::GstMediaDevice;
using backends::GstMediaOptions;
using backends::WavFormat;
using platform::MediaError;
using platform::MediaMode;

uint32_t le(const std::string& bytes, std::size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    }
    return value;
}

// The empty file the recorder writes before it records: a 44-byte header of the format.
std::filesystem::path writeEmptyWav(const TempDir& dir, const WavFormat& format) {
    const auto path = dir / "Temp.wav";
    writeBytes(path, backends::makeWavFile(format, ""));
    return path;
}

struct RecordingCase {
    uint16_t channels;
    uint16_t bits;
    uint32_t rate;
};

class GstRecordingTest : public ::testing::TestWithParam<RecordingCase> {};

TEST_P(GstRecordingTest, RecordsASecondInTheOpenedFilesFormatAndSavesAValidWav) {
    const RecordingCase c = GetParam();
    const WavFormat format{1, c.channels, c.rate, c.bits};
    TempDir dir;
    const auto path = writeEmptyWav(dir, format);
    GstMediaDevice device(headlessOptions());
    device.setFileName(path.string());

    device.open();
    EXPECT_EQ(device.length(), 0);
    device.startRecording();
    EXPECT_EQ(device.mode(), MediaMode::Recording);
    ASSERT_TRUE(waitUntil([&] { return device.position() >= 1000; }));
    device.stop();
    EXPECT_EQ(device.mode(), MediaMode::Stopped);
    device.save();
    device.close();
    EXPECT_EQ(device.mode(), MediaMode::NotReady);

    const std::string file = readBytes(path);
    ASSERT_GE(file.size(), 44U);
    const uint32_t dataLength = le(file, 40, 4);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(le(file, 4, 4), file.size() - 8);
    EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le(file, 16, 4), 16U);
    EXPECT_EQ(le(file, 20, 2), 1U);
    EXPECT_EQ(le(file, 22, 2), c.channels);
    EXPECT_EQ(le(file, 24, 4), c.rate);
    EXPECT_EQ(le(file, 28, 4), c.rate * c.channels * c.bits / 8);
    EXPECT_EQ(le(file, 32, 2), c.channels * c.bits / 8U);
    EXPECT_EQ(le(file, 34, 2), c.bits);
    EXPECT_EQ(file.substr(36, 4), "data");
    EXPECT_EQ(file.size(), 44 + dataLength + (dataLength & 1U));
    EXPECT_EQ(dataLength % (c.channels * c.bits / 8U), 0U);
    // At least the second waited for, and not wildly more.
    const uint32_t bytesPerSecond = c.rate * c.channels * c.bits / 8;
    EXPECT_GE(dataLength, bytesPerSecond);
    EXPECT_LT(dataLength, 10 * bytesPerSecond);

    // The framework reads the saved file as a sound of that length.
    device.open();
    EXPECT_NEAR(static_cast<double>(device.length()), 1000.0 * dataLength / bytesPerSecond, 50);
}

INSTANTIATE_TEST_SUITE_P(Formats, GstRecordingTest,
                         ::testing::Values(RecordingCase{1, 8, 11025}, RecordingCase{2, 16, 44100}),
                         [](const ::testing::TestParamInfo<RecordingCase>& test) {
                             const RecordingCase& c = test.param;
                             return std::string(c.channels == 1 ? "Mono" : "Stereo") +
                                    std::to_string(c.bits) + "Bit" + std::to_string(c.rate);
                         });

TEST(GstRecording, AnEmptyRecordingFileOpensAndAuditionsAsSilenceAtItsEnd) {
    TempDir dir;
    const auto path = writeEmptyWav(dir, WavFormat{1, 1, 11025, 8});
    GstMediaDevice device(headlessOptions());
    device.setFileName(path.string());

    device.open();
    device.play();
    EXPECT_NE(device.mode(), MediaMode::Playing);
    EXPECT_EQ(device.position(), device.length());
}

TEST(GstRecording, AnInputThatCannotStartFailsAndLeavesNothingRunning) {
    TempDir dir;
    const auto path = writeEmptyWav(dir, WavFormat{1, 2, 44100, 16});
    for (const char* source :
         {"alsasrc device=orvessa-no-such-device", "orvessa-no-such-element"}) {
        SCOPED_TRACE(source);
        GstMediaOptions options = headlessOptions();
        options.recordingSource = source;
        GstMediaDevice device(options);
        device.setFileName(path.string());
        device.open();

        EXPECT_THROW(device.startRecording(), MediaError);
        EXPECT_EQ(device.mode(), MediaMode::Stopped);
        EXPECT_EQ(device.position(), 0);
        // Nothing was recorded, so nothing is written.
        device.save();
    }
    EXPECT_EQ(readBytes(path).size(), 44U);
}

TEST(GstRecording, SavingAfterAnAuditionKeepsTheFileAsItWas) {
    TempDir dir;
    const auto path = dir / "tone.wav";
    writeToneWav(path, 4410);
    const std::string before = readBytes(path);
    GstMediaDevice device(headlessOptions());
    device.setFileName(path.string());

    device.open();
    device.play();
    device.stop();
    EXPECT_NO_THROW(device.save());
    device.close();
    EXPECT_EQ(readBytes(path), before);
}

}  // namespace
}  // namespace orvessa::testing

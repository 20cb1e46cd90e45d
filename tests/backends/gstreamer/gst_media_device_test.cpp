#include "backends/gstreamer/gst_media_device.h"

#include <gtest/gtest.h>

#include "core/store/ini_profile.h"
#include "fakes/recording_failure_record.h"
#include "media_files.h"

namespace orvessa::testing {
namespace {

using backends::GstMediaDevice;
using backends::GstMediaOptions;
using platform::MediaError;
using platform::MediaMode;

constexpr uint32_t kOneAndAHalfSeconds = 66150;  // frames at 44100 Hz

void openFile(GstMediaDevice& device, const std::filesystem::path& path) {
    device.setFileName(path.string());
    device.open();
}

// Plays from the start; the positions read on the way rise, never pass the length, and reach it
// exactly at the end, where the mode stops being Playing.
void expectPlaysToExactlyItsEnd(GstMediaDevice& device) {
    const int64_t length = device.length();
    device.play();
    EXPECT_EQ(device.mode(), MediaMode::Playing);
    int64_t last = 0;
    bool rising = true;
    bool withinLength = true;
    const bool reachedEnd = waitUntil([&] {
        const int64_t position = device.position();
        rising = rising && position >= last;
        withinLength = withinLength && position <= length;
        last = position;
        return position == length;
    });
    ASSERT_TRUE(reachedEnd) << "stuck at " << last << " of " << length;
    EXPECT_TRUE(rising);
    EXPECT_TRUE(withinLength);
    EXPECT_NE(device.mode(), MediaMode::Playing);
    EXPECT_EQ(device.length(), length);
    EXPECT_EQ(device.position(), length);
}

void expectNothingOpen(const GstMediaDevice& device) {
    EXPECT_EQ(device.mode(), MediaMode::NotReady);
    EXPECT_EQ(device.position(), 0);
    EXPECT_THROW(device.length(), MediaError);
    EXPECT_EQ(device.pipeline(), nullptr);
}

double pipelineVolume(const GstMediaDevice& device) {
    double volume = -1;
    g_object_get(device.pipeline(), "volume", &volume, nullptr);
    return volume;
}

class GstMediaDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { writeToneWav(m_wav, kOneAndAHalfSeconds); }

    TempDir m_dir;
    std::filesystem::path m_wav = m_dir / "tone.wav";
    GstMediaDevice m_device{headlessOptions()};
};

TEST_F(GstMediaDeviceTest, WavKnowsItsLengthAtOnceAndPlaysToExactlyItsEnd) {
    openFile(m_device, m_wav);
    EXPECT_EQ(m_device.length(), 1500);
    EXPECT_EQ(m_device.position(), 0);
    EXPECT_EQ(m_device.mode(), MediaMode::Stopped);
    EXPECT_FALSE(m_device.hasPicture());

    expectPlaysToExactlyItsEnd(m_device);

    // At the end a further play has nothing left to play.
    m_device.play();
    EXPECT_NE(m_device.mode(), MediaMode::Playing);
    EXPECT_EQ(m_device.position(), 1500);
    // The ended sound's pipeline is gone already, so the next open does not wait to take it
    // down; the item still reads as open, at its end.
    EXPECT_EQ(m_device.pipeline(), nullptr);
    EXPECT_EQ(m_device.length(), 1500);
}

TEST_F(GstMediaDeviceTest, Mp3WithoutLengthHeaderKnowsALengthAtOnceAndEndsExactlyOnIt) {
    if (!hasElement("lamemp3enc")) {
        GTEST_SKIP() << "no MP3 encoder";
    }
    // Variable bitrate without a Xing header: the length can only be estimated.
    const auto mp3 = m_dir / "tone.mp3";
    ASSERT_TRUE(
        encode("audiotestsrc num-buffers=150 samplesperbuffer=441 ! "
               "audio/x-raw,rate=44100,channels=2 ! audioconvert ! lamemp3enc ! "
               "filesink name=out",
               mp3));
    openFile(m_device, mp3);
    EXPECT_GT(m_device.length(), 1200);
    EXPECT_LT(m_device.length(), 2000);
    expectPlaysToExactlyItsEnd(m_device);
}

TEST_F(GstMediaDeviceTest, StopHoldsThePositionAndPlayGoesOnFromIt) {
    const auto longWav = m_dir / "long.wav";
    writeToneWav(longWav, 10 * 44100);
    openFile(m_device, longWav);
    m_device.play();
    ASSERT_TRUE(waitUntil([&] { return m_device.position() >= 300; }));

    m_device.stop();
    EXPECT_EQ(m_device.mode(), MediaMode::Stopped);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int64_t held = m_device.position();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(m_device.position(), held);
    EXPECT_GE(held, 300);

    m_device.play();
    EXPECT_EQ(m_device.mode(), MediaMode::Playing);
    EXPECT_GE(m_device.position(), held);
    EXPECT_TRUE(waitUntil([&] { return m_device.position() > held; }));
    m_device.stop();
}

TEST_F(GstMediaDeviceTest, ReopenStartsAfreshAndTheOldPipelineSaysNothingMore) {
    const auto shortWav = m_dir / "short.wav";
    writeToneWav(shortWav, 4410);
    openFile(m_device, shortWav);
    m_device.play();
    // Its end of stream waits unread on the old bus.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    openFile(m_device, m_wav);
    EXPECT_EQ(m_device.length(), 1500);
    EXPECT_EQ(m_device.position(), 0);
    EXPECT_EQ(m_device.mode(), MediaMode::Stopped);
    m_device.play();
    EXPECT_EQ(m_device.mode(), MediaMode::Playing);
    EXPECT_LT(m_device.position(), 1500);
    m_device.stop();
}

TEST_F(GstMediaDeviceTest, APreparedSoundIsReadyWhenItsOpenComesAndNothingPlayingIsTakenAway) {
    const auto other = m_dir / "other.wav";
    writeToneWav(other, 4410);
    // While a sound plays, nothing is prepared over it.
    openFile(m_device, other);
    m_device.play();
    GstElement* const playing = m_device.pipeline();
    m_device.prepare(m_wav.string());
    EXPECT_EQ(m_device.pipeline(), playing);
    EXPECT_EQ(m_device.mode(), MediaMode::Playing);
    m_device.close();

    m_device.prepare(m_wav.string());
    GstElement* const prepared = m_device.pipeline();
    ASSERT_NE(prepared, nullptr);
    openFile(m_device, m_wav);
    EXPECT_EQ(m_device.pipeline(), prepared) << "the open found it ready";
    EXPECT_EQ(m_device.length(), 1500);
    expectPlaysToExactlyItsEnd(m_device);

    // A sound that has ended gives way to the next one's.
    m_device.prepare(other.string());
    GstElement* const next = m_device.pipeline();
    ASSERT_NE(next, nullptr);
    openFile(m_device, other);
    EXPECT_EQ(m_device.pipeline(), next);

    // Another file's open does not take what was prepared for the first.
    m_device.close();
    m_device.prepare(m_wav.string());
    openFile(m_device, other);
    EXPECT_EQ(m_device.length(), 100);
    m_device.prepare((m_dir / "gone.wav").string());
    m_device.close();
    expectNothingOpen(m_device);
}

TEST(GstMediaDevicePrepare, AFileThatCannotOpenIsRecordedAndItsOpenStillFails) {
    TempDir dir;
    writeBytes(dir / "text.mp3", "This is a text file, not an MP3.\r\n");
    fakes::RecordingFailureRecord failures;
    GstMediaOptions options = headlessOptions();
    options.failures = &failures;
    GstMediaDevice device(options);

    for (const char* name : {"text.mp3", "missing.wav"}) {
        SCOPED_TRACE(name);
        failures.failures.clear();
        const std::string path = (dir / name).string();
        device.prepare(path);
        ASSERT_EQ(failures.failures.size(), 1u);
        const platform::Failure& failure = failures.failures.front();
        EXPECT_EQ(failure.what, "item not prepared");
        EXPECT_EQ(failure.detail.rfind(path + ": ", 0), 0u) << failure.detail;
        EXPECT_GT(failure.detail.size(), path.size() + 2) << "it says why";
        EXPECT_EQ(failure.row, 0);
        expectNothingOpen(device);
        // Nothing was kept for it, so its own open fails as it would have.
        EXPECT_THROW(openFile(device, dir / name), MediaError);
    }

    // A file that opens leaves no record.
    failures.failures.clear();
    writeToneWav(dir / "tone.wav", 4410);
    device.prepare((dir / "tone.wav").string());
    EXPECT_TRUE(failures.failures.empty());
}

TEST_F(GstMediaDeviceTest, FailedOpenLeavesNothingOpen) {
    writeBytes(m_dir / "text.mp3", "This is a text file, not an MP3.\r\n");
    writeBytes(m_dir / "noise.wav", std::string(4000, '\x5A'));
    std::filesystem::create_directory(m_dir / "folder.mp3");
    for (const char* name : {"text.mp3", "noise.wav", "missing.mp3", "folder.mp3"}) {
        SCOPED_TRACE(name);
        openFile(m_device, m_wav);
        m_device.play();

        m_device.setFileName((m_dir / name).string());
        try {
            m_device.open();
            ADD_FAILURE() << "opened";
        } catch (const MediaError& error) {
            EXPECT_STRNE(error.what(), "");
        }
        expectNothingOpen(m_device);
        m_device.play();
        EXPECT_EQ(m_device.mode(), MediaMode::NotReady);
    }
}

TEST(GstMediaDeviceTimeout, AnOpenThatNeverGetsReadyFailsWithinItsTime) {
    TempDir dir;
    writeToneWav(dir / "tone.wav", kOneAndAHalfSeconds);
    GstMediaOptions options = headlessOptions();
    // The sink never sees a sample, so the media never becomes ready.
    options.audioSink = "valve drop=true ! fakesink";
    options.openTimeout = std::chrono::milliseconds(300);
    GstMediaDevice device(options);

    EXPECT_THROW(openFile(device, dir / "tone.wav"), MediaError);
    expectNothingOpen(device);
}

TEST(GstMediaDeviceDat, DatOpensAsMpegVideoOnlyWhenTheProfileMapsIt) {
    TempDir dir;
    const auto clip = dir / "clip.dat";
    const char* const encoders[] = {
        "videotestsrc num-buffers=25 ! video/x-raw,width=352,height=288,framerate=25/1,"
        "format=I420 ! mpeg2enc format=1 ! mpegvideoparse ! mpegpsmux ! filesink name=out",
        "videotestsrc num-buffers=25 ! video/x-raw,width=352,height=288,framerate=25/1,"
        "format=I420 ! avenc_mpeg1video ! mpegvideoparse ! mpegpsmux ! filesink name=out",
    };
    if (!std::any_of(std::begin(encoders), std::end(encoders),
                     [&](const char* encoder) { return encode(encoder, clip); })) {
        GTEST_SKIP() << "no MPEG video encoder";
    }

    GstMediaOptions options = headlessOptions();
    options.mediaProfile = dir / "win.ini";
    GstMediaDevice device(options);
    EXPECT_THROW(openFile(device, clip), MediaError);
    expectNothingOpen(device);

    ASSERT_TRUE(
        store::ProfileFile(options.mediaProfile).writeString("mci extensions", "dat", "MPEGVideo"));
    openFile(device, clip);
    EXPECT_TRUE(device.hasPicture());
    EXPECT_GT(device.length(), 0);
    // The multiplexer leaves the length untold, so this also ends on an estimated length.
    expectPlaysToExactlyItsEnd(device);
}

TEST_F(GstMediaDeviceTest, VolumeIsTheLouderChannelAndHoldsAcrossOpens) {
    m_device.setVolume(0, 32768);
    openFile(m_device, m_wav);
    EXPECT_NEAR(pipelineVolume(m_device), 0.5, 0.001);
    openFile(m_device, m_wav);
    EXPECT_NEAR(pipelineVolume(m_device), 0.5, 0.001);

    m_device.setVolume(65535, 0);
    EXPECT_DOUBLE_EQ(pipelineVolume(m_device), 1.0);
    m_device.setVolume(0, 0);
    EXPECT_DOUBLE_EQ(pipelineVolume(m_device), 0.0);
}

TEST(GstMediaDeviceSoundOutput, AnOutputThatCannotStartIsReplacedBySilenceInRealTime) {
    TempDir dir;
    writeToneWav(dir / "tone.wav", kOneAndAHalfSeconds);
    GstMediaOptions options = headlessOptions();
    options.audioSink = "alsasink device=orvessa-no-such-device";
    GstMediaDevice device(options);

    openFile(device, dir / "tone.wav");
    EXPECT_FALSE(backends::gst::containsFactory(device.pipeline(), "alsasink"));
    EXPECT_TRUE(backends::gst::containsFactory(device.pipeline(), "fakesink"));
    device.play();
    EXPECT_TRUE(waitUntil([&] { return device.position() > 0; }));
}

}  // namespace
}  // namespace orvessa::testing

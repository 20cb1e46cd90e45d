// The service's broadcast device: a film's sound plays, and its picture, which has no window to
// go to, is recorded as not shown; a sound file is recorded as nothing.

#include <gtest/gtest.h>

#include "backends/gstreamer/media_files.h"
#include "fakes/recording_failure_record.h"
#include "station/station_platform.h"

namespace orvessa::station {
namespace {

TEST(SoundOnlyDevice, RecordsTheFilmsPictureAsNotShownAndNothingForASound) {
    testing::TempDir dir;
    const auto film = dir / "film.avi";
    if (!testing::encode("videotestsrc num-buffers=10 ! video/x-raw,width=64,height=48,"
                         "framerate=10/1 ! jpegenc ! avimux ! filesink name=out",
                         film)) {
        GTEST_SKIP() << "no JPEG encoder or AVI multiplexer";
    }
    const auto bell = dir / "bell.wav";
    testing::writeToneWav(bell, 4410);
    fakes::RecordingFailureRecord record;
    SoundOnlyDevice device(testing::headlessOptions(), &record);

    device.setFileName(bell.string());
    device.open();
    EXPECT_TRUE(record.failures.empty());
    device.close();

    device.setFileName(film.string());
    device.open();
    ASSERT_EQ(record.failures.size(), 1u);
    EXPECT_EQ(record.failures[0].what, "picture not shown");
    EXPECT_NE(record.failures[0].detail.find("film.avi"), std::string::npos);
    device.close();
}

}  // namespace
}  // namespace orvessa::station

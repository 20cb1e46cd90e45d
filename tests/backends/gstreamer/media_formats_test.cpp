// Every common format, made by GStreamer's own encoders, opened through the media device: its
// length is what a decoder reaches, and it plays to exactly that end.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/store/ini_profile.h"
#include "media_files.h"

namespace orvessa::testing {
namespace {

using backends::GstMediaDevice;
using platform::MediaError;
using platform::MediaMode;
namespace gst = backends::gst;

// 4.7 s of sound alone; 3 s of sound and picture in the films, to keep the real-time play short.
const std::string kSound =
    "audiotestsrc num-buffers=470 samplesperbuffer=441 ! audio/x-raw,rate=44100,channels=2 ! "
    "audioconvert";
const std::string kSound48k =
    "audiotestsrc num-buffers=470 samplesperbuffer=480 ! audio/x-raw,rate=48000,channels=2 ! "
    "audioconvert";
const std::string kFilmSound =
    "audiotestsrc num-buffers=300 samplesperbuffer=441 ! audio/x-raw,rate=44100,channels=2 ! "
    "audioconvert";
const std::string kFilmSound48k =
    "audiotestsrc num-buffers=300 samplesperbuffer=480 ! audio/x-raw,rate=48000,channels=2 ! "
    "audioconvert";
const std::string kPicture =
    "videotestsrc num-buffers=75 ! video/x-raw,width=160,height=120,framerate=25/1,format=I420";
constexpr int64_t kTolerance = 100;  // ms

struct Format {
    const char* name;
    const char* file;
    std::string encoder;  // ends in "filesink name=out", or feeds "mux."
    bool picture = false;
    // The MPEG-4 video encoder of this GStreamer stamps every frame with an invalid time, and a
    // muxer then writes a film one frame long; the frames go out with their true times instead.
    bool restamp = false;
};

std::string film(const std::string& video, const std::string& muxer, const std::string& audio) {
    return kPicture + " ! " + video + " ! " + muxer + " name=mux ! filesink name=out " + audio +
           " ! mux.";
}

std::vector<Format> formats() {
    const std::string mpeg4 = "avenc_mpeg4 name=restamp";
    // This GStreamer's avenc_mpeg1video refuses every frame rate; mjpegtools' encoder makes
    // MPEG-1 as well.
    const std::string mpeg1 = "mpeg2enc format=0 ! mpegvideoparse";
    const std::string mp2 = kFilmSound + " ! avenc_mp2 ! mpegaudioparse";
    const std::string aac = kFilmSound + " ! avenc_aac";
    const std::string mp3 = kFilmSound + " ! lamemp3enc ! mpegaudioparse";
    return {
        {"MP3 CBR", "cbr.mp3",
         kSound + " ! lamemp3enc target=bitrate cbr=true bitrate=128 ! filesink name=out"},
        {"MP3 VBR with ID3v2 tag", "vbr.mp3",
         kSound + " ! lamemp3enc target=quality quality=4 ! taginject tags=title=Bell ! "
                  "id3v2mux ! filesink name=out"},
        {"WAV", "pcm.wav", kSound + " ! wavenc ! filesink name=out"},
        {"WMA", "wmav2.wma", kSound + " ! avenc_wmav2 ! asfmux ! filesink name=out"},
        {"Ogg Vorbis", "vorbis.ogg", kSound + " ! vorbisenc ! oggmux ! filesink name=out"},
        {"Opus", "ogg.opus", kSound48k + " ! opusenc ! oggmux ! filesink name=out"},
        {"FLAC", "lossless.flac", kSound + " ! flacenc ! filesink name=out"},
        {"AAC ADTS", "adts.aac",
         kSound + " ! avenc_aac ! aacparse ! audio/mpeg,stream-format=adts ! filesink name=out"},
        {"M4A", "aac.m4a", kSound + " ! avenc_aac ! mp4mux ! filesink name=out"},
        {"AC-3", "dolby.ac3", kSound + " ! avenc_ac3 ! filesink name=out"},
        {"MP2", "layer2.mp2", kSound + " ! avenc_mp2 ! filesink name=out"},
        {"AVI MPEG-4", "mpeg4.avi", film(mpeg4, "avimux", mp3), true, true},
        {"MPG MPEG-1", "mpeg1.mpg", film(mpeg1, "mpegpsmux", mp2), true},
        {"DAT MPEG-1", "vcd.dat", film(mpeg1, "mpegpsmux", mp2), true},
        {"MP4 H.264", "h264.mp4", film("x264enc", "mp4mux", aac), true},
        {"MOV H.264", "h264.mov", film("x264enc", "qtmux", aac), true},
        {"MP4 MPEG-4", "mpeg4.mp4", film(mpeg4, "mp4mux", aac), true, true},
        {"MOV MPEG-4", "mpeg4.mov", film(mpeg4, "qtmux", aac), true, true},
        {"WMV", "wmv2.wmv", film("avenc_wmv2", "asfmux", kFilmSound + " ! avenc_wmav2"), true},
        {"FLV H.264", "h264.flv", film("x264enc", "flvmux", mp3), true},
        {"FLV Sorenson", "sorenson.flv", film("avenc_flv", "flvmux", mp3), true},
        {"WebM VP8", "vp8.webm", film("vp8enc deadline=1", "webmmux", kFilmSound + " ! vorbisenc"),
         true},
        {"WebM VP9", "vp9.webm", film("vp9enc deadline=1", "webmmux", kFilmSound48k + " ! opusenc"),
         true},
    };
}

// Stamps each frame from the element's output with the start of its segment plus the frames
// before it, as an encoder without reordering would.
GstPadProbeReturn restampFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto& frames = *static_cast<uint64_t*>(data);
    GstClockTime start = 0;
    if (GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0)) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        start = segment->start;
        gst_event_unref(event);
    }
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GST_BUFFER_PTS(buffer) = start + frames++ * GST_BUFFER_DURATION(buffer);
    GST_BUFFER_DTS(buffer) = GST_BUFFER_PTS(buffer);
    return GST_PAD_PROBE_OK;
}

// Runs a pipeline to its end; the error text, empty on success.
std::string runToEnd(GstElement* pipeline) {
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    gst::Ref<GstBus> bus(gst_element_get_bus(pipeline));
    gst::Message end(gst_bus_timed_pop_filtered(
        bus.get(), 60 * GST_SECOND,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (!end) {
        return "did not end within 60 s";
    }
    return GST_MESSAGE_TYPE(end.get()) == GST_MESSAGE_ERROR ? gst::errorText(end.get()) : "";
}

std::string encodeFile(const Format& format, const std::filesystem::path& path) {
    gst::Ref<GstElement> pipeline;
    try {
        pipeline = gst::makePipeline(format.encoder);
    } catch (const MediaError& error) {
        return std::string("cannot make the encoder (is its package installed?): ") + error.what();
    }
    gst::Ref<GstElement> out(gst_bin_get_by_name(GST_BIN(pipeline.get()), "out"));
    g_object_set(out.get(), "location", path.c_str(), nullptr);
    uint64_t frames = 0;
    if (format.restamp) {
        gst::Ref<GstElement> encoder(gst_bin_get_by_name(GST_BIN(pipeline.get()), "restamp"));
        GstPad* src = gst_element_get_static_pad(encoder.get(), "src");
        gst_pad_add_probe(src, GST_PAD_PROBE_TYPE_BUFFER, restampFrame, &frames, nullptr);
        gst_object_unref(src);
    }
    const std::string error = runToEnd(pipeline.get());
    gst::shutDown(pipeline);
    return error.empty() ? "" : "encoding failed: " + error;
}

// What GStreamer decodes from a file, in the stream time that the position reads: the latest end
// of a decoded buffer over all its streams. Milliseconds, or nothing when decoding fails.
class DecodedEnd {
public:
    std::optional<int64_t> of(const std::filesystem::path& path) {
        gst::Ref<GstElement> pipeline =
            gst::makePipeline("filesrc name=in ! decodebin name=decoder");
        gst::Ref<GstElement> in(gst_bin_get_by_name(GST_BIN(pipeline.get()), "in"));
        g_object_set(in.get(), "location", path.c_str(), nullptr);
        gst::Ref<GstElement> decoder(gst_bin_get_by_name(GST_BIN(pipeline.get()), "decoder"));
        m_pipeline = pipeline.get();
        g_signal_connect(decoder.get(), "pad-added", G_CALLBACK(&DecodedEnd::padAdded), this);
        const std::string error = runToEnd(pipeline.get());
        gst::shutDown(pipeline);
        std::lock_guard lock(m_mutex);
        if (!error.empty() || m_end == 0) {
            return std::nullopt;
        }
        return static_cast<int64_t>(m_end / GST_MSECOND);
    }

private:
    static void padAdded(GstElement*, GstPad* pad, gpointer self) {
        auto* me = static_cast<DecodedEnd*>(self);
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", FALSE, nullptr);
        gst_bin_add(GST_BIN(me->m_pipeline), sink);
        gst_element_sync_state_with_parent(sink);
        gst_pad_add_probe(pad,
                          static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                       GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                          &DecodedEnd::seen, self, nullptr);
        GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
        gst_pad_link(pad, sinkPad);
        gst_object_unref(sinkPad);
    }

    static GstPadProbeReturn seen(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
        auto* me = static_cast<DecodedEnd*>(self);
        std::lock_guard lock(me->m_mutex);
        if ((info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) != 0) {
            GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
            if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
                const GstSegment* segment = nullptr;
                gst_event_parse_segment(event, &segment);
                me->m_segments[pad] = *segment;
            }
            return GST_PAD_PROBE_OK;
        }
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        const auto segment = me->m_segments.find(pad);
        if (segment != me->m_segments.end() && GST_BUFFER_PTS_IS_VALID(buffer)) {
            const GstClockTime end =
                GST_BUFFER_PTS(buffer) +
                (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0);
            const guint64 streamEnd =
                gst_segment_to_stream_time(&segment->second, GST_FORMAT_TIME, end);
            if (streamEnd != GST_CLOCK_TIME_NONE) {
                me->m_end = std::max(me->m_end, streamEnd);
            }
        }
        return GST_PAD_PROBE_OK;
    }

    GstElement* m_pipeline = nullptr;
    std::mutex m_mutex;
    std::map<GstPad*, GstSegment> m_segments;
    guint64 m_end = 0;
};

struct Outcome {
    std::string failure;  // why the format could not be checked at all
    std::optional<int64_t> decoded;
    int64_t length = -1;
    bool picture = false;
    int64_t lastPosition = -1;
    bool risingWithinLength = true;
    bool ended = false;
};

Outcome check(const Format& format, const TempDir& dir) {
    Outcome outcome;
    const auto path = dir / format.file;
    outcome.failure = encodeFile(format, path);
    if (!outcome.failure.empty()) {
        return outcome;
    }
    outcome.decoded = DecodedEnd().of(path);
    backends::GstMediaOptions options = headlessOptions();
    options.mediaProfile = dir / "win.ini";
    GstMediaDevice device(options);
    device.setFileName(path.string());
    try {
        device.open();
    } catch (const MediaError& error) {
        outcome.failure = std::string("the device refused it: ") + error.what();
        return outcome;
    }
    outcome.length = device.length();
    outcome.picture = device.hasPicture();
    device.play();
    int64_t last = 0;
    outcome.ended = waitUntil(
        [&] {
            const int64_t position = device.position();
            outcome.risingWithinLength =
                outcome.risingWithinLength && position >= last && position <= outcome.length;
            last = position;
            return device.mode() != MediaMode::Playing;
        },
        std::chrono::seconds(60));
    outcome.lastPosition = device.position();
    return outcome;
}

TEST(MediaFormats, EveryFormatKnowsTheLengthItDecodesToAndPlaysToExactlyItsEnd) {
    TempDir dir;
    // ".dat" plays as MPEG video only where the multimedia profile says so.
    ASSERT_TRUE(
        store::ProfileFile(dir / "win.ini").writeString("mci extensions", "dat", "MPEGVideo"));
    const std::vector<Format> table = formats();
    std::vector<Outcome> outcomes(table.size());
    // Most of the time goes into playing in real time, so a few formats play at once.
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w) {
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < table.size(); i = next++) {
                try {
                    outcomes[i] = check(table[i], dir);
                } catch (const std::exception& error) {
                    outcomes[i].failure = error.what();
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }

    for (std::size_t i = 0; i < table.size(); ++i) {
        const Format& format = table[i];
        const Outcome& outcome = outcomes[i];
        SCOPED_TRACE(format.name);
        if (!outcome.failure.empty()) {
            ADD_FAILURE() << format.name << ": " << outcome.failure;
            continue;
        }
        if (!outcome.decoded) {
            ADD_FAILURE() << "GStreamer cannot decode " << format.file;
            continue;
        }
        EXPECT_GT(*outcome.decoded, 2500);
        EXPECT_NEAR(outcome.length, *outcome.decoded, kTolerance);
        EXPECT_EQ(outcome.picture, format.picture);
        EXPECT_TRUE(outcome.ended) << "still playing at " << outcome.lastPosition;
        EXPECT_EQ(outcome.lastPosition, outcome.length);
        EXPECT_TRUE(outcome.risingWithinLength);
    }
}

TEST(MediaFormats, StillPicturesAreRefused) {
    struct Still {
        const char* encoder;
        const char* file;
    };
    TempDir dir;
    GstMediaDevice device(headlessOptions());
    for (const Still& still : {Still{"jpegenc", "still.jpg"}, Still{"pngenc", "still.png"}}) {
        SCOPED_TRACE(still.file);
        ASSERT_TRUE(encode("videotestsrc num-buffers=1 ! video/x-raw,width=160,height=120 ! " +
                               std::string(still.encoder) + " ! filesink name=out",
                           dir / still.file))
            << "cannot encode with " << still.encoder;
        device.setFileName((dir / still.file).string());
        EXPECT_THROW(device.open(), MediaError);
        EXPECT_EQ(device.mode(), MediaMode::NotReady);
        EXPECT_EQ(device.pipeline(), nullptr);
    }
}

}  // namespace
}  // namespace orvessa::testing

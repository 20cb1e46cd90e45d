#include "backends/gstreamer/gst_media_device.h"

#include <gst/app/gstappsink.h>
#include <gst/base/gsttypefindhelper.h>
#include <gst/video/videooverlay.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

#include "backends/gstreamer/gst_support.h"
#include "backends/gstreamer/mp3_length.h"
#include "backends/gstreamer/stream_length.h"
#include "backends/gstreamer/wav_file.h"
#include "core/store/file_io.h"
#include "core/store/ini_profile.h"

namespace orvessa::backends {

using platform::MediaError;
using platform::MediaMode;
using SteadyClock = std::chrono::steady_clock;

namespace {

// An open whose media never became ready in time, as opposed to one the framework refused.
class OpenTimedOut : public MediaError {
public:
    using MediaError::MediaError;
};

constexpr const char* kSilentAudioSink = "fakesink sync=true";
constexpr const char* kSilentVideoSink = "fakesink sync=true";
// Tried in this order on an X display. The Xv sink is missing on virtual displays, and the plain
// X sink does not scale by itself, so a scaler in front of it fills the window. OpenGL comes last:
// trying it loads the whole GL driver into the process, tens of megabytes for a sink that the
// first two usually make unnecessary.
constexpr const char* kVideoSinks[] = {
    "xvimagesink",
    "videoconvert ! videoscale add-borders=false ! ximagesink",
    "glimagesink",
};
// GstPlayFlags "text": subtitles inside a file stay undrawn; the system has its own subtitle strip.
constexpr guint kPlayFlagText = 0x4;
// GstPlayFlags "native-video": playbin adds no converter and scaler of its own. A sink that brings
// its own scaler needs this, or playbin's scaler keeps the aspect ratio with black borders.
constexpr guint kPlayFlagNativeVideo = 0x40;
// Some formats tell their length a few milliseconds after the preroll; a file that tells none by
// then gets an estimate rather than holding up the open.
constexpr auto kDurationPoll = std::chrono::milliseconds(500);
constexpr auto kDurationPollStep = std::chrono::milliseconds(5);
// Without sound, a picture told to last less than this is a still, not a film.
constexpr int64_t kShortestMovingPicture = 100;
// How much of what follows a leading tag is typed again; a few frames of sound are enough.
constexpr std::size_t kTypedBytes = 64 * 1024;
// For an estimate without any bitrate: the rate of MPEG-1 video, the likeliest such file.
constexpr uint64_t kAssumedBitsPerSecond = 1'150'000;
// How long stop() waits for the sound already captured to come out of the recording pipeline.
constexpr auto kRecordingDrain = std::chrono::seconds(2);
constexpr auto kRecordingPollStep = std::chrono::milliseconds(20);
constexpr const char* kRecorderSinkName = "orvessa-recorder";

constexpr GstMessageType operator|(GstMessageType a, GstMessageType b) {
    return static_cast<GstMessageType>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

GstClockTime clockTime(SteadyClock::duration duration) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
    return ns > 0 ? static_cast<GstClockTime>(ns) : 0;
}

GstClockTime until(SteadyClock::time_point deadline) {
    return clockTime(deadline - SteadyClock::now());
}

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

std::string millisecondsText(std::chrono::milliseconds ms) {
    return std::to_string(ms.count()) + " ms";
}

void warnNoSoundOutput(const std::string& sink) {
    static std::once_flag once;
    std::call_once(once, [&] {
        std::cerr << "orvessa: the sound output \"" << sink
                  << "\" cannot start; playing silently in real time\n";
    });
}

// Whether the described sink starts (reaches READY). An auto-detecting sink that found no
// device starts with a fake child; that counts as not starting unless a fake sink was asked for.
bool sinkStarts(const std::string& description) {
    gst::Ref<GstElement> sink;
    try {
        sink = gst::makeBin(description);
    } catch (const MediaError&) {
        return false;
    }
    bool starts = gst_element_set_state(sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    if (starts && description.find("fakesink") == std::string::npos) {
        starts = !gst::containsFactory(sink.get(), "fakesink");
    }
    gst::shutDown(sink);
    return starts;
}

std::string chooseVideoSink() {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') {
        for (const char* description : kVideoSinks) {
            if (sinkStarts(description)) {
                return description;
            }
        }
    }
    return kSilentVideoSink;
}

// The bitrates the streams announce, for estimating a length that the media does not tell.
class Bitrates {
public:
    void add(GstMessage* tagMessage) {
        GstTagList* tags = nullptr;
        gst_message_parse_tag(tagMessage, &tags);
        guint rate = 0;
        if (gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &rate) ||
            gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &rate) ||
            gst_tag_list_get_uint(tags, GST_TAG_MAXIMUM_BITRATE, &rate)) {
            m_bySource[GST_MESSAGE_SRC_NAME(tagMessage)] = rate;
        }
        gst_tag_list_unref(tags);
    }
    uint64_t total() const {
        uint64_t sum = 0;
        for (const auto& [source, rate] : m_bySource) {
            sum += rate;
        }
        return sum;
    }

private:
    std::map<std::string, guint> m_bySource;
};

// Milliseconds, or -1 while the pipeline cannot tell.
int64_t queryDuration(GstElement* pipeline) {
    gint64 ns = -1;
    if (gst_element_query_duration(pipeline, GST_FORMAT_TIME, &ns) && ns > 0) {
        return ns / static_cast<gint64>(GST_MSECOND);
    }
    return -1;
}

std::string_view mediaType(const GstCaps* caps) {
    if (caps == nullptr || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
        return {};
    }
    return gst_structure_get_name(gst_caps_get_structure(caps, 0));
}

std::string readBytes(std::ifstream& in, std::uintmax_t offset, std::size_t size) {
    std::string bytes(size, '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    in.clear();
    return bytes;
}

// What the type finder found the file to hold. Behind a tag wrapper (ID3v2, APE) it names only
// the wrapper, so what follows a leading tag is typed here again.
gst::Caps foundType(GstElement* pipeline, const std::filesystem::path& path) {
    gst::Caps found;
    GstElement* typeFinder = nullptr;
    if (GstIterator* it =
            gst_bin_iterate_all_by_element_factory_name(GST_BIN(pipeline), "typefind")) {
        GValue item = G_VALUE_INIT;
        if (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            typeFinder = GST_ELEMENT(g_value_dup_object(&item));
            g_value_unset(&item);
        }
        gst_iterator_free(it);
    }
    if (typeFinder != nullptr) {
        GstCaps* caps = nullptr;
        g_object_get(typeFinder, "caps", &caps, nullptr);
        found.reset(caps);
        gst_object_unref(typeFinder);
    }
    const std::string_view type = mediaType(found.get());
    if (type == "application/x-id3" || type == "application/x-apetag") {
        std::ifstream in(path, std::ios::binary);
        const std::size_t tag = id3v2Size(readBytes(in, 0, 10));
        const std::string head = readBytes(in, tag, kTypedBytes);
        if (!head.empty()) {
            found.reset(gst_type_find_helper_for_data(
                nullptr, reinterpret_cast<const guint8*>(head.data()), head.size(), nullptr));
        }
    }
    return found;
}

// Streams without a container, whose length only their own frames tell.
std::optional<Framing> framingOf(const GstCaps* caps) {
    const std::string_view type = mediaType(caps);
    if (type.empty()) {
        return std::nullopt;
    }
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    int version = 0;
    gboolean system = FALSE;
    if (type == "audio/mpeg" && gst_structure_get_int(s, "mpegversion", &version)) {
        const char* format = gst_structure_get_string(s, "stream-format");
        if (version == 1) {
            return Framing::MpegAudio;
        }
        if (format != nullptr && std::string_view(format) == "adts") {
            return Framing::Adts;
        }
    } else if (type == "audio/x-ac3") {
        return Framing::Ac3;
    } else if ((type == "video/mpeg" && gst_structure_get_boolean(s, "systemstream", &system) &&
                system) ||
               type == "video/x-cdxa") {
        // The framework's length for these falls short of the last frames (by 0.6 s in 3 s). A
        // Video CD's ".dat" file wraps the same packs in sectors of its own.
        return Framing::ProgramStream;
    }
    return std::nullopt;
}

void appendSample(std::string& out, GstSample* sample) {
    if (GstBuffer* buffer = gst_sample_get_buffer(sample)) {
        GstMapInfo map;
        if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            out.append(reinterpret_cast<const char*>(map.data), map.size);
            gst_buffer_unmap(buffer, &map);
        }
    }
    gst_sample_unref(sample);
}

}  // namespace

class GstMediaDevice::Impl {
public:
    explicit Impl(GstMediaOptions options) : m_options(std::move(options)) {
        gst::ensureInitialised();
    }
    ~Impl() { close(); }

    void open();
    void prepare(const std::string& path);
    void close();
    void play();
    void stop();
    void startRecording();
    void save();
    void setDisplay(platform::NativeWindow window);
    void setDisplayRect(const platform::DisplayRect& rect);
    void setVolume(double volume);
    int64_t length() const;
    int64_t position();
    MediaMode mode();

    std::string m_fileName;
    bool m_hasPicture = false;
    gst::Ref<GstElement> m_pipeline;

private:
    void openPipeline(const std::filesystem::path& path);
    bool datIsMpegVideo() const;
    const std::string& audioSink();
    const std::string& videoSink();
    // Reads what the playback pipeline has said since the last look.
    void readBus();
    void waitForInput();
    void readRecorder();
    void finishRecording();
    void dropRecorder();

    const GstMediaOptions m_options;
    platform::NativeWindow m_display = 0;
    double m_volume = 1.0;
    // Chosen at the first open that needs them, then kept for the life of the device.
    std::optional<std::string> m_audioSink;
    std::optional<std::string> m_videoSink;

    bool m_open = false;
    std::filesystem::path m_openedPath;
    // A sound opened ahead of its second by prepare(), paused at its start.
    std::string m_preparedFile;
    std::optional<WavInfo> m_wav;
    int64_t m_length = 0;
    gst::Ref<GstBus> m_bus;
    gst::Ref<GstElement> m_videoOut;
    gst::Ref<GstElement> m_overlay;
    bool m_playing = false;
    bool m_ended = false;
    int64_t m_lastPosition = 0;

    gst::Ref<GstElement> m_recorder;
    gst::Ref<GstElement> m_recorderSink;
    gst::Ref<GstBus> m_recorderBus;
    bool m_recorderFailed = false;
    bool m_hasRecording = false;
    std::string m_recorded;
};

void GstMediaDevice::Impl::open() {
    // Prepared a moment ago and untouched since: the pipeline is ready, and the bell's second
    // is not spent waiting for it.
    if (!m_preparedFile.empty() && m_preparedFile == m_fileName && m_open && m_pipeline &&
        !m_playing && !m_ended) {
        m_preparedFile.clear();
        return;
    }
    close();
    if (m_fileName.empty()) {
        throw MediaError("No file name is set");
    }
    const std::filesystem::path path(m_fileName);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        throw MediaError("File not found: " + m_fileName);
    }
    // A pipe or a device could keep the file source waiting for ever.
    if (!std::filesystem::is_regular_file(status)) {
        throw MediaError("Not a media file: " + m_fileName);
    }
    if (lowercase(path.extension().string()) == ".dat" && !datIsMpegVideo()) {
        throw MediaError(
            "No media device plays \".dat\" files: the multimedia profile does not "
            "map dat to MPEGVideo");
    }
    std::optional<WavInfo> wav = readWavInfo(path);
    // A header alone, as the recorder writes before recording, has nothing to play, and the
    // framework would wait for ever for its first sample.
    if (!wav || wav->dataBytes > 0) {
        try {
            openPipeline(path);
        } catch (const OpenTimedOut&) {
            // Now and then a sound file's preroll never completes; a fresh pipeline gets it.
            close();
            try {
                openPipeline(path);
            } catch (...) {
                close();
                throw;
            }
        } catch (...) {
            close();
            throw;
        }
    }
    m_wav = wav;
    m_openedPath = path;
    m_open = true;
}

void GstMediaDevice::Impl::openPipeline(const std::filesystem::path& path) {
    const auto deadline = SteadyClock::now() + m_options.openTimeout;
    GError* error = nullptr;
    const std::unique_ptr<gchar, decltype(&g_free)> uri(gst_filename_to_uri(path.c_str(), &error),
                                                        &g_free);
    if (!uri) {
        std::string text = error != nullptr ? error->message : "Bad file name";
        g_clear_error(&error);
        throw MediaError(text);
    }
    // playbin, not playbin3: under load playbin3 now and then never completes its preroll, and
    // a bell then waits out the whole open.
    m_pipeline = gst::adopt(gst_element_factory_make("playbin", nullptr));
    if (!m_pipeline) {
        throw MediaError("GStreamer has no playbin (gstreamer1.0-plugins-base is missing)");
    }
    gst::Ref<GstElement> audioOut = gst::makeBin(audioSink());
    m_videoOut = gst::makeBin(videoSink());
    m_overlay.reset(gst_bin_get_by_interface(GST_BIN(m_videoOut.get()), GST_TYPE_VIDEO_OVERLAY));
    // Given before the sink opens its window, the handle needs no bus sync handler.
    if (m_overlay && m_display != 0) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(m_overlay.get()), m_display);
    }
    guint flags = 0;
    g_object_get(m_pipeline.get(), "flags", &flags, nullptr);
    flags &= ~kPlayFlagText;
    if (videoSink().find("videoscale") != std::string::npos) {
        flags |= kPlayFlagNativeVideo;
    }
    // The picture fills the rectangle it is given, as the system's video window expects.
    g_object_set(m_pipeline.get(), "uri", uri.get(), "audio-sink", audioOut.get(), "video-sink",
                 m_videoOut.get(), "volume", m_volume, "flags", flags, "force-aspect-ratio", FALSE,
                 nullptr);
    m_bus.reset(gst_element_get_bus(m_pipeline.get()));

    Bitrates bitrates;
    const GstStateChangeReturn change = gst_element_set_state(m_pipeline.get(), GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_FAILURE) {
        gst::Message failure(gst_bus_pop_filtered(m_bus.get(), GST_MESSAGE_ERROR));
        throw MediaError(failure ? gst::errorText(failure.get()) : "The media cannot be opened");
    }
    bool ready = change != GST_STATE_CHANGE_ASYNC;
    while (!ready) {
        gst::Message message(gst_bus_timed_pop_filtered(
            m_bus.get(), until(deadline),
            GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_TAG));
        if (!message) {
            throw OpenTimedOut("The media did not become ready within " +
                               millisecondsText(m_options.openTimeout));
        }
        switch (GST_MESSAGE_TYPE(message.get())) {
            case GST_MESSAGE_ERROR:
                throw MediaError(gst::errorText(message.get()));
            case GST_MESSAGE_TAG:
                bitrates.add(message.get());
                break;
            default:
                ready = true;
                break;
        }
    }

    // A still picture decodes to a single frame that ends at once; the desktop shows it instead.
    gint audioStreams = 0;
    gint videoStreams = 0;
    g_object_get(m_pipeline.get(), "n-audio", &audioStreams, "n-video", &videoStreams, nullptr);
    const gst::Caps found = foundType(m_pipeline.get(), path);
    if (audioStreams == 0 && mediaType(found.get()).starts_with("image/")) {
        throw MediaError("The media is a still picture");
    }
    if (audioStreams == 0 && videoStreams == 0) {
        throw MediaError("The media has neither sound nor picture");
    }

    // The framework only estimates the length of a raw stream, from the bitrate of its first
    // frames (or only after a wait); its frames tell the truth at once.
    m_length = -1;
    if (const std::optional<Framing> framing = framingOf(found.get())) {
        m_length = framedFileLength(path, *framing).value_or(-1);
    }
    if (m_length < 0) {
        m_length = queryDuration(m_pipeline.get());
    }
    const auto pollEnd = std::min(deadline, SteadyClock::now() + kDurationPoll);
    while (m_length < 0 && SteadyClock::now() < pollEnd) {
        gst::Message message(gst_bus_timed_pop_filtered(
            m_bus.get(), std::min(until(pollEnd), clockTime(kDurationPollStep)),
            GST_MESSAGE_ERROR | GST_MESSAGE_TAG));
        if (message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            throw MediaError(gst::errorText(message.get()));
        }
        if (message) {
            bitrates.add(message.get());
        }
        m_length = queryDuration(m_pipeline.get());
    }
    if (audioStreams == 0 && m_length >= 0 && m_length < kShortestMovingPicture) {
        throw MediaError("The media is a still picture");
    }
    if (m_length < 0) {
        // An estimate is enough: position() reads as the length only at the real end.
        std::error_code ec;
        const uint64_t bytes = std::filesystem::file_size(path, ec);
        const uint64_t bitsPerSecond =
            bitrates.total() > 0 ? bitrates.total() : kAssumedBitsPerSecond;
        m_length = std::max<int64_t>(1, static_cast<int64_t>(bytes * 8 * 1000 / bitsPerSecond));
    }

    // Not the picture sink's caps: with some formats (ASF) it prerolls before the first picture
    // reaches it.
    m_hasPicture = videoStreams > 0;
}

bool GstMediaDevice::Impl::datIsMpegVideo() const {
    if (m_options.mediaProfile.empty()) {
        return false;
    }
    const std::string device =
        store::ProfileFile(m_options.mediaProfile).readString("mci extensions", "dat", "");
    return lowercase(device) == "mpegvideo";
}

const std::string& GstMediaDevice::Impl::audioSink() {
    if (!m_audioSink) {
        if (sinkStarts(m_options.audioSink)) {
            m_audioSink = m_options.audioSink;
        } else {
            warnNoSoundOutput(m_options.audioSink);
            m_audioSink = kSilentAudioSink;
        }
    }
    return *m_audioSink;
}

const std::string& GstMediaDevice::Impl::videoSink() {
    if (!m_videoSink) {
        m_videoSink = m_options.videoSink.empty() ? chooseVideoSink() : m_options.videoSink;
    }
    return *m_videoSink;
}

void GstMediaDevice::Impl::prepare(const std::string& path) {
    // Nothing that plays or waits paused, or that the recorder holds, is taken away for a file
    // to come; a sound that has ended is.
    readBus();
    if (m_recorder || (m_open && m_pipeline && !m_ended) || path == m_preparedFile) {
        return;
    }
    const std::string requested = m_fileName;
    m_fileName = path;
    try {
        open();
        // A picture needs its window in place before it opens; it is opened when it plays.
        if (m_hasPicture) {
            close();
        } else {
            m_preparedFile = path;
        }
    } catch (const std::exception& e) {
        close();
        platform::recordFailure(m_options.failures, {"item not prepared", path + ": " + e.what()});
    } catch (...) {
        close();
        platform::recordFailure(m_options.failures, {"item not prepared", path});
    }
    m_fileName = requested;
}

void GstMediaDevice::Impl::close() {
    m_preparedFile.clear();
    dropRecorder();
    gst::shutDown(m_pipeline);
    m_bus.reset();
    m_overlay.reset();
    m_videoOut.reset();
    m_open = false;
    m_openedPath.clear();
    m_wav.reset();
    m_length = 0;
    m_hasPicture = false;
    m_playing = false;
    m_ended = false;
    m_lastPosition = 0;
    m_hasRecording = false;
    m_recorded.clear();
    m_recorded.shrink_to_fit();
}

void GstMediaDevice::Impl::readBus() {
    if (!m_bus) {
        return;
    }
    // An error in mid-play ends the item as its end would; the caller has no other way to know.
    while (gst::Message message{
        gst_bus_pop_filtered(m_bus.get(), GST_MESSAGE_EOS | GST_MESSAGE_ERROR)}) {
        m_ended = true;
    }
    // A sound that has ended is taken down now, not when the next item opens: taking a
    // pipeline down joins its threads, which took several milliseconds off the next bell's
    // second. An ended picture stays, as the window still shows its last frame.
    if (m_ended && !m_hasPicture) {
        gst::shutDown(m_pipeline);
        m_bus.reset();
    }
}

void GstMediaDevice::Impl::play() {
    if (!m_open || m_recorder) {
        return;
    }
    readBus();
    if (m_ended) {
        return;
    }
    if (!m_pipeline ||
        gst_element_set_state(m_pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        // Nothing to play: at its end at once.
        m_ended = true;
        return;
    }
    m_playing = true;
}

void GstMediaDevice::Impl::stop() {
    if (m_recorder) {
        finishRecording();
        return;
    }
    if (m_playing && m_pipeline) {
        readBus();
        if (!m_ended) {
            gst_element_set_state(m_pipeline.get(), GST_STATE_PAUSED);
        }
    }
    m_playing = false;
}

int64_t GstMediaDevice::Impl::length() const {
    if (!m_open) {
        throw MediaError("No media is open");
    }
    return m_length;
}

int64_t GstMediaDevice::Impl::position() {
    if (!m_open) {
        return 0;
    }
    if (m_recorder) {
        readRecorder();
        return static_cast<int64_t>(m_recorded.size() * 1000 / m_wav->format.bytesPerSecond());
    }
    readBus();
    if (m_ended) {
        return m_length;
    }
    gint64 ns = 0;
    if (m_pipeline && gst_element_query_position(m_pipeline.get(), GST_FORMAT_TIME, &ns) &&
        ns >= 0) {
        // Only the end itself reads as the length: callers end an item when the two are equal,
        // and the last timestamp (or an estimated length) may say otherwise.
        m_lastPosition = std::clamp<int64_t>(ns / static_cast<gint64>(GST_MSECOND), 0,
                                             std::max<int64_t>(0, m_length - 1));
    }
    return m_lastPosition;
}

MediaMode GstMediaDevice::Impl::mode() {
    if (!m_open) {
        return MediaMode::NotReady;
    }
    if (m_recorder) {
        readRecorder();
        return MediaMode::Recording;
    }
    readBus();
    return m_playing && !m_ended ? MediaMode::Playing : MediaMode::Stopped;
}

void GstMediaDevice::Impl::startRecording() {
    if (!m_open) {
        throw MediaError("No file is open to record into");
    }
    if (m_recorder) {
        return;
    }
    if (!m_wav || !m_wav->format.isRecordable()) {
        throw MediaError("Recording needs an open PCM WAV file of 8 or 16 bits, mono or stereo");
    }
    stop();
    const WavFormat& format = m_wav->format;
    const std::string caps = std::string("audio/x-raw,format=") +
                             (format.bitsPerSample == 8 ? "U8" : "S16LE") +
                             ",layout=interleaved,rate=" + std::to_string(format.sampleRate) +
                             ",channels=" + std::to_string(format.channels);
    try {
        // sync=true paces a source that is not live at real time instead of filling memory.
        m_recorder =
            gst::makePipeline(m_options.recordingSource + " ! audioconvert ! audioresample ! " +
                              caps + " ! appsink sync=true name=" + kRecorderSinkName);
        m_recorderSink.reset(gst_bin_get_by_name(GST_BIN(m_recorder.get()), kRecorderSinkName));
        m_recorderBus.reset(gst_element_get_bus(m_recorder.get()));
        waitForInput();
    } catch (...) {
        dropRecorder();
        throw;
    }
    m_hasRecording = true;
}

// Waits, bounded, for the first sound from the input, so that a missing input fails here.
void GstMediaDevice::Impl::waitForInput() {
    const auto deadline = SteadyClock::now() + m_options.openTimeout;
    if (gst_element_set_state(m_recorder.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        gst::Message failure(gst_bus_pop_filtered(m_recorderBus.get(), GST_MESSAGE_ERROR));
        throw MediaError(failure ? gst::errorText(failure.get()) : "The sound input cannot start");
    }
    auto* sink = GST_APP_SINK(m_recorderSink.get());
    for (;;) {
        if (gst::Message failure{gst_bus_pop_filtered(m_recorderBus.get(), GST_MESSAGE_ERROR)}) {
            throw MediaError(gst::errorText(failure.get()));
        }
        if (GstSample* sample = gst_app_sink_try_pull_sample(sink, clockTime(kRecordingPollStep))) {
            appendSample(m_recorded, sample);
            return;
        }
        if (SteadyClock::now() >= deadline) {
            throw MediaError("The sound input gave no sound within " +
                             millisecondsText(m_options.openTimeout));
        }
    }
}

void GstMediaDevice::Impl::readRecorder() {
    if (gst::Message failure{gst_bus_pop_filtered(m_recorderBus.get(), GST_MESSAGE_ERROR)}) {
        // Keep what was recorded; stop() saves it.
        m_recorderFailed = true;
    }
    while (GstSample* sample =
               gst_app_sink_try_pull_sample(GST_APP_SINK(m_recorderSink.get()), 0)) {
        appendSample(m_recorded, sample);
    }
}

void GstMediaDevice::Impl::finishRecording() {
    readRecorder();
    if (!m_recorderFailed) {
        // The end of stream pushes out what the input has captured but not yet delivered.
        gst_element_send_event(m_recorder.get(), gst_event_new_eos());
        auto* sink = GST_APP_SINK(m_recorderSink.get());
        const auto deadline = SteadyClock::now() + kRecordingDrain;
        while (SteadyClock::now() < deadline) {
            if (gst::Message failure{
                    gst_bus_pop_filtered(m_recorderBus.get(), GST_MESSAGE_ERROR)}) {
                break;
            }
            if (GstSample* sample =
                    gst_app_sink_try_pull_sample(sink, clockTime(kRecordingPollStep))) {
                appendSample(m_recorded, sample);
            } else if (gst_app_sink_is_eos(sink)) {
                break;
            }
        }
    }
    dropRecorder();
}

void GstMediaDevice::Impl::dropRecorder() {
    gst::shutDown(m_recorder);
    m_recorderSink.reset();
    m_recorderBus.reset();
    m_recorderFailed = false;
}

void GstMediaDevice::Impl::save() {
    if (m_recorder) {
        finishRecording();
    }
    if (!m_open) {
        throw MediaError("No media is open");
    }
    if (!m_hasRecording) {
        // After an audition the file already holds all there is to save.
        if (m_wav && std::filesystem::path(m_fileName) == m_openedPath) {
            return;
        }
        throw MediaError("There is no recording to save");
    }
    if (m_recorded.size() > 0xFFFFFFFFULL - 44) {
        throw MediaError("The recording is too long for a WAV file");
    }
    // The recording replaces whatever the file held.
    const store::WriteResult written =
        store::writeFileAtomically(m_fileName, makeWavFile(m_wav->format, m_recorded),
                                   store::Visibility::Shared, m_options.fileSync);
    if (!written) {
        throw MediaError(written.error);
    }
}

void GstMediaDevice::Impl::setDisplay(platform::NativeWindow window) {
    m_display = window;
    if (m_overlay && m_hasPicture) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(m_overlay.get()), window);
    }
}

void GstMediaDevice::Impl::setDisplayRect(const platform::DisplayRect& rect) {
    if (!m_overlay || !m_hasPicture) {
        return;
    }
    auto* overlay = GST_VIDEO_OVERLAY(m_overlay.get());
    if (rect.width > 0 && rect.height > 0) {
        gst_video_overlay_set_render_rectangle(overlay, rect.left, rect.top, rect.width,
                                               rect.height);
    } else {
        // No area: the whole window.
        gst_video_overlay_set_render_rectangle(overlay, 0, 0, -1, -1);
    }
    gst_video_overlay_expose(overlay);
}

void GstMediaDevice::Impl::setVolume(double volume) {
    m_volume = volume;
    if (m_pipeline) {
        g_object_set(m_pipeline.get(), "volume", m_volume, nullptr);
    }
}

GstMediaDevice::GstMediaDevice(GstMediaOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options))) {}

GstMediaDevice::~GstMediaDevice() = default;

void GstMediaDevice::setFileName(const std::string& path) {
    m_impl->m_fileName = path;
}

const std::string& GstMediaDevice::fileName() const {
    return m_impl->m_fileName;
}

void GstMediaDevice::setDisplay(platform::NativeWindow window) {
    m_impl->setDisplay(window);
}

void GstMediaDevice::open() {
    m_impl->open();
}

void GstMediaDevice::prepare(const std::string& path) {
    m_impl->prepare(path);
}

void GstMediaDevice::setDisplayRect(const platform::DisplayRect& rect) {
    m_impl->setDisplayRect(rect);
}

void GstMediaDevice::play() {
    m_impl->play();
}

void GstMediaDevice::startRecording() {
    m_impl->startRecording();
}

void GstMediaDevice::stop() {
    m_impl->stop();
}

void GstMediaDevice::save() {
    m_impl->save();
}

void GstMediaDevice::close() {
    m_impl->close();
}

int64_t GstMediaDevice::length() const {
    return m_impl->length();
}

// Reading the position and the mode is where bus messages are taken in, hence the state that
// changes behind a const call.
int64_t GstMediaDevice::position() const {
    return m_impl->position();
}

platform::MediaMode GstMediaDevice::mode() const {
    return m_impl->mode();
}

void GstMediaDevice::setVolume(uint16_t left, uint16_t right) {
    m_impl->setVolume(static_cast<double>(std::max(left, right)) / 65535.0);
}

bool GstMediaDevice::hasPicture() const {
    return m_impl->m_hasPicture;
}

GstElement* GstMediaDevice::pipeline() const {
    return m_impl->m_pipeline.get();
}

}  // namespace orvessa::backends

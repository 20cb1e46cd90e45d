#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "core/platform/failure_record.h"
#include "core/platform/media_device.h"
#include "core/store/file_sync.h"

// GStreamer's own declaration, repeated so that users of the device need no GStreamer headers.
typedef struct _GstElement GstElement;

namespace orvessa::backends {

struct GstMediaOptions {
    // Launch description of the sound output. When it cannot start (no sound card), a silent
    // sink that keeps real time takes its place, with one warning on standard error.
    std::string audioSink = "autoaudiosink";
    // Launch description of the picture output; empty picks the first X sink that starts on the
    // display at hand (Xv, then plain X with a scaler, then OpenGL), or a silent sink.
    std::string videoSink;
    // Launch description of the sound input for recordings; it must be a live source.
    std::string recordingSource = "autoaudiosrc";
    // The multimedia profile (an INI file) whose "[mci extensions] dat=MPEGVideo" lets ".dat"
    // files open as MPEG video.
    std::filesystem::path mediaProfile;
    // How long open() waits for the media to become ready, and startRecording() for the input.
    std::chrono::milliseconds openTimeout{5000};
    // Where a file prepared ahead of its row and failing to open is recorded; none for no record.
    // The row's own open fails again when it comes, and is the player's to report.
    platform::FailureRecord* failures = nullptr;
    // What a saved recording is flushed through; none for no flush.
    store::FileSync* fileSync = nullptr;
};

// MediaDevice on GStreamer (playbin), and the output volume of what it plays. Nothing runs
// behind the caller's back: bus messages are read on the caller's thread whenever it asks for
// the position or the mode, so a replaced pipeline's messages go with it. Raw audio streams and
// MPEG program streams get their length from their own frames and time stamps; a length that
// nothing tells is estimated from the size and bitrate. Either way position() reads as the length
// only at the real end, which is what callers wait for. Still pictures are refused: they have
// nothing to play for any length.
class GstMediaDevice : public platform::MediaDevice, public platform::AudioOutput {
public:
    explicit GstMediaDevice(GstMediaOptions options = {});
    ~GstMediaDevice() override;
    GstMediaDevice(const GstMediaDevice&) = delete;
    GstMediaDevice& operator=(const GstMediaDevice&) = delete;

    void setFileName(const std::string& path) override;
    const std::string& fileName() const override;
    void setDisplay(platform::NativeWindow window) override;

    void open() override;
    void prepare(const std::string& path) override;
    void setDisplayRect(const platform::DisplayRect& rect) override;

    void play() override;
    void startRecording() override;
    void stop() override;
    void save() override;
    void close() override;

    int64_t length() const override;
    int64_t position() const override;
    platform::MediaMode mode() const override;

    // max(left, right) / 65535 as the gain of everything this device plays, kept across opens.
    void setVolume(uint16_t left, uint16_t right) override;

    // Whether the open media has picture.
    bool hasPicture() const;
    // The playback pipeline while media is open, for tests and measurements; null otherwise.
    GstElement* pipeline() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace orvessa::backends

#pragma once

#include <gst/gst.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <thread>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/gstreamer/gst_support.h"
#include "backends/gstreamer/wav_file.h"
#include "support/temp_dir.h"

namespace orvessa::testing {

// Fake sinks and a live test tone: the tests need neither a sound card nor a display.
inline backends::GstMediaOptions headlessOptions() {
    backends::GstMediaOptions options;
    options.audioSink = "fakesink sync=true";
    options.videoSink = "fakesink sync=true";
    options.recordingSource = "audiotestsrc is-live=true";
    // Generous, so that a busy machine does not fail an open.
    options.openTimeout = std::chrono::seconds(20);
    return options;
}

// A sine tone of `frames` frames as a PCM WAV file.
inline void writeToneWav(const std::filesystem::path& path, uint32_t frames, uint32_t rate = 44100,
                         uint16_t channels = 2, uint16_t bits = 16) {
    const backends::WavFormat format{1, channels, rate, bits};
    std::string data;
    data.reserve(static_cast<std::size_t>(frames) * format.blockAlign());
    for (uint32_t i = 0; i < frames; ++i) {
        const double sample = 0.3 * std::sin(2.0 * std::numbers::pi * 440.0 * i / rate);
        for (uint16_t c = 0; c < channels; ++c) {
            if (bits == 8) {
                data.push_back(static_cast<char>(128 + static_cast<int>(sample * 127)));
            } else {
                const auto value = static_cast<int16_t>(sample * 32767);
                data.push_back(static_cast<char>(value & 0xFF));
                data.push_back(static_cast<char>((value >> 8) & 0xFF));
            }
        }
    }
    writeBytes(path, backends::makeWavFile(format, data));
}

inline bool hasElement(const char* factory) {
    backends::gst::ensureInitialised();
    GstElementFactory* found = gst_element_factory_find(factory);
    if (found != nullptr) {
        gst_object_unref(found);
    }
    return found != nullptr;
}

// Runs `description`, which ends in "filesink name=out", into `path`; false when it fails.
inline bool encode(const std::string& description, const std::filesystem::path& path) {
    backends::gst::Ref<GstElement> pipeline;
    try {
        pipeline = backends::gst::makePipeline(description);
    } catch (const platform::MediaError&) {
        return false;
    }
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline.get()), "out");
    g_object_set(out, "location", path.c_str(), nullptr);
    gst_object_unref(out);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline.get());
    GstMessage* end = gst_bus_timed_pop_filtered(
        bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = end != nullptr && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end != nullptr) {
        gst_message_unref(end);
    }
    gst_object_unref(bus);
    backends::gst::shutDown(pipeline);
    std::error_code ec;
    return ok && std::filesystem::file_size(path, ec) > 0;
}

// Polls `done` until it holds or a generous limit passes; true when it held.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::seconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace orvessa::testing

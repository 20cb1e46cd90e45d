#include "dryrun/media_length.h"

#include <utility>

#include "backends/gstreamer/gst_media_device.h"

namespace orvessa::dryrun {

MediaLengths::MediaLengths(std::filesystem::path mediaProfile)
    : m_mediaProfile(std::move(mediaProfile)) {}

MediaLengths::~MediaLengths() = default;

std::optional<int64_t> MediaLengths::lengthOf(const std::string& path) {
    if (const auto it = m_known.find(path); it != m_known.end()) {
        return it->second;
    }
    if (!m_device) {
        backends::GstMediaOptions options;
        options.audioSink = "fakesink";
        options.videoSink = "fakesink";
        options.mediaProfile = m_mediaProfile;
        m_device = std::make_unique<backends::GstMediaDevice>(std::move(options));
    }
    std::optional<int64_t> length;
    try {
        m_device->setFileName(path);
        m_device->open();
        length = m_device->length();
    } catch (const platform::MediaError&) {
        // The running system hands such a file to the shell; so does the rehearsal.
    }
    m_device->close();
    m_known.emplace(path, length);
    return length;
}

}  // namespace orvessa::dryrun

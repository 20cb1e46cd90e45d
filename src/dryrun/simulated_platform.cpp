#include "dryrun/simulated_platform.h"

#include <algorithm>
#include <utility>

#include "core/scheduler/broadcast_clock.h"

namespace orvessa::dryrun {
namespace {

// Real playback begins a moment after the tick that asked for it, so an item of whole seconds
// has not quite ended by the tick that many seconds on: the clock sees its end a tick later.
constexpr int64_t kStartDelayMs = 1;

}  // namespace

platform::MessageAnswer SimulatedHost::messageBox(const std::string&, const std::string&,
                                                  platform::MessageIcon,
                                                  platform::MessageButtons buttons) {
    // No is the answer that changes least: nothing is saved, no library is chosen.
    return buttons == platform::MessageButtons::Ok ? platform::MessageAnswer::Ok
                                                   : platform::MessageAnswer::No;
}

model::ModalResult SimulatedHost::showModal(model::Window&) {
    return model::ModalResult::Closed;
}

std::optional<std::string> SimulatedHost::openFileDialog(const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> SimulatedHost::openFolderDialog(const std::string&) {
    return std::nullopt;
}

std::optional<std::string> SimulatedHost::saveFileDialog(const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<platform::FontDescription> SimulatedHost::fontDialog(
    const platform::FontDescription&) {
    return std::nullopt;
}

std::optional<model::Color> SimulatedHost::colorDialog(model::Color) {
    return std::nullopt;
}

void SimulatedHost::aboutBox(const std::string&, const std::string&) {}

void SimulatedHost::quitApplication() {
    if (onQuit) {
        onQuit();
    }
}

SimulatedMediaDevice::SimulatedMediaDevice(const platform::Clock& clock,
                                           std::map<std::string, int64_t> lengths, Probe probe)
    : m_clock(clock), m_lengths(std::move(lengths)), m_probe(std::move(probe)) {}

int64_t SimulatedMediaDevice::nowMs() const {
    const platform::LocalDateTime t = m_clock.now();
    return scheduler::secondsOf(t) * 1000 + t.millisecond;
}

void SimulatedMediaDevice::open() {
    close();
    const std::string name = m_file.substr(m_file.rfind('/') + 1);
    if (const auto it = m_lengths.find(name); it != m_lengths.end()) {
        m_length = it->second;
    } else {
        const std::optional<int64_t> probed = m_probe ? m_probe(m_file) : std::nullopt;
        if (!probed) {
            throw platform::MediaError("cannot play " + m_file);
        }
        m_length = *probed;
    }
    m_open = true;
    m_position = 0;
}

void SimulatedMediaDevice::play() {
    if (m_open && !m_playing) {
        m_playing = true;
        m_playedFrom = m_position;
        m_playStart = nowMs() + kStartDelayMs;
    }
}

void SimulatedMediaDevice::startRecording() {
    throw platform::MediaError("no sound input in a rehearsal");
}

void SimulatedMediaDevice::stop() {
    if (m_playing) {
        m_position = position();
        m_playing = false;
    }
}

void SimulatedMediaDevice::save() {
    throw platform::MediaError("a rehearsal records nothing");
}

void SimulatedMediaDevice::close() {
    m_open = false;
    m_playing = false;
    m_position = 0;
    m_length = 0;
}

int64_t SimulatedMediaDevice::length() const {
    if (!m_open) {
        throw platform::MediaError("nothing open");
    }
    return m_length;
}

int64_t SimulatedMediaDevice::position() const {
    if (m_playing) {
        return std::clamp<int64_t>(m_playedFrom + nowMs() - m_playStart, 0, m_length);
    }
    return m_position;
}

platform::MediaMode SimulatedMediaDevice::mode() const {
    if (!m_open) {
        return platform::MediaMode::NotReady;
    }
    // Past its end the media is no longer playing, as real playback reports.
    return m_playing && position() < m_length ? platform::MediaMode::Playing
                                              : platform::MediaMode::Stopped;
}

void SimulatedPower::powerOff() {
    if (onPowerOff) {
        onPowerOff();
    }
}

}  // namespace orvessa::dryrun

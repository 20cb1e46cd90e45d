#include "core/alerts/alert_player.h"

#include <algorithm>
#include <utility>

#include "core/alerts/siren.h"
#include "core/text/paths.h"

namespace orvessa::alerts {

AlertPlayer::AlertPlayer(platform::MediaDevice& device, platform::AudioOutput& output,
                         std::filesystem::path sirenFile)
    : m_device(device), m_output(output), m_sirenFile(std::move(sirenFile)) {}

store::WriteResult AlertPlayer::prepareSiren() {
    const store::WriteResult written = store::writeFileAtomically(m_sirenFile, sirenWave());
    if (written && m_sound == Sound::None) {
        m_device.prepare(text::utf8Path(m_sirenFile));
    }
    return written;
}

void AlertPlayer::setVolume(int volume) {
    const auto level = static_cast<uint16_t>(std::clamp(volume, 0, 100) * 65535 / 100);
    m_output.setVolume(level, level);
}

bool AlertPlayer::start(const std::filesystem::path& file, std::string& error) {
    try {
        m_device.setFileName(text::utf8Path(file));
        m_device.open();
        m_device.play();
        return true;
    } catch (const platform::MediaError& e) {
        error = e.what();
        m_device.close();
        return false;
    }
}

std::string AlertPlayer::startAlarm(const std::filesystem::path& file, int volume) {
    setVolume(volume);
    std::string why;
    if (!file.empty()) {
        std::string error;
        if (store::fileExists(file) && start(file, error)) {
            m_alarm = file;
            m_sound = Sound::Alarm;
            return {};
        }
        why = store::fileExists(file)
                  ? "警报声文件无法播放，已改用内置警报声：" + error
                  : "警报声文件不存在，已改用内置警报声：" + text::readablePath(file);
    }
    m_alarm = m_sirenFile;
    m_sound = Sound::Alarm;
    std::string error;
    // The siren's file is ours, in a temporary folder: write it again if it went.
    if (!store::fileExists(m_sirenFile)) {
        (void)store::writeFileAtomically(m_sirenFile, sirenWave());
    }
    if (!start(m_sirenFile, error)) {
        why += (why.empty() ? "" : "；") + std::string("内置警报声无法播放：") + error;
    }
    return why;
}

bool AlertPlayer::playNotice(const std::filesystem::path& file, int volume, std::string& error) {
    setVolume(volume);
    if (!start(file, error)) {
        m_sound = Sound::None;
        return false;
    }
    m_sound = Sound::Notice;
    return true;
}

void AlertPlayer::stop() {
    const bool wasSounding = m_sound != Sound::None;
    m_sound = Sound::None;
    if (wasSounding) {
        try {
            m_device.stop();
        } catch (const platform::MediaError&) {
            // Nothing sounds that could be stopped.
        }
        m_device.close();
        m_device.prepare(text::utf8Path(m_sirenFile));
    }
}

bool AlertPlayer::atEnd() const {
    try {
        return m_device.mode() != platform::MediaMode::Playing;
    } catch (const platform::MediaError&) {
        return true;
    }
}

bool AlertPlayer::noticeEnded() {
    if (m_sound == Sound::None || !atEnd()) {
        return false;
    }
    if (m_sound == Sound::Alarm) {
        std::string error;
        // A file that played once and fails now (taken away mid-alarm) gives way to the siren.
        if (!start(m_alarm, error) && m_alarm != m_sirenFile) {
            m_alarm = m_sirenFile;
            (void)start(m_alarm, error);
        }
        return false;
    }
    m_sound = Sound::None;
    m_device.close();
    m_device.prepare(text::utf8Path(m_sirenFile));
    return true;
}

}  // namespace orvessa::alerts

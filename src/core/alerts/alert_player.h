#pragma once

#include <filesystem>
#include <string>

#include "core/platform/media_device.h"
#include "core/store/file_io.h"

namespace orvessa::alerts {

// The alerts' own media device: the alarm, sounding again and again, or one notice. It never
// touches the broadcast's device, so a row's volume does not reach the alarm and a paused song
// keeps its place.
class AlertPlayer {
public:
    // `sirenFile` is where the built-in siren is written to be played from.
    AlertPlayer(platform::MediaDevice& device, platform::AudioOutput& output,
                std::filesystem::path sirenFile);

    // Writes the built-in siren and has the device ready for it, so that the first alarm sounds
    // at once.
    store::WriteResult prepareSiren();

    // Sounds `file` again and again at `volume` (0..100): the built-in siren when `file` is
    // empty or cannot be played. Returns why a chosen file was not used; empty when it was, or
    // when none was chosen.
    std::string startAlarm(const std::filesystem::path& file, int volume);
    // Plays `file` once at `volume`. False, with why, when it cannot be played.
    bool playNotice(const std::filesystem::path& file, int volume, std::string& error);
    // Stops what sounds and has the siren ready again.
    void stop();

    // To be called often while something sounds: starts the alarm again at its end, and says
    // once that a notice has played to its end.
    bool noticeEnded();

    bool alarmSounding() const { return m_sound == Sound::Alarm; }
    bool noticePlaying() const { return m_sound == Sound::Notice; }

private:
    enum class Sound { None, Alarm, Notice };
    // Opens and starts `file`; false with the framework's text when it cannot.
    bool start(const std::filesystem::path& file, std::string& error);
    bool atEnd() const;
    void setVolume(int volume);

    platform::MediaDevice& m_device;
    platform::AudioOutput& m_output;
    std::filesystem::path m_sirenFile;
    std::filesystem::path m_alarm;  // what the alarm plays again and again
    Sound m_sound = Sound::None;
};

}  // namespace orvessa::alerts

#pragma once

#include <concepts>
#include <filesystem>
#include <utility>

#include "core/console/certificate.h"
#include "core/console/secrets.h"
#include "core/editing/day_checker.h"
#include "core/platform/calendar_reader.h"
#include "core/platform/clock.h"
#include "core/platform/clock_sync.h"
#include "core/platform/display_services.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/platform/media_device.h"
#include "core/platform/processes.h"
#include "core/platform/skin_look.h"
#include "core/platform/system_services.h"
#include "core/platform/unattended_start.h"
#include "core/platform/wake_alarm.h"
#include "core/scheduler/broadcast_record.h"
#include "core/skins/skin_store.h"
#include "core/store/file_sync.h"

namespace orvessa::system {

struct PlatformServices {
    platform::Host& host;
    const platform::Clock& clock;
    platform::Power& power;
    platform::ScreenSaverFlag& screenSaver;
    platform::Shell& shell;
    platform::SingleInstance& singleInstance;
    const platform::Monitors& monitors;
    platform::Keyboard& keyboard;
    platform::MediaDevice& mediaDevice;  // the main window's
    platform::AudioOutput& audioOutput;
    platform::Processes& processes;
    std::filesystem::path programDirectory;
    std::filesystem::path mediaProfile;
    // Where the rows' relative paths are read from, when not the program directory (the
    // rehearsal runs on copies of the system's files, away from their media).
    std::filesystem::path itemDirectory = {};
    // The sound recorder's own device; without one its recordings and auditions fail.
    platform::MediaDevice* recordingDevice = nullptr;
    // Receives each start, stop, missing file and row left behind; none for no record.
    scheduler::BroadcastRecord* broadcastRecord = nullptr;
    // The built-in skins and what draws them. Without them the skin command still steps and
    // keeps its number, and the look never changes.
    const skins::SkinStore* skinStore = nullptr;
    platform::SkinLook* skinLook = nullptr;
    // Rehearses a day for the pre-flight check; without one the check is never offered.
    editing::DayChecker* dayChecker = nullptr;
    // Where what fails (a file not read, a save that failed, an item not played) is recorded.
    platform::FailureRecord* failureRecord = nullptr;
    // Reads calendars for the school calendar's import; without one it offers no import.
    platform::CalendarReader* calendarReader = nullptr;
    // Tells whether the PC's clock keeps the true time; without one no warning is ever shown.
    platform::ClockSyncProbe* clockSync = nullptr;
    // Starts the system at login; without it the options offer no "开机自动启动" and the
    // pre-flight check says nothing of it.
    platform::UnattendedStart* unattendedStart = nullptr;
    // Where the time the PC powers itself on is kept; without it the system keeps none, and
    // neither the options nor the pre-flight check speak of it.
    platform::WakeAlarm* wakeAlarm = nullptr;
    // What every file the system replaces is flushed through, so that a power cut leaves the
    // old file or the new; none for no flush (tests, the rehearsal).
    store::FileSync* fileSync = nullptr;
    // The web console's password hashes and tokens; without them the options offer no page for
    // the console.
    console::Secrets* consoleSecrets = nullptr;
    // Reads the console certificate's fingerprint for that page; without it none is shown.
    console::Certificates* consoleCertificates = nullptr;
    // The alerts' own device and its volume, for the alarm and the notices; without them an
    // emergency silences the timetable but sounds nothing.
    platform::MediaDevice* alertDevice = nullptr;
    platform::AudioOutput* alertOutput = nullptr;
    // Where the built-in siren is written to be played from; the program directory's
    // "siren.wav" when not given.
    std::filesystem::path sirenFile = {};
    // Whether a display is there to show web pages on; without one they are passed over.
    bool pagesShown = true;
};

// One of each platform part every system needs, under the names the services give them: the
// program's real platform, the rehearsal's simulated one and the tests' fakes.
template <class Parts>
concept PlatformParts = requires(Parts& p) {
    { p.host } -> std::convertible_to<platform::Host&>;
    { p.clock } -> std::convertible_to<const platform::Clock&>;
    { p.power } -> std::convertible_to<platform::Power&>;
    { p.screenSaver } -> std::convertible_to<platform::ScreenSaverFlag&>;
    { p.shell } -> std::convertible_to<platform::Shell&>;
    { p.instance } -> std::convertible_to<platform::SingleInstance&>;
    { p.monitors } -> std::convertible_to<const platform::Monitors&>;
    { p.keyboard } -> std::convertible_to<platform::Keyboard&>;
    { p.processes } -> std::convertible_to<platform::Processes&>;
};

// The services of a system on `parts`, playing through `media` and setting the volume on
// `output`, with the media profile in the program directory unless another is given. What is
// optional is left out, for the caller to add.
template <PlatformParts Parts>
PlatformServices servicesOf(Parts& parts, platform::MediaDevice& media,
                            platform::AudioOutput& output,
                            const std::filesystem::path& programDirectory,
                            std::filesystem::path mediaProfile = {}) {
    if (mediaProfile.empty()) {
        mediaProfile = programDirectory / "win.ini";
    }
    return {.host = parts.host,
            .clock = parts.clock,
            .power = parts.power,
            .screenSaver = parts.screenSaver,
            .shell = parts.shell,
            .singleInstance = parts.instance,
            .monitors = parts.monitors,
            .keyboard = parts.keyboard,
            .mediaDevice = media,
            .audioOutput = output,
            .processes = parts.processes,
            .programDirectory = programDirectory,
            .mediaProfile = std::move(mediaProfile)};
}

}  // namespace orvessa::system

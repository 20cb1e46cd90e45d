#pragma once

#include <filesystem>
#include <memory>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/ical/ical_calendar_reader.h"
#include "backends/linux/as_run_writer.h"
#include "backends/linux/journal_failure_record.h"
#include "backends/linux/linux_clock.h"
#include "backends/linux/linux_clock_sync.h"
#include "backends/linux/linux_file_sync.h"
#include "backends/linux/linux_power.h"
#include "backends/linux/linux_processes.h"
#include "backends/linux/linux_wake_alarm.h"
#include "backends/linux/openssl_certificates.h"
#include "backends/linux/program_directory_lock.h"
#include "backends/linux/sodium_secrets.h"
#include "backends/linux/temporary_folder.h"
#include "core/system/platform_services.h"
#include "dryrun/day_checker_service.h"
#include "station/headless_host.h"
#include "station/headless_shell.h"

namespace orvessa::station {

// The broadcast device of a service: sound only. A film's picture has no window to go to; its
// sound plays and the picture is recorded as not shown.
class SoundOnlyDevice : public backends::GstMediaDevice {
public:
    SoundOnlyDevice(backends::GstMediaOptions options, platform::FailureRecord* failures);
    void open() override;

private:
    platform::FailureRecord* m_failures;
};

// The program directory's lock, taken once before the system starts: the system's own claim
// then finds it held. Another broadcaster on the directory (the desktop program or another
// service) refuses this one, and this one refuses them.
class DirectoryInstance : public platform::SingleInstance {
public:
    explicit DirectoryInstance(const std::filesystem::path& directory) : m_lock(directory) {}
    // Busy when another process holds the directory; NotMade (recorded) starts without it.
    backends::ProgramDirectoryLock::Claim take(platform::FailureRecord* failures);
    bool claim() override;

private:
    backends::ProgramDirectoryLock m_lock;
};

// One virtual monitor, the primary one.
class VirtualMonitor : public platform::Monitors {
public:
    std::vector<platform::ScreenRect> monitors() const override { return {{0, 0, 1024, 768}}; }
};

// No desktop's input to type into.
class NoKeyboard : public platform::Keyboard {
public:
    void keyEvent(platform::Key, bool) override {}
};

// The service's platform: the Linux backends and the media framework without any display.
// Made before the system and kept until after it is gone; its parts go in reverse order.
class StationPlatform {
public:
    explicit StationPlatform(std::filesystem::path programDirectory);
    StationPlatform(const StationPlatform&) = delete;
    StationPlatform& operator=(const StationPlatform&) = delete;

    system::PlatformServices services();

    const std::filesystem::path programDirectory;
    // First, so that it outlives every writer.
    backends::LinuxFileSync fileSync;
    backends::LinuxClock clock;
    backends::JournalFailureRecord failures;
    HeadlessHost host;
    backends::LinuxPower power;
    backends::LinuxScreenSaverFlag screenSaver;
    HeadlessShell shell;
    VirtualMonitor monitors;
    NoKeyboard keyboard;
    backends::LinuxProcesses processes;
    const std::filesystem::path mediaProfile;
    SoundOnlyDevice mediaDevice;
    SoundOnlyDevice alertDevice;
    std::unique_ptr<backends::AsRunWriter> asRun;
    const backends::TemporaryFolder alertFolder;
    DirectoryInstance instance;
    dryrun::DayCheckerService dayChecker;
    backends::IcalCalendarReader calendarReader;
    backends::LinuxClockSync clockSync;
    backends::LinuxWakeAlarm wakeAlarm;
    backends::SodiumSecrets consoleSecrets;
    backends::OpensslCertificates consoleCertificates;
};

}  // namespace orvessa::station

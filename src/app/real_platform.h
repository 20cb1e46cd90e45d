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
#include "backends/linux/linux_single_instance.h"
#include "backends/linux/linux_unattended_start.h"
#include "backends/linux/linux_wake_alarm.h"
#include "backends/linux/openssl_certificates.h"
#include "backends/linux/sodium_secrets.h"
#include "backends/linux/temporary_folder.h"
#include "backends/linux/xtest_keyboard.h"
#include "core/skins/skin_result.h"
#include "core/skins/skin_store.h"
#include "core/system/platform_services.h"
#include "dryrun/day_checker_service.h"
#include "gui/desktop_shell.h"
#include "gui/qt_host.h"
#include "gui/qt_monitors.h"
#include "gui/skins/qt_skin_look.h"

namespace orvessa::app {

// The program's own platform: the Qt host and views' services, the Linux backends, the media
// framework, the pre-flight check's rehearsal. Made after the application and kept until after
// the system is gone; its parts are made in the order the program has always made them, and go
// in the reverse order.
class RealPlatform {
public:
    RealPlatform();
    RealPlatform(const RealPlatform&) = delete;
    RealPlatform& operator=(const RealPlatform&) = delete;

    // The services of the system on this platform, every optional one included.
    system::PlatformServices services();

    // Every file the system replaces is on the disk, not only in a cache, before it counts as
    // written: the end of the day may switch the power off right after. First, so that it
    // outlives every writer.
    backends::LinuxFileSync fileSync;
    gui::QtHost host;
    backends::LinuxClock clock;
    // What fails goes to standard error and the journal, one line each with the time and row.
    backends::JournalFailureRecord failures;
    backends::LinuxPower power;
    backends::LinuxScreenSaverFlag screenSaver;
    gui::DesktopShell shell;
    gui::QtMonitors monitors;
    backends::XTestKeyboard keyboard;
    backends::LinuxProcesses processes;
    const std::filesystem::path mediaProfile;
    // The broadcast's own, which also sets the volume.
    backends::GstMediaDevice mediaDevice;
    // The sound recorder's own: recording never disturbs what the broadcast plays.
    backends::GstMediaDevice recordingDevice;
    // The alarm's and the notices': a row's volume never reaches them, and a paused song keeps
    // its place on the broadcast's.
    backends::GstMediaDevice alertDevice;
    // What went on air, day by day; none where the record has no directory.
    std::unique_ptr<backends::AsRunWriter> asRun;
    // The look's pictures go into a folder that is removed on the way out.
    const backends::TemporaryFolder skinFolder;
    gui::QtSkinLook skinLook;
    // Where the built-in siren is written each start, removed on the way out.
    const backends::TemporaryFolder alertFolder;
    skins::Result<skins::SkinStore> skinStore;
    // Beside the executable, or the user's own directory when the program is installed.
    const std::filesystem::path programDirectory;
    // One broadcaster per program directory, and one Orvessa per desktop.
    backends::LinuxSingleInstance instance;
    dryrun::DayCheckerService dayChecker;
    backends::IcalCalendarReader calendarReader;
    backends::LinuxClockSync clockSync;
    backends::LinuxUnattendedStart unattendedStart;
    // The wake time, where the package's shutdown helper finds it.
    backends::LinuxWakeAlarm wakeAlarm;
    // The web console's password hashes and tokens, and its certificate: for its page in the
    // options and for the console itself.
    backends::SodiumSecrets consoleSecrets;
    backends::OpensslCertificates consoleCertificates;
};

}  // namespace orvessa::app

#include "station/station_platform.h"

#include <cstdlib>
#include <iostream>

#include "dryrun/work_directory.h"

namespace orvessa::station {
namespace {

constexpr const char* kAlertFolderPrefix = "orvessa-alert-";
constexpr const char* kNoPicture = "fakesink sync=true";

// The multimedia profile where the desktop program keeps it: the user's configuration directory.
std::filesystem::path mediaProfilePath() {
    std::filesystem::path config;
    if (const char* dir = std::getenv("XDG_CONFIG_HOME"); dir != nullptr && *dir == '/') {
        config = dir;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        config = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    std::error_code ec;
    std::filesystem::create_directories(config / "orvessa", ec);
    return config / "orvessa" / "win.ini";
}

backends::GstMediaOptions soundOptions(const std::filesystem::path& mediaProfile,
                                       platform::FailureRecord& failures,
                                       store::FileSync& fileSync) {
    backends::GstMediaOptions options;
    options.videoSink = kNoPicture;
    options.mediaProfile = mediaProfile;
    options.failures = &failures;
    options.fileSync = &fileSync;
    return options;
}

std::unique_ptr<backends::AsRunWriter> asRunWriter() {
    if (const std::filesystem::path dir = backends::AsRunWriter::defaultDirectory(); !dir.empty()) {
        return std::make_unique<backends::AsRunWriter>(dir, std::cerr);
    }
    return nullptr;
}

backends::TemporaryFolder freshTemporaryFolder(const char* prefix) {
    backends::removeStaleTemporaryFolders(prefix);
    return backends::TemporaryFolder(prefix);
}

dryrun::DayCheckerService dayCheckerOf(const std::filesystem::path& programDirectory) {
    dryrun::removeStaleWorkDirectories();
    return dryrun::DayCheckerService(programDirectory);
}

// Started by systemd, standard error already goes to the journal: a second copy through syslog
// would show every failure twice.
bool journalThroughSyslog() {
    const char* stream = std::getenv("JOURNAL_STREAM");
    return stream == nullptr || *stream == '\0';
}

}  // namespace

SoundOnlyDevice::SoundOnlyDevice(backends::GstMediaOptions options,
                                 platform::FailureRecord* failures)
    : GstMediaDevice(std::move(options)), m_failures(failures) {}

void SoundOnlyDevice::open() {
    GstMediaDevice::open();
    if (hasPicture()) {
        platform::recordFailure(m_failures,
                                {"picture not shown", fileName() + ": the service has no display; "
                                                                   "only the sound plays"});
    }
}

backends::ProgramDirectoryLock::Claim DirectoryInstance::take(platform::FailureRecord* failures) {
    const backends::ProgramDirectoryLock::Claim claim = m_lock.claim();
    if (claim == backends::ProgramDirectoryLock::Claim::NotMade) {
        // A read-only directory must not silence the bells, as in the desktop program.
        platform::recordFailure(failures, {"program directory lock not taken",
                                           m_lock.problem() + "; starting without it"});
    }
    return claim;
}

bool DirectoryInstance::claim() {
    return m_lock.claim() != backends::ProgramDirectoryLock::Claim::Busy;
}

StationPlatform::StationPlatform(std::filesystem::path directory)
    : programDirectory(std::move(directory)),
      failures(clock, std::cerr, journalThroughSyslog()),
      host(&failures),
      power(&failures),
      mediaProfile(mediaProfilePath()),
      mediaDevice(soundOptions(mediaProfile, failures, fileSync), &failures),
      alertDevice(soundOptions(mediaProfile, failures, fileSync), &failures),
      asRun(asRunWriter()),
      alertFolder(freshTemporaryFolder(kAlertFolderPrefix)),
      instance(programDirectory),
      dayChecker(dayCheckerOf(programDirectory)),
      wakeAlarm(backends::LinuxWakeAlarm::placesOfThisProcess(), &fileSync) {}

system::PlatformServices StationPlatform::services() {
    system::PlatformServices s =
        system::servicesOf(*this, mediaDevice, mediaDevice, programDirectory, mediaProfile);
    s.broadcastRecord = asRun.get();
    s.dayChecker = &dayChecker;
    s.failureRecord = &failures;
    s.calendarReader = &calendarReader;
    s.clockSync = &clockSync;
    s.wakeAlarm = &wakeAlarm;
    s.fileSync = &fileSync;
    s.consoleSecrets = &consoleSecrets;
    s.consoleCertificates = &consoleCertificates;
    s.alertDevice = &alertDevice;
    s.alertOutput = &alertDevice;
    if (alertFolder.valid()) {
        s.sirenFile = alertFolder.path() / "siren.wav";
    }
    // The pages of the desktop's built-in browser have no window here: passed over, recorded.
    s.pagesShown = false;
    return s;
}

}  // namespace orvessa::station

#include "app/real_platform.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <iostream>

#include "backends/linux/program_directory.h"
#include "dryrun/work_directory.h"
#include "gui/skins/built_in_skins.h"

namespace orvessa::app {
namespace {

constexpr const char* kSkinFolderPrefix = "orvessa-skin-";
constexpr const char* kAlertFolderPrefix = "orvessa-alert-";

// The platform's multimedia profile: Linux has no win.ini, so Orvessa keeps its own in the
// user's configuration directory.
std::filesystem::path mediaProfilePath() {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir dir(config);
    dir.mkpath(QStringLiteral("orvessa"));
    return std::filesystem::path(dir.filePath(QStringLiteral("orvessa/win.ini")).toStdU16String());
}

backends::GstMediaOptions playbackOptions(const std::filesystem::path& mediaProfile,
                                          platform::FailureRecord& failures,
                                          store::FileSync& fileSync) {
    backends::GstMediaOptions options;
    options.mediaProfile = mediaProfile;
    options.failures = &failures;
    options.fileSync = &fileSync;
    return options;
}

// A PC without a microphone can be given another input by name (a test tone, a monitor of the
// output), and only when asked: an input that silently stood in for the microphone would record
// nothing.
backends::GstMediaOptions recordingOptions(const std::filesystem::path& mediaProfile,
                                           platform::FailureRecord& failures,
                                           store::FileSync& fileSync) {
    backends::GstMediaOptions options = playbackOptions(mediaProfile, failures, fileSync);
    if (const QByteArray source = qgetenv("ORVESSA_RECORDING_SOURCE"); !source.isEmpty()) {
        options.recordingSource = source.toStdString();
    }
    return options;
}

// The clock only queues, a thread of its own writes, and the writer outlives the system so that
// the queue reaches the disk on the way out.
std::unique_ptr<backends::AsRunWriter> asRunWriter() {
    if (const std::filesystem::path dir = backends::AsRunWriter::defaultDirectory(); !dir.empty()) {
        return std::make_unique<backends::AsRunWriter>(dir, std::cerr);
    }
    return nullptr;
}

// Those of instances ended by a signal or a power cut are swept first.
backends::TemporaryFolder freshTemporaryFolder(const char* prefix) {
    backends::removeStaleTemporaryFolders(prefix);
    return backends::TemporaryFolder(prefix);
}

skins::Result<skins::SkinStore> builtInSkins() {
    auto store = skins::SkinStore::parse(gui::builtInSkinStore());
    if (!store) {
        std::cerr << "Orvessa: the built-in skins cannot be read: " << store.error() << "\n";
    }
    return store;
}

// The pre-flight check rehearses a day on copies of the program directory's files; the copies
// of a check the program was killed during are removed.
dryrun::DayCheckerService dayCheckerOf(const std::filesystem::path& programDirectory) {
    dryrun::removeStaleWorkDirectories();
    return dryrun::DayCheckerService(programDirectory);
}

}  // namespace

RealPlatform::RealPlatform()
    : failures(clock, std::cerr),
      power(&failures),
      mediaProfile(mediaProfilePath()),
      mediaDevice(playbackOptions(mediaProfile, failures, fileSync)),
      recordingDevice(recordingOptions(mediaProfile, failures, fileSync)),
      alertDevice(playbackOptions(mediaProfile, failures, fileSync)),
      asRun(asRunWriter()),
      skinFolder(freshTemporaryFolder(kSkinFolderPrefix)),
      skinLook(QFile::decodeName(skinFolder.path().c_str())),
      alertFolder(freshTemporaryFolder(kAlertFolderPrefix)),
      skinStore(builtInSkins()),
      programDirectory(backends::openProgramDirectory(std::cerr)),
      instance(programDirectory, &failures),
      dayChecker(dayCheckerOf(programDirectory)),
      unattendedStart(backends::LinuxUnattendedStart::placesOfThisProcess(), &fileSync),
      wakeAlarm(backends::LinuxWakeAlarm::placesOfThisProcess(), &fileSync) {}

system::PlatformServices RealPlatform::services() {
    // The volume is the broadcast pipeline's own.
    system::PlatformServices s =
        system::servicesOf(*this, mediaDevice, mediaDevice, programDirectory, mediaProfile);
    s.recordingDevice = &recordingDevice;
    s.broadcastRecord = asRun.get();
    s.skinStore = skinStore ? &skinStore.value() : nullptr;
    s.skinLook = &skinLook;
    s.dayChecker = &dayChecker;
    s.failureRecord = &failures;
    s.calendarReader = &calendarReader;
    s.clockSync = &clockSync;
    s.unattendedStart = &unattendedStart;
    s.wakeAlarm = &wakeAlarm;
    s.fileSync = &fileSync;
    s.consoleSecrets = &consoleSecrets;
    s.consoleCertificates = &consoleCertificates;
    s.alertDevice = &alertDevice;
    s.alertOutput = &alertDevice;
    if (alertFolder.valid()) {
        s.sirenFile = alertFolder.path() / "siren.wav";
    }
    return s;
}

}  // namespace orvessa::app

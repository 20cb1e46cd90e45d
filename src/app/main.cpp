// Orvessa's entry point: wires the core to the Qt views and the Linux backends, then runs the
// message loop. The system takes no command-line arguments.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>
#include <filesystem>
#include <iostream>
#include <list>
#include <memory>

#include "backends/linux/program_directory.h"
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
#include "backends/linux/temporary_folder.h"
#include "backends/linux/xtest_keyboard.h"
#include "core/scheduler/main_routine.h"
#include "core/skins/skin_store.h"
#include "core/store/file_io.h"
#include "dryrun/day_checker_service.h"
#include "dryrun/work_directory.h"
#include "gui/desktop_shell.h"
#include "gui/pictures.h"
#include "gui/qt_host.h"
#include "gui/qt_monitors.h"
#include "gui/qt_text.h"
#include "gui/skins/built_in_skins.h"
#include "gui/skins/qt_skin_look.h"
#include "gui/system_views.h"
#include "gui/timer_binder.h"

namespace {

constexpr const char* kSkinFolderPrefix = "orvessa-skin-";

// The platform's multimedia profile: Linux has no win.ini, so Orvessa keeps its own in the
// user's configuration directory.
std::filesystem::path mediaProfilePath() {
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir dir(config);
    dir.mkpath(QStringLiteral("orvessa"));
    return std::filesystem::path(dir.filePath(QStringLiteral("orvessa/win.ini")).toStdU16String());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orvessa;
    // Every file the system replaces is on the disk, not only in a cache, before it counts as
    // written: the end of the day may switch the power off right after. Static, so that it
    // outlives every writer.
    static backends::LinuxFileSync fileSync;
    store::useFileSync(&fileSync);
    // The browser, loaded later from its module, refuses to run as root with its sandbox.
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // Idle, the window draws one digit of its clock a second. Through shared memory each such
    // paint first waits for the X server to answer that it read the last one: two wake-ups a
    // second for a few hundred bytes. The operator's own setting stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvessa"));
    QApplication::setWindowIcon(gui::applicationIcon());
    // The toolkit's own dialogs (files, fonts, colours) in the interface's language.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&toolkitTexts);
    }
    // Hiding the main window to the tray must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    gui::QtHost host;
    backends::LinuxClock clock;
    // What fails goes to standard error and the journal, one line each with the time and row.
    backends::JournalFailureRecord failures(clock, std::cerr);
    backends::LinuxPower power(&failures);
    backends::LinuxScreenSaverFlag screenSaver;
    gui::DesktopShell shell;
    gui::QtMonitors monitors;
    backends::XTestKeyboard keyboard;
    backends::LinuxProcesses processes;
    const std::filesystem::path mediaProfile = mediaProfilePath();
    backends::GstMediaOptions mediaOptions;
    mediaOptions.mediaProfile = mediaProfile;
    backends::GstMediaDevice mediaDevice(mediaOptions);
    // The sound recorder's own: recording never disturbs what the broadcast plays. A PC without a
    // microphone can be given another input by name (a test tone, a monitor of the output), and
    // only when asked: an input that silently stood in for the microphone would record nothing.
    backends::GstMediaOptions recordingOptions = mediaOptions;
    if (const QByteArray source = qgetenv("ORVESSA_RECORDING_SOURCE"); !source.isEmpty()) {
        recordingOptions.recordingSource = source.toStdString();
    }
    backends::GstMediaDevice recordingDevice(recordingOptions);

    // What went on air, day by day: the clock only queues, a thread of its own writes, and it
    // outlives the system so that the queue reaches the disk on the way out.
    std::unique_ptr<backends::AsRunWriter> asRun;
    if (const std::filesystem::path dir = backends::AsRunWriter::defaultDirectory(); !dir.empty()) {
        asRun = std::make_unique<backends::AsRunWriter>(dir, std::cerr);
    }

    // The ten built-in skins and the look that draws them, made after the application so that
    // the look is gone before it. The look's pictures go into a folder that is removed on the way
    // out; those of instances ended by a signal or a power cut are swept first.
    backends::removeStaleTemporaryFolders(kSkinFolderPrefix);
    const backends::TemporaryFolder skinFolder(kSkinFolderPrefix);
    gui::QtSkinLook skinLook(QFile::decodeName(skinFolder.path().c_str()));
    auto skinStore = skins::SkinStore::parse(gui::builtInSkinStore());
    if (!skinStore) {
        std::cerr << "Orvessa: the built-in skins cannot be read: " << skinStore.error() << "\n";
    }

    // Beside the executable, or the user's own directory when the program is installed.
    const std::filesystem::path programDirectory = backends::openProgramDirectory(std::cerr);
    // One broadcaster per program directory, and one Orvessa per desktop.
    backends::LinuxSingleInstance instance(programDirectory, &failures);
    // The pre-flight check rehearses a day on copies of the program directory's files; the
    // copies of a check the program was killed during are removed.
    dryrun::removeStaleWorkDirectories();
    dryrun::DayCheckerService dayChecker(programDirectory);
    backends::IcalCalendarReader calendarReader;
    backends::LinuxClockSync clockSync;
    backends::LinuxUnattendedStart unattendedStart(
        backends::LinuxUnattendedStart::placesOfThisProcess());
    std::unique_ptr<scheduler::OrvessaSystem> system =
        scheduler::OrvessaSystem::start({.host = host,
                                         .clock = clock,
                                         .power = power,
                                         .screenSaver = screenSaver,
                                         .shell = shell,
                                         .singleInstance = instance,
                                         .monitors = monitors,
                                         .keyboard = keyboard,
                                         .mediaDevice = mediaDevice,
                                         // The volume is the broadcast pipeline's own.
                                         .audioOutput = mediaDevice,
                                         .processes = processes,
                                         .programDirectory = programDirectory,
                                         .mediaProfile = mediaProfile,
                                         .recordingDevice = &recordingDevice,
                                         .broadcastRecord = asRun.get(),
                                         .skinStore = skinStore ? &skinStore.value() : nullptr,
                                         .skinLook = &skinLook,
                                         .dayChecker = &dayChecker,
                                         .failureRecord = &failures,
                                         .calendarReader = &calendarReader,
                                         .clockSync = &clockSync,
                                         .unattendedStart = &unattendedStart});
    if (!system) {
        return 0;
    }
    if (host.quitRequested()) {
        return 0;
    }

    ui::MainWindow& mainWindow = system->mainWindow();
    // The clock, the now-playing display and the stop-day ticker compare clock texts; the key
    // timer counts its own four seconds from the launch, the clock watch its ten minutes.
    std::list<gui::TimerBinder> timers;
    for (model::Timer* t :
         {&mainWindow.broadcastTimer, &mainWindow.nowPlayingTimer, &mainWindow.stopDayTimer}) {
        timers.emplace_back(*t, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
    }
    timers.emplace_back(system->videoWindow().Timer1, gui::TimerBinder::Ticks::FromStart, nullptr);
    timers.emplace_back(mainWindow.clockSyncTimer, gui::TimerBinder::Ticks::FromStart, nullptr);
    gui::SystemViews views(*system, host);

    // The message loop shows the main window, which runs its activation.
    mainWindow.E1Click();
    const int code = QApplication::exec();
    return code;
}

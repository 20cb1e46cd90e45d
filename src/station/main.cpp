// orvessa-station DIR: the broadcast of the program directory DIR as a service, with no display
// and no Qt. GLib's main loop (which GStreamer brings) drives the system's timers; systemd is
// told when it is ready, what it is doing, and, from the broadcast clock's tick, that it lives.

#include <glib-unix.h>
#include <glib.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>

#include "backends/linux/linux_host_names.h"
#include "backends/linux/mhd_http_server.h"
#include "core/console/assets.h"
#include "core/console_server/console_runner.h"
#include "core/desktop/orvessa_system.h"
#include "station/glib_timers.h"
#include "station/glib_ui_queue.h"
#include "station/station_platform.h"
#include "station/systemd_notifier.h"

namespace {

using namespace orvessa;

// Exit statuses the unit does not restart on: a restart would be refused the same way.
constexpr int kUsage = 2;
constexpr int kDirectoryBusy = 3;

struct Stop {
    GMainLoop* loop;
    station::SystemdNotifier* notifier;
};

gboolean stopOnSignal(gpointer data) {
    const auto* stop = static_cast<const Stop*>(data);
    stop->notifier->stopping();
    g_main_loop_quit(stop->loop);
    return G_SOURCE_CONTINUE;
}

gboolean runOnce(gpointer data) {
    (*static_cast<std::function<void()>*>(data))();
    return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "用法: orvessa-station 节目目录\n";
        return kUsage;
    }
    std::error_code ec;
    const std::filesystem::path directory = std::filesystem::absolute(argv[1], ec);
    if (ec || !std::filesystem::is_directory(directory, ec)) {
        std::cerr << "orvessa-station: 节目目录 " << argv[1] << " 不存在或不是目录\n";
        return kUsage;
    }

    station::StationPlatform platform(directory);
    if (platform.instance.take(&platform.failures) == backends::ProgramDirectoryLock::Claim::Busy) {
        std::cerr << "orvessa-station: 节目目录 " << directory.string()
                  << " 已在运行另一个 Orvessa（桌面程序或服务），本服务不再启动\n";
        return kDirectoryBusy;
    }

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    const std::unique_ptr<GMainLoop, decltype(&g_main_loop_unref)> loopOwner(loop,
                                                                             g_main_loop_unref);
    platform.host.setQuitHandler([loop] { g_main_loop_quit(loop); });
    // From here on a stop request ends the loop as soon as it runs, start-up included.
    station::SystemdNotifier notifier;
    Stop stop{loop, &notifier};
    g_unix_signal_add(SIGTERM, stopOnSignal, &stop);
    g_unix_signal_add(SIGINT, stopOnSignal, &stop);

    std::unique_ptr<system::OrvessaSystem> system =
        system::OrvessaSystem::start(platform.services());
    if (!system) {
        return kDirectoryBusy;
    }
    if (platform.host.quitRequested()) {
        return 0;
    }

    ui::MainWindow& mainWindow = system->mainWindow();
    station::ClockWatchdog watchdog(system->engine().ticker(), notifier);
    model::Timer heartbeat{"watchdogHeartbeat", 1000, notifier.watchdogEnabled()};
    heartbeat.setHandler([&watchdog] { watchdog.heartbeat(); });
    // Let go of before any timer it drives goes: the console's ticker is made after it.
    auto timerDriver = std::make_unique<station::GlibTimers>();
    station::GlibTimers& timers = *timerDriver;
    // The station's beat and the window models' timers, on the same rule as the desktop program's.
    timers.drive(system->engine().ticker(), station::GlibTimers::Ticks::OnTheSecond,
                 [&watchdog] { watchdog.clockTicked(); });
    timers.drive(mainWindow.nowPlayingTimer, station::GlibTimers::Ticks::OnTheSecond);
    timers.drive(mainWindow.stopDayTimer, station::GlibTimers::Ticks::OnTheSecond);
    timers.drive(system->videoWindow().keyTimer, station::GlibTimers::Ticks::FromStart);
    timers.drive(mainWindow.clockSyncTimer, station::GlibTimers::Ticks::FromStart);
    timers.drive(mainWindow.alertTimer, station::GlibTimers::Ticks::FromStart);
    timers.drive(heartbeat, station::GlibTimers::Ticks::FromStart);

    mainWindow.statusLine.changed.connect(
        [&notifier, &mainWindow] { notifier.status(mainWindow.statusLine.text()); });

    // The console in the browser, when console.conf turns it on, as in the desktop program.
    backends::LinuxHostNames hostNames;
    dryrun::DayCheckerService consoleDays(platform.programDirectory);
    backends::MhdHttpServer server;
    station::GlibUiQueue loopThread;
    console::ConsoleRunner consoleRunner(
        *system, console::ConsoleRunnerServices{
                     .server = server,
                     .certificates = &platform.consoleCertificates,
                     .hostNames = hostNames,
                     .secrets = platform.consoleSecrets,
                     .ui = loopThread,
                     .clock = platform.clock,
                     .checker = &consoleDays,
                     .asRunDirectory = platform.asRun ? backends::AsRunWriter::defaultDirectory()
                                                      : std::filesystem::path(),
                     .fileSync = &platform.fileSync,
                     .assets = console::findAsset});
    if (editing::ConsolePage* page = system->optionsDialog().consolePage()) {
        page->consoleSettingsChanged.connect([&consoleRunner] { consoleRunner.restart(); });
    }
    timers.drive(consoleRunner.ticker(), station::GlibTimers::Ticks::OnTheSecond);

    // The first activation, as the desktop's window gets when it is shown; the console after
    // its status lines; ready once both are done.
    std::function<void()> begin = [&] {
        mainWindow.activate();
        consoleRunner.start();
        notifier.ready(mainWindow.statusLine.text());
    };
    g_idle_add(runOnce, &begin);
    std::cerr << "orvessa-station: 节目目录 " << directory.string() << " 开始播出\n";
    if (!platform.host.quitRequested()) {
        g_main_loop_run(loop);
    }
    timerDriver.reset();
    consoleRunner.stop();
    if (platform.asRun) {
        platform.asRun->flush();
    }
    std::cerr << "orvessa-station: 节目目录 " << directory.string() << " 已停止\n";
    return 0;
}

// Orvessa's entry point: wires the core to the Qt views and the Linux backends, then runs the
// message loop. The system takes no command-line arguments.

#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <list>
#include <memory>

#include "app/real_platform.h"
#include "backends/linux/linux_host_names.h"
#include "backends/linux/mhd_http_server.h"
#include "core/console_server/console_runner.h"
#include "core/desktop/orvessa_system.h"
#include "dryrun/day_checker_service.h"
#include "gui/global_key.h"
#include "gui/pictures.h"
#include "gui/qt_ui_queue.h"
#include "gui/system_views.h"
#include "gui/timer_binder.h"

int main(int argc, char** argv) {
    using namespace orvessa;
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

    // Made after the application, so that the look of the skins is gone before it.
    app::RealPlatform platform;
    std::unique_ptr<system::OrvessaSystem> system =
        system::OrvessaSystem::start(platform.services());
    if (!system) {
        return 0;
    }
    if (platform.host.quitRequested()) {
        return 0;
    }

    ui::MainWindow& mainWindow = system->mainWindow();
    // The clock, the now-playing display and the stop-day ticker compare clock texts; the key
    // timer counts its own four seconds from the launch, the clock watch its ten minutes.
    std::list<gui::TimerBinder> timers;
    for (model::Timer* t :
         {&system->engine().ticker(), &mainWindow.nowPlayingTimer, &mainWindow.stopDayTimer}) {
        timers.emplace_back(*t, gui::TimerBinder::Ticks::OnTheSecond, nullptr);
    }
    timers.emplace_back(system->videoWindow().keyTimer, gui::TimerBinder::Ticks::FromStart,
                        nullptr);
    timers.emplace_back(mainWindow.clockSyncTimer, gui::TimerBinder::Ticks::FromStart, nullptr);
    timers.emplace_back(mainWindow.alertTimer, gui::TimerBinder::Ticks::FromStart, nullptr);
    gui::SystemViews views(*system, platform.host);

    // The panic key starts the emergency while the window is hidden, or another program has the
    // focus. A key the desktop will not give us is said where the operator looks, and recorded.
    alerts::Alerts& alerts = system->alerts();
    gui::GlobalKey panicKey;
    QObject::connect(&panicKey, &gui::GlobalKey::pressed, [&alerts] { alerts.keyPressed(); });
    const auto grabPanicKey = [&] {
        const QString chord = QString::fromStdString(alerts.settings().key);
        if (chord.isEmpty()) {
            panicKey.setChord(QString());
            return;
        }
        QString problem;
        if (!panicKey.setChord(chord)) {
            problem = panicKey.error();
        } else {
            problem = panicKey.warning();
        }
        if (!problem.isEmpty()) {
            alerts.keyUnusable(problem.toStdString());
        }
    };
    grabPanicKey();
    if (editing::AlertsPage* page = system->optionsDialog().alertsPage()) {
        page->alertSettingsChanged.connect(grabPanicKey);
    }

    // The console in the browser, when console.conf turns it on: its own threads serve it,
    // and a console that cannot start leaves the broadcast as it is.
    backends::LinuxHostNames hostNames;
    // Its own rehearsals, so that a day looked at from the office never waits for the window's.
    dryrun::DayCheckerService consoleDays(platform.programDirectory);
    backends::MhdHttpServer server;
    gui::QtUiQueue interfaceThread;
    console::ConsoleRunner consoleRunner(
        *system, console::ConsoleRunnerServices{
                     .server = server,
                     .certificates = &platform.consoleCertificates,
                     .hostNames = hostNames,
                     .secrets = platform.consoleSecrets,
                     .ui = interfaceThread,
                     .clock = platform.clock,
                     .checker = &consoleDays,
                     .asRunDirectory = platform.asRun ? backends::AsRunWriter::defaultDirectory()
                                                      : std::filesystem::path(),
                     .fileSync = &platform.fileSync,
                     .assets = console::findAsset});
    // The options' console page changed where or whether it listens.
    if (editing::ConsolePage* page = system->optionsDialog().consolePage()) {
        page->consoleSettingsChanged.connect([&consoleRunner] { consoleRunner.restart(); });
    }
    const gui::TimerBinder consoleTicker(consoleRunner.ticker(),
                                         gui::TimerBinder::Ticks::OnTheSecond, nullptr);

    // The message loop shows the main window, which runs its activation.
    mainWindow.showFromTray();
    // After the activation's own status lines, so that a console that cannot start is read.
    QTimer::singleShot(0, [&consoleRunner] { consoleRunner.start(); });
    const int code = QApplication::exec();
    consoleRunner.stop();
    return code;
}

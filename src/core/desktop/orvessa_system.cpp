#include "core/desktop/orvessa_system.h"

#include "core/editing/unattended_start_line.h"
#include "core/scheduler/as_run.h"
#include "core/scheduler/timer_failures.h"
#include "core/store/table_file.h"
#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::system {
namespace {

// The look of a system started without one: skins are loaded and kept, nothing is drawn.
class NoSkinLook : public platform::SkinLook {
public:
    void apply(const skins::Skin&) override {}
    void clear() override {}
};

}  // namespace

std::unique_ptr<OrvessaSystem> OrvessaSystem::start(PlatformServices services) {
    if (!services.singleInstance.claim()) {
        services.host.messageBox("Orvessa已经运行！", "系统信息", platform::MessageIcon::None,
                                 platform::MessageButtons::Ok);
        return nullptr;
    }
    return std::unique_ptr<OrvessaSystem>(new OrvessaSystem(services));
}

OrvessaSystem::OrvessaSystem(PlatformServices& services) {
    m_engine = std::make_unique<system::BroadcastEngine>(
        services.programDirectory, services.itemDirectory, services.host, services.failureRecord);
    system::BroadcastEngine& e = *m_engine;
    if (services.broadcastRecord != nullptr) {
        e.addRecord(*services.broadcastRecord);
    }
    // Before anything saves it.
    e.writableConfig().setFileSync(services.fileSync);
    // The main window's initialisation runs before any other window exists.
    m_mainWindow = std::make_unique<ui::MainWindow>(ui::MainWindowServices{
        services.host, services.clock, services.shell, services.monitors, services.programDirectory,
        e.writableConfig(), [&e] { return e.saveConfiguration(); }, e.ticker()});
    m_windows.push_back(m_mainWindow.get());
    // The second-monitor choice is a setting the player and the alerts read; the box shows it.
    ui::MainWindow& window = *m_mainWindow;
    window.secondMonitorBox.setHandler([&window, &e] {
        window.secondMonitorChanged();
        e.writableSettings().secondMonitor = window.secondMonitorBox.checked();
    });
    followStatusLines();
    buildMainWindowSubsystems(services);
    m_startUp->create();

    buildWakeKeeper(services);
    buildDialogs(services);
    buildVideoWindow(services);
    buildRecorderWindow(services);
    buildExchangeChooser();
    buildDirectoryDialog();
    buildSubtitleDialog(services);
    buildCalendarWindow(services);

    ui::MainWindow& f = *m_mainWindow;
    m_tableExchange = std::make_unique<editing::TableExchange>(
        editing::ExchangeControls{*m_exchangeChooser, f.importTable, f.exportTable},
        e.writableSession().tableFileName, e.programDirectory(), services.host, *m_editor,
        services.fileSync);
    f.videoWindow = m_videoWindow.get();
    m_startUp->setDirectoryDialog(m_directoryDialog.get());
    m_lock->setDialog(m_passwordDialog.get());
    f.options.bind([this, &f, &host = services.host] {
        m_optionsDialog->prepareOpening(f.moveUpButton.enabled(), f.moveDownButton.enabled());
        host.showModal(*m_optionsDialog);
        m_optionsDialog->previousRow.setEnabled(f.moveUpButton.enabled());
    });
    m_endOfDay->setSettings(&e.writableSettings());
    m_editor->setVolumeFollower(
        [this](int volume) { m_optionsDialog->volumeSlider.setPosition(volume); });
    buildPlayback(services);
    buildPreflightCheck(services);
    buildClockWatch(services);
    buildAlerts(services);
    crewStation();
    // The options' live choices are in place now: whether the PC powers off is known.
    if (m_wake != nullptr) {
        e.events().connect([this](const EngineEvent& event) {
            if (event.kind == EngineEvent::Kind::TableSaved) {
                m_wake->update();
            } else {
                m_wake->follow();
            }
        });
        m_wake->update();
    }
    if (e.failureRecord() != nullptr) {
        scheduler::recordTimerFailures(*e.failureRecord(), services.clock,
                                       {{"station", e.ticker()},
                                        {f.name(), f.nowPlayingTimer},
                                        {f.name(), f.stopDayTimer},
                                        {f.name(), f.clockSyncTimer},
                                        {m_videoWindow->name(), m_videoWindow->keyTimer},
                                        {m_recorderWindow->name(), m_recorderWindow->tickTimer},
                                        {f.name(), f.alertTimer}});
    }
}

// The window's labels under the grid show the engine's status lines.
void OrvessaSystem::followStatusLines() {
    ui::MainWindow& f = *m_mainWindow;
    const std::array<model::TextControl*, 4> labels{&f.statusLine, &f.hintLine, &f.stopDayLine,
                                                    &f.clockText};
    m_engine->events().connect([&e = *m_engine, labels](const EngineEvent& event) {
        if (event.kind != EngineEvent::Kind::LineChanged) {
            return;
        }
        const model::TextLine& line = e.line(event.line);
        model::TextControl& label = *labels[static_cast<std::size_t>(event.line)];
        label.setColor(line.color());
        label.setText(line.text());
    });
}

// The password and options dialogs, which edit the configuration.
void OrvessaSystem::buildDialogs(PlatformServices& services) {
    system::BroadcastEngine& e = *m_engine;
    auto saveConfiguration = [&e] { return e.saveConfiguration(); };
    m_passwordDialog = std::make_unique<editing::PasswordDialog>(
        e.writableConfig(), e.writableSession().unlocked, services.host, saveConfiguration);
    m_windows.push_back(m_passwordDialog.get());
    m_optionsDialog = std::make_unique<editing::OptionsDialog>(
        e.writableConfig(), e.writableSettings(), m_mainWindow->grid,
        editing::OptionsServices{.host = services.host,
                                 .output = services.audioOutput,
                                 .saveConfiguration = saveConfiguration,
                                 .programDirectory = services.programDirectory,
                                 .unattendedStart = services.unattendedStart,
                                 .consoleSecrets = services.consoleSecrets,
                                 .consoleCertificates = services.consoleCertificates,
                                 .fileSync = services.fileSync,
                                 .libraryDirectory = [&e] { return e.libraryDirectory(); },
                                 .wake = m_wake.get()});
    m_windows.push_back(m_optionsDialog.get());
    if (editing::ConsolePage* console = m_optionsDialog->consolePage()) {
        m_windows.push_back(&console->accountDialog());
        m_windows.push_back(&console->tokenDialog());
    }
}

void OrvessaSystem::buildVideoWindow(PlatformServices& services) {
    m_videoWindow = std::make_unique<playback::VideoWindow>(services.monitors, services.keyboard);
    m_windows.push_back(m_videoWindow.get());
}

void OrvessaSystem::buildRecorderWindow(PlatformServices& services) {
    system::BroadcastEngine& e = *m_engine;
    ui::MainWindow& f = *m_mainWindow;
    platform::MediaDevice* recorder = services.recordingDevice;
    if (recorder == nullptr) {
        m_noRecordingDevice = std::make_unique<tools::AbsentMediaDevice>();
        recorder = m_noRecordingDevice.get();
    }
    m_recorderWindow = std::make_unique<tools::RecorderWindow>(
        *recorder, tools::RecorderServices{services.host, [&e] { return e.libraryDirectory(); },
                                           [this] { m_library->refresh(); }, services.fileSync});
    f.record.bind([this] { m_recorderWindow->showRecorder(); });
    m_windows.push_back(m_recorderWindow.get());
}

void OrvessaSystem::buildExchangeChooser() {
    m_exchangeChooser = std::make_unique<editing::ExchangeChooser>();
    m_windows.push_back(m_exchangeChooser.get());
}

void OrvessaSystem::buildDirectoryDialog() {
    m_directoryDialog = std::make_unique<editing::DirectoryDialog>(
        m_engine->programDirectoryText() + "AUDIO" + text::nativeSeparator());
    m_windows.push_back(m_directoryDialog.get());
}

void OrvessaSystem::buildSubtitleDialog(PlatformServices& services) {
    system::BroadcastEngine& e = *m_engine;
    auto saveConfiguration = [&e] { return e.saveConfiguration(); };
    m_subtitleDialog = std::make_unique<tools::SubtitleDialog>(
        e.writableConfig(), m_videoWindow->subtitleStrip,
        tools::SubtitleServices{services.host, services.host, services.monitors, saveConfiguration,
                                services.programDirectory, e.failureRecord(), services.fileSync});
    if (e.writableStartUp().configurationLoaded) {
        m_subtitleDialog->create();
    }
    m_mainWindow->subtitleItem.setHandler(
        [this, &host = services.host] { host.showModal(*m_subtitleDialog); });
    m_windows.push_back(m_subtitleDialog.get());
}

void OrvessaSystem::buildCalendarWindow(PlatformServices& services) {
    m_calendarWindow = std::make_unique<editing::CalendarWindow>(editing::CalendarServices{
        services.host, services.clock, *m_dayPlanner, m_engine->programDirectory(),
        services.calendarReader, services.fileSync});
    m_mainWindow->schoolCalendar.setHandler([this] { m_calendarWindow->open(); });
    m_windows.push_back(m_calendarWindow.get());
    m_windows.push_back(&m_calendarWindow->importDialog());
}

void OrvessaSystem::buildPreflightCheck(PlatformServices& services) {
    if (services.dayChecker == nullptr) {
        return;
    }
    ui::MainWindow& f = *m_mainWindow;
    system::BroadcastEngine& e = *m_engine;
    m_preflight = std::make_unique<editing::PreflightCheck>(editing::PreflightServices{
        services.host, services.clock, *services.dayChecker, f.grid,
        e.writableSession().tableFileName, e.writableLine(StatusLine::Hint),
        [this](int row) { m_editor->selectRow(row); }});
    m_windows.push_back(m_preflight.get());
    m_preflight->startLine.setVisible(false);
    f.preflightItem.setHandler([this, start = services.unattendedStart] {
        if (start != nullptr) {
            editing::showUnattendedStart(m_preflight->startLine, *start);
        }
        if (m_wake != nullptr) {
            m_wake->update();
            m_preflight->showWake(m_wake->poweringOff() ? m_wake->line() : "", m_wake->warning());
        }
        m_preflight->open();
    });
    m_editor->loaded.connect([this] { m_preflight->tableLoaded(); });
    // A day's table the operator saved is rehearsed again. The holiday list is saved through the
    // same action, and is no day's table.
    m_editor->savedByOperator.connect([this, &e] {
        if (e.manual() && !m_holidayPanel->open()) {
            m_preflight->tableSaved();
        }
    });
}

void OrvessaSystem::buildClockWatch(PlatformServices& services) {
    if (services.clockSync == nullptr) {
        return;
    }
    ui::MainWindow& f = *m_mainWindow;
    system::BroadcastEngine& e = *m_engine;
    m_clockWatch = std::make_unique<scheduler::ClockWatch>(
        scheduler::ClockWatchControls{e.writableSession(), f.clockSyncTimer}, *services.clockSync,
        services.clock, &e);
    m_clockWatch->changed.connect([&e] { e.clockHealthChanged(); });
    // The tray's tip and the pre-flight window say the clock's warning, as the engine tells it.
    e.events().connect([this, &f, plainTip = f.trayIcon.tip](const EngineEvent& event) {
        if (event.kind != EngineEvent::Kind::ClockHealthChanged) {
            return;
        }
        const std::string& warning = m_engine->writableSession().clockWarning;
        f.trayIcon.setTip(warning.empty() ? plainTip : plainTip + "\n" + text::trimText(warning));
        if (m_preflight != nullptr) {
            m_preflight->showClockWarning(warning);
        }
    });
    m_clockWatch->check();
}

// The station's commands are carried out by the subsystems built here; the window's mode
// commands go through the station like every other client's.
void OrvessaSystem::crewStation() {
    ui::MainWindow& f = *m_mainWindow;
    m_engine->setCrew(
        {.enterAutomatic = [this] { m_modes->enterAutomatic(); },
         .enterManual = [this] { m_modes->enterManual(); },
         .playRow = [this](int row) { m_player->play(row); },
         .stop = [this] { m_player->stop(); },
         .forceWeekday = [this](int number) { m_modes->forceWeekday(number); },
         .startEmergency =
             [this](const std::string& by) { return m_alerts->startEmergency(by).done(); },
         .endEmergency =
             [this](const std::string& by) { return m_alerts->endEmergency(by).done(); }});
    BroadcastEngine& e = *m_engine;
    f.automaticOperation.setHandler([&e] { e.enterAutomaticOperation(); });
    f.manualOperation.setHandler([&e] { e.enterManualOperation(); });
    for (int n = 0; n < 8; ++n) {
        f.forcedWeekdayItems[static_cast<std::size_t>(n)]->setHandler(
            [&e, n] { e.forceWeekday(n); });
    }
}

// The grid shows the station's table and holds the operator's draft of it.
scheduler::TableView OrvessaSystem::tableView() {
    model::Grid& grid = m_mainWindow->grid;
    return {.setEditable = [&grid](bool on) { grid.setEditable(on); },
            .setRowSelect = [&grid](bool on) { grid.setRowSelect(on); },
            .showRow = [&grid](int row) { grid.select(grid.col(), row); },
            .setHeadings = [&grid] { store::setScheduleHeaders(grid.table()); },
            .refresh = [&grid] { grid.tableChanged(); }};
}

void OrvessaSystem::commandsChanged(ui::CommandStates::Event event) {
    ui::MainWindow& f = *m_mainWindow;
    system::BroadcastEngine& e = *m_engine;
    m_commandStates->apply(
        event, {e.manual(), e.writableSession().playback.isPlaying, e.writableSession().unlocked,
                e.writableConfig().anyoneMayOperate(),
                m_holidayPanel != nullptr && m_holidayPanel->open()});
    if (event == ui::CommandStates::Event::EnterAutomatic) {
        // Automatic operation switches saving off: nothing is left unsaved.
        m_editor->setUnsaved(false);
    }
    if (event == ui::CommandStates::Event::EnterManual ||
        event == ui::CommandStates::Event::EnterAutomatic) {
        e.modeSwitched();
    }
    if (m_preflight == nullptr) {
        f.preflightItem.setEnabled(false);
    }
}

void OrvessaSystem::buildMainWindowSubsystems(PlatformServices& services) {
    ui::MainWindow& f = *m_mainWindow;
    system::BroadcastEngine& e = *m_engine;
    m_commandStates = std::make_unique<ui::CommandStates>(f);
    // The week's rules as the configuration holds them: the holiday panel's boxes write them
    // there when the operator accepts, and a panel still open, or cancelled, decides nothing.
    m_dayPlanner = std::make_unique<store::DayPlanner>(
        e.programDirectory(), [&e] { return store::weekRulesOf(e.config()); }, e.failureRecord());
    m_editor = std::make_unique<editing::GridEditor>(
        editing::EditorControls{f.grid, e.writableLine(StatusLine::Hint), f.save, f.addRow,
                                f.insertRow, f.deleteRow, f.moveUp, f.moveDown, f.saveButton,
                                f.deleteRowButton, f.deleteRowItem, f.moveUpButton, f.moveUpItem,
                                f.moveDownButton, f.moveDownItem},
        e.writableSession(),
        editing::EditorServices{services.host, services.clock, e.writableConfig(),
                                e.programDirectory(), e.failureRecord(),
                                [this](const platform::LocalDateTime& now) {
                                    const store::DayPlan plan =
                                        m_dayPlanner->planFor(platform::dateOf(now));
                                    if (m_journal != nullptr) {
                                        m_journal->dayPlanned(now, plan);
                                    }
                                    return plan;
                                },
                                services.fileSync});

    m_editor->loaded.connect([this, &f] { m_engine->tableLoaded(f.grid.table()); });
    m_editor->saved.connect([this, &f] { m_engine->tableSaved(f.grid.table()); });

    auto saveConfiguration = [&e] { return e.saveConfiguration(); };
    platform::SkinLook* look = services.skinLook;
    if (look == nullptr) {
        m_noSkinLook = std::make_unique<NoSkinLook>();
        look = m_noSkinLook.get();
    }
    m_skinEngine = std::make_unique<skins::SkinEngine>(
        *look, services.host, [failures = e.failureRecord()](const std::string& why) {
            platform::recordFailure(failures, {"skin refused", why});
        });
    m_skins = std::make_unique<skins::SkinSwitcher>(
        f.skinTool, e.writableConfig(), saveConfiguration, *m_skinEngine,
        services.skinStore != nullptr ? *services.skinStore : m_noSkins);
    f.changeSkin.bind([this] { m_skins->click(); });

    m_lock = std::make_unique<editing::OperatorLock>(
        editing::LockControls{f.enterSystem, f.lockSystem, f.changePassword,
                              [this] { commandsChanged(ui::CommandStates::Event::LockChanged); }},
        e.writableConfig(), e.writableSession().unlocked, services.screenSaver, services.host);
    m_library = std::make_unique<editing::MediaLibrary>(
        f.libraryList, f.grid, f.mediaLibraryItem, e.writableConfig(), e.writableSession().unlocked,
        e.writableSession().playback, services.host,
        editing::LibraryActions{[this] { return m_lock->askPassword(); }, [&f] { f.activate(); },
                                saveConfiguration, [&e] { return e.libraryDirectory(); }});
    m_modes = std::make_unique<scheduler::OperatingModes>(
        scheduler::ModeControls{f.manualOperation, f.automaticOperation, f.forcedWeekdayItems,
                                f.weekSetting, f.weekSettingTool, tableView(),
                                e.writableLine(StatusLine::Status),
                                e.writableLine(StatusLine::Hint), f.weekSelector, f.libraryList,
                                e.ticker(), f.stopDayTimer},
        scheduler::ModeState{e.writableConfig(), e.writableSession(), e.automaticDateField(),
                             f.layout.gridHeight},
        scheduler::ModeServices{
            services.host, services.clock, saveConfiguration, [this] { m_library->refresh(); },
            [this](bool manual) {
                commandsChanged(manual ? ui::CommandStates::Event::EnterManual
                                       : ui::CommandStates::Event::EnterAutomatic);
            },
            [this, &e, failures = e.failureRecord()] {
                m_library->checkFolder(e.writableLine(StatusLine::Hint), failures);
            }},
        *m_editor);

    scheduler::StartUpServices startUpServices{services.host,         services.clock,
                                               services.power,        services.programDirectory,
                                               services.mediaProfile, saveConfiguration};
    startUpServices.applySkin = [this] { m_skins->applyAtStartUp(); };
    startUpServices.failures = e.failureRecord();
    startUpServices.fileSync = services.fileSync;
    startUpServices.checkLibrary = [this, &e, failures = e.failureRecord()] {
        m_library->checkFolder(e.writableLine(StatusLine::Hint), failures);
    };
    startUpServices.readCalendar = [this] { m_dayPlanner->reload(); };
    m_startUp = std::make_unique<scheduler::StartUp>(
        scheduler::StartUpControls{
            f,
            f.trayIcon,
            tableView(),
            e.writableLine(StatusLine::Hint),
            e.ticker(),
            f.stopDayTimer,
            f.weekSelector,
            f.automaticOperation,
            f.saveButton,
            f.forcedAutomatic,
            f.hideAtStartBox,
            f.secondMonitorBox,
            f.weekdayStopBoxes,
            {&f.settingsMenu, &f.skinTool, &f.quitButton, &f.secondMonitorBox, &f.hideAtStartBox},
            {&f.enterSystem, &f.lockSystem, &f.systemSeparator1, &f.changePassword},
            {&f.insertRowButton, &f.deleteRowButton, &f.addRowButton, &f.moveUpButton,
             &f.moveDownButton, &f.saveButton}},
        scheduler::StartUpState{e.writableConfig(), e.programDirectoryText(),
                                e.writableStartUp().versionText, e.writableStartUp().platformFamily,
                                e.writableSession(), e.writableStopDay(), e.writableStartUp().hints,
                                e.writableStartUp().defaultDirectory,
                                e.writableStartUp().configurationLoaded},
        startUpServices, *m_editor, *m_modes, *m_lock);
    f.activated.connect([this] { m_startUp->activate(); });
    f.quit.bind([this] { m_startUp->quit(); });

    m_holidayPanel = std::make_unique<editing::HolidayPanel>(
        editing::HolidayControls{
            f.grid, f.holidaySettingsTitle, f.holidayListTitle, f.stopWeekdayGroup,
            f.weekdayStopBoxes, f.holidaysItem, f.holidayOkButton,
            [this](bool) { commandsChanged(ui::CommandStates::Event::PanelChanged); },
            f.libraryList, f.weekSelector, e.ticker()},
        editing::HolidayState{e.writableConfig(), e.writableSession().tableFileName,
                              e.writableSession().playback, f.layout.gridHeight},
        services.clock, services.host, saveConfiguration, *m_editor);

    m_endOfDay = std::make_unique<scheduler::EndOfDay>(
        scheduler::EndOfDayControls{
            e.writableLine(StatusLine::Status), e.writableLine(StatusLine::Hint),
            e.writableLine(StatusLine::Date), e.table(), e.ticker(), f.stopDayTimer},
        scheduler::EndOfDayState{e.writableConfig(), e.writableSession(), e.writableStopDay(),
                                 e.automaticDate()},
        services.clock, services.power,
        scheduler::EndOfDayActions{[this] { m_startUp->quit(); },
                                   [&f, &e] {
                                       scheduler::enterAutomaticOperation(f.automaticOperation,
                                                                          e.writableSession());
                                   },
                                   [this, &e] {
                                       e.writableSession().autoNaming = true;
                                       m_editor->load();
                                   },
                                   [this](const platform::LocalDateTime& day) {
                                       // An operator may have put a new calendar in place since
                                       // yesterday.
                                       m_dayPlanner->reload();
                                       return m_dayPlanner->planFor(platform::dateOf(day));
                                   },
                                   [this, &e] {
                                       // The wake time as of the moment the power goes.
                                       if (m_wake != nullptr) {
                                           m_wake->update();
                                       }
                                       e.flush();
                                   }});
}

void OrvessaSystem::buildPlayback(PlatformServices& services) {
    ui::MainWindow& f = *m_mainWindow;
    system::BroadcastEngine& e = *m_engine;
    m_display = std::make_unique<playback::NowPlaying>(
        e.writableSession(),
        playback::NowPlaying::Lines{e.writableLine(StatusLine::Status),
                                    e.writableLine(StatusLine::Hint), f.grid.table()},
        services.mediaDevice);
    m_player = std::make_unique<playback::ItemPlayer>(
        e.writableSession(),
        playback::PlayerControls{f.grid.table(), f.playlistBox, e.writableLine(StatusLine::Hint),
                                 f.nowPlayingTimer},
        playback::PlayerServices{
            services.host, services.mediaDevice, services.shell, services.processes,
            [&f](int monitor) { f.setwindowtomonitor(f.videoWindow, monitor, 0, 0); },
            [&f] { f.requestClose(); }, [this] { m_display->prepare(); },
            [this](bool running) {
                commandsChanged(running ? ui::CommandStates::Event::ItemStarted
                                        : ui::CommandStates::Event::ItemStopped);
            },
            [&e] { return e.libraryDirectory(); }, [&e] { return e.itemDirectoryText(); },
            [this](int volume) { m_optionsDialog->volumeSlider.setPosition(volume); },
            e.failureRecord(), services.pagesShown},
        *m_videoWindow, e.writableSettings(), e.rows());
    // The window's play and stop are the station's commands.
    f.play.bind([&e, &f] { e.playRow(f.grid.row()); });
    f.stop.bind([&e] { e.stopPlaying(); });
    f.find.bind([this, &f] { m_player->find(f.grid.row()); });
    f.playlistBox.doubleClicked.connect([this, &f] { m_player->playNext(f.grid.row()); });
    m_modes->setPlayer(m_player.get());
    m_endOfDay->setPlayer(m_player.get());

    m_broadcastClock = std::make_unique<scheduler::BroadcastClock>(
        e.writableSession(),
        scheduler::ClockControls{
            [&f](int row) { f.grid.select(f.grid.col(), row); }, e.writableLine(StatusLine::Clock),
            e.writableLine(StatusLine::Status), e.writableLine(StatusLine::Date)},
        *m_player, *m_display, *m_videoWindow, services.clock, e.writableStartUp().hints,
        scheduler::EndOfDayHooks{
            [this] { m_endOfDay->customShutdownCheck(); },
            [this] { return m_endOfDay->endOfTable(); },
            [this] { return m_endOfDay->showCountdown(); },
            [this](const platform::LocalDateTime& at) { return m_endOfDay->newDayCheck(at); }},
        e.rows());
    m_modes->setBroadcastClock(m_broadcastClock.get());
    m_broadcastClock->setFailureRecord(e.failureRecord());
    {
        // What the clock and the player do becomes the engine's events, for every listener.
        m_journal = std::make_unique<scheduler::BroadcastJournal>(
            e.table(), e.session().tableFileName, services.clock, e);
        // What rang today before a restart rings no second time and is not called left behind.
        const platform::LocalDateTime now = services.clock.now();
        std::vector<scheduler::BroadcastEvent> today;
        for (const std::string& line : e.dayLines(now.year, now.month, now.day)) {
            if (std::optional<scheduler::BroadcastEvent> event = scheduler::as_run::parse(line)) {
                today.push_back(std::move(*event));
            }
        }
        m_broadcastClock->remember(today);
        m_journal->remember(today);
        e.rememberDay(today);
        // Today was planned by the start-up, before the journal was there to hear it.
        if (e.writableStartUp().configurationLoaded) {
            m_journal->dayPlanned(services.clock.now(), e.writableSession().dayPlan);
        }
        m_player->setObserver(
            [this](const playback::PlayEvent& event) { m_journal->played(event); });
        m_broadcastClock->setObserver(m_journal.get());
    }
    // Seconds while the clock stood still are not made up when it starts again.
    e.ticker().changed.connect([this, &e] {
        if (!e.ticker().running()) {
            m_broadcastClock->resetSeconds();
        }
    });
    e.ticker().setHandler([this] { m_broadcastClock->tick(); });
    f.nowPlayingTimer.setHandler([this, &f] {
        if (!m_display->update(false)) {
            // Nothing to show: the lines keep their last texts.
            f.nowPlayingTimer.stop();
        }
    });
}

// The time the PC powers itself on, kept from the start and before each power-off; worked out
// again as the days pass, the tables are saved and the options change.
void OrvessaSystem::buildWakeKeeper(PlatformServices& services) {
    if (services.wakeAlarm == nullptr) {
        return;
    }
    system::BroadcastEngine& e = *m_engine;
    m_wake = std::make_unique<scheduler::WakeKeeper>(scheduler::WakeServices{
        .clock = services.clock,
        .alarm = *services.wakeAlarm,
        .programDirectory = e.programDirectory(),
        .planFor = [this](std::chrono::year_month_day day) { return m_dayPlanner->planFor(day); },
        .powersOff =
            [&e] { return scheduler::powersOff(e.writableSettings(), e.writableConfig()); },
        .fileSync = services.fileSync,
        .failures = e.failureRecord()});
}

// The emergency and the notices, on their own device. Last, so that an emergency that was on
// when the program went down finds everything it silences there.
void OrvessaSystem::buildAlerts(PlatformServices& services) {
    ui::MainWindow& f = *m_mainWindow;
    system::BroadcastEngine& e = *m_engine;
    platform::MediaDevice* device = services.alertDevice;
    platform::AudioOutput* output = services.alertOutput;
    if (device == nullptr || output == nullptr) {
        m_noAlertDevice = std::make_unique<tools::AbsentMediaDevice>();
        device = m_noAlertDevice.get();
        output = &services.audioOutput;
    }
    m_announcementDialog = std::make_unique<alerts::AnnouncementDialog>();
    m_windows.push_back(m_announcementDialog.get());
    const std::filesystem::path siren =
        services.sirenFile.empty() ? services.programDirectory / "siren.wav" : services.sirenFile;
    m_alerts = std::make_unique<alerts::Alerts>(
        e.writableSession(),
        alerts::AlertControls{f.emergencyBanner, f.endEmergencyButton,
                              m_videoWindow->emergencyMessage, f.secondMonitorBox, f.alertTimer,
                              &e.writableLine(StatusLine::Hint)},
        alerts::AlertServices{.host = services.host,
                              .clock = services.clock,
                              .broadcastDevice = services.mediaDevice,
                              .alertDevice = *device,
                              .alertOutput = *output,
                              .programDirectory = services.programDirectory,
                              .sirenFile = siren,
                              .record = e,
                              .failures = e.failureRecord(),
                              .fileSync = services.fileSync,
                              .stopItem = [this] { m_player->stop(); },
                              .showVideoWindow =
                                  [&f, this] {
                                      f.setwindowtomonitor(f.videoWindow, 1, 0, 0);
                                      m_videoWindow->showWindow();
                                  },
                              .hideVideoWindow = [this] { m_videoWindow->hideWindow(); },
                              .unlock = [this] { return m_lock->askPassword(); },
                              .libraryDirectory = [&e] { return e.libraryDirectory(); },
                              .changed =
                                  [&e] {
                                      EngineEvent event;
                                      event.kind = EngineEvent::Kind::AlertChanged;
                                      e.events().send(event);
                                  }});
    f.emergency.bind([this] { m_alerts->emergencyCommand("operator@window"); });
    f.endEmergencyButton.setHandler([this] {
        if (m_alerts->emergency()) {
            m_alerts->emergencyCommand("operator@window");
        }
    });
    f.announce.bind([this, &host = services.host] {
        const std::vector<std::string> notices = m_alerts->notices();
        const std::string folder = text::utf8Path(m_alerts->noticeFolder());
        if (notices.empty()) {
            host.messageBox(
                "通知文件夹中还没有通知：\r" + folder +
                    "\r\r可用“录音”把通知保存到这个文件夹，或在选项的“紧急广播”页中另选文件夹。",
                "插播", platform::MessageIcon::Information, platform::MessageButtons::Ok);
            return;
        }
        m_announcementDialog->prepare(folder, notices);
        if (host.showModal(*m_announcementDialog) != model::ModalResult::Accepted) {
            return;
        }
        const alerts::AlertResult r =
            m_alerts->announce(m_announcementDialog->chosen(), "operator@window");
        if (!r.done()) {
            host.messageBox(r.error, "插播", platform::MessageIcon::Warning,
                            platform::MessageButtons::Ok);
        }
    });
    // The options' page writes alerts.conf; the alerts read it again at once.
    if (editing::AlertsPage* page = m_optionsDialog->alertsPage()) {
        page->alertSettingsChanged.connect([this] { m_alerts->reloadSettings(); });
    }
    m_alerts->start();
}

}  // namespace orvessa::system

#include "core/scheduler/main_routine.h"

#include "core/editing/unattended_start_line.h"
#include "core/scheduler/timer_failures.h"
#include "core/text/paths.h"

namespace orvessa::scheduler {
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
    // The main window's initialisation runs before any other window exists.
    m_mainWindow = std::make_unique<ui::MainWindow>(
        ui::MainWindowServices{services.host, services.clock, services.power, services.screenSaver,
                               services.shell, services.monitors, services.programDirectory,
                               services.mediaProfile, services.failureRecord});
    // Before anything saves it.
    m_mainWindow->config.setFileSync(services.fileSync);
    m_windows.push_back(m_mainWindow.get());
    if (!services.itemDirectory.empty()) {
        m_mainWindow->itemDirectoryText = text::utf8Path(services.itemDirectory);
        if (!text::endsWithSeparator(m_mainWindow->itemDirectoryText)) {
            m_mainWindow->itemDirectoryText += text::nativeSeparator();
        }
    }
    buildMainWindowSubsystems(services);
    m_startUp->create();

    ui::MainWindow& f = *m_mainWindow;
    auto saveConfiguration = [&f] { return f.saveConfiguration(); };
    m_passwordDialog = std::make_unique<editing::PasswordDialog>(f.config, f.session.unlocked,
                                                                 services.host, saveConfiguration);
    m_windows.push_back(m_passwordDialog.get());
    m_optionsDialog = std::make_unique<editing::OptionsDialog>(
        f.config, f.settings, f.grid,
        editing::OptionsServices{services.host, services.audioOutput, saveConfiguration,
                                 services.programDirectory, services.unattendedStart});
    m_windows.push_back(m_optionsDialog.get());
    m_videoWindow = std::make_unique<playback::VideoWindow>(services.monitors, services.keyboard);
    m_windows.push_back(m_videoWindow.get());
    platform::MediaDevice* recorder = services.recordingDevice;
    if (recorder == nullptr) {
        m_noRecordingDevice = std::make_unique<tools::AbsentMediaDevice>();
        recorder = m_noRecordingDevice.get();
    }
    m_recorderWindow = std::make_unique<tools::RecorderWindow>(
        *recorder, tools::RecorderServices{services.host, [&f] { return f.libraryDirectory(); },
                                           [this] { m_library->refresh(); }, services.fileSync});
    for (model::Command* c : {&f.recordTool, &f.recordItem}) {
        c->setHandler([this] { m_recorderWindow->showRecorder(); });
    }
    m_windows.push_back(m_recorderWindow.get());
    m_exchangeChooser = std::make_unique<editing::ExchangeChooser>();
    m_windows.push_back(m_exchangeChooser.get());
    m_directoryDialog = std::make_unique<editing::DirectoryDialog>(
        m_mainWindow->programDirectoryText + "AUDIO" + text::nativeSeparator());
    m_windows.push_back(m_directoryDialog.get());
    m_subtitleDialog = std::make_unique<tools::SubtitleDialog>(
        f.config, m_videoWindow->subtitleStrip,
        tools::SubtitleServices{services.host, services.host, services.monitors, saveConfiguration,
                                services.programDirectory, services.failureRecord,
                                services.fileSync});
    if (f.configurationLoaded) {
        m_subtitleDialog->create();
    }
    f.subtitleItem.setHandler([this, &host = services.host] { host.showModal(*m_subtitleDialog); });
    m_windows.push_back(m_subtitleDialog.get());
    m_calendarWindow = std::make_unique<editing::CalendarWindow>(
        editing::CalendarServices{services.host, services.clock, *m_dayPlanner, f.programDirectory,
                                  services.calendarReader, services.fileSync});
    f.schoolCalendar.setHandler([this] { m_calendarWindow->open(); });
    m_windows.push_back(m_calendarWindow.get());
    m_windows.push_back(&m_calendarWindow->importDialog());

    m_tableExchange = std::make_unique<editing::TableExchange>(
        editing::ExchangeControls{*m_exchangeChooser, f.importTableTool, f.importTableItem,
                                  f.exportTableTool, f.exportTableItem},
        f.session.tableFileName, f.programDirectory, services.host, *m_editor, services.fileSync);
    f.videoWindow = m_videoWindow.get();
    m_startUp->setDirectoryDialog(m_directoryDialog.get());
    m_lock->setDialog(m_passwordDialog.get());
    for (model::Command* c : {&f.optionsItem, &f.optionsTool}) {
        c->setHandler([this, &f, &host = services.host] {
            m_optionsDialog->prepareOpening(f.up.enabled(), f.dow.enabled());
            host.showModal(*m_optionsDialog);
            m_optionsDialog->previousRow.setEnabled(f.up.enabled());
        });
    }
    m_endOfDay->setSettings(&f.settings);
    m_editor->setVolumeFollower(
        [this](int volume) { m_optionsDialog->volumeSlider.setPosition(volume); });
    buildPlayback(services);
    buildPreflightCheck(services);
    buildClockWatch(services);
    if (services.failureRecord != nullptr) {
        recordTimerFailures(*services.failureRecord, services.clock,
                            {{f.name(), f.broadcastTimer},
                             {f.name(), f.nowPlayingTimer},
                             {f.name(), f.stopDayTimer},
                             {f.name(), f.clockSyncTimer},
                             {m_videoWindow->name(), m_videoWindow->keyTimer},
                             {m_recorderWindow->name(), m_recorderWindow->tickTimer}});
    }
}

void OrvessaSystem::buildPreflightCheck(PlatformServices& services) {
    if (services.dayChecker == nullptr) {
        return;
    }
    ui::MainWindow& f = *m_mainWindow;
    m_preflight = std::make_unique<editing::PreflightCheck>(editing::PreflightServices{
        services.host, services.clock, *services.dayChecker, f.grid, f.session.tableFileName,
        f.hintLine, [this](int row) { m_editor->selectRow(row); }});
    m_windows.push_back(m_preflight.get());
    m_preflight->startLine.setVisible(false);
    f.preflightItem.setHandler([this, start = services.unattendedStart] {
        if (start != nullptr) {
            editing::showUnattendedStart(m_preflight->startLine, *start);
        }
        m_preflight->open();
    });
    m_editor->loaded.connect([this] { m_preflight->tableLoaded(); });
    // The holiday list is saved through the same command, and is no day's table.
    for (model::Command* c : {&f.save, &f.saveItem}) {
        c->setHandler([this, &f] {
            if (m_editor->save() && f.inManualOperation() && !m_holidayPanel->open()) {
                m_preflight->tableSaved();
            }
        });
    }
}

void OrvessaSystem::buildClockWatch(PlatformServices& services) {
    if (services.clockSync == nullptr) {
        return;
    }
    ui::MainWindow& f = *m_mainWindow;
    m_clockWatch =
        std::make_unique<ClockWatch>(ClockWatchControls{f.session, f.trayIcon, f.clockSyncTimer},
                                     *services.clockSync, services.clock, services.broadcastRecord);
    if (m_preflight != nullptr) {
        m_clockWatch->changed.connect(
            [this, &f] { m_preflight->showClockWarning(f.session.clockWarning); });
    }
    m_clockWatch->check();
}

void OrvessaSystem::commandsChanged(ui::CommandStates::Event event) {
    ui::MainWindow& f = *m_mainWindow;
    m_commandStates->apply(
        event, {f.inManualOperation(), f.session.playback.isPlaying, f.session.unlocked,
                f.config.anyoneMayOperate(), m_holidayPanel != nullptr && m_holidayPanel->open()});
    if (m_preflight == nullptr) {
        f.preflightItem.setEnabled(false);
    }
}

void OrvessaSystem::buildMainWindowSubsystems(PlatformServices& services) {
    ui::MainWindow& f = *m_mainWindow;
    m_commandStates = std::make_unique<ui::CommandStates>(f);
    // The week's rules as the holiday panel's boxes hold them while the system runs.
    m_dayPlanner = std::make_unique<store::DayPlanner>(
        f.programDirectory,
        [&f] {
            store::WeekRules rules = store::weekRulesOf(f.config);
            for (std::size_t k = 0; k < 7; ++k) {
                rules.stopOnWeekday[k] = f.weekdayStopBoxes[k]->checked();
            }
            rules.broadcastAll = f.weekdayStopBoxes[7]->checked();
            return rules;
        },
        services.failureRecord);
    m_editor = std::make_unique<editing::GridEditor>(
        editing::EditorControls{f.grid, f.hintLine, f.automaticOperation, f.save, f.saveItem, f.add,
                                f.addRowItem, f.insertRowButton, f.insertRowItem, f.del,
                                f.deleteRowItem, f.up, f.moveUpItem, f.dow, f.moveDownItem},
        f.session,
        editing::EditorServices{
            services.host, services.clock, f.config, f.programDirectory, services.failureRecord,
            [this](const platform::LocalDateTime& now) {
                const store::DayPlan plan = m_dayPlanner->planFor(platform::dateOf(now));
                if (m_journal != nullptr) {
                    m_journal->dayPlanned(now, plan);
                }
                return plan;
            },
            services.fileSync});

    auto saveConfiguration = [&f] { return f.saveConfiguration(); };
    platform::SkinLook* look = services.skinLook;
    if (look == nullptr) {
        m_noSkinLook = std::make_unique<NoSkinLook>();
        look = m_noSkinLook.get();
    }
    m_skinEngine = std::make_unique<skins::SkinEngine>(
        *look, services.host, [failures = services.failureRecord](const std::string& why) {
            platform::recordFailure(failures, {"skin refused", why});
        });
    m_skins = std::make_unique<skins::SkinSwitcher>(
        f.skinTool, f.config, saveConfiguration, *m_skinEngine,
        services.skinStore != nullptr ? *services.skinStore : m_noSkins);
    for (model::Command* c : {&f.skin, &f.skinTool}) {
        c->setHandler([this] { m_skins->click(); });
    }

    m_lock = std::make_unique<editing::OperatorLock>(
        editing::LockControls{f.enterSystem, f.lockSystem, f.changePassword,
                              [this] { commandsChanged(ui::CommandStates::Event::LockChanged); }},
        f.config, f.session.unlocked, services.screenSaver, services.host);
    m_library = std::make_unique<editing::MediaLibrary>(
        f.libraryList, f.grid, f.mediaLibraryItem, f.config, f.session.unlocked, f.session.playback,
        services.host,
        editing::LibraryActions{[this] { return m_lock->askPassword(); }, [&f] { f.activate(); },
                                saveConfiguration, [&f] { return f.libraryDirectory(); }});
    m_modes = std::make_unique<OperatingModes>(
        ModeControls{f.manualOperation, f.automaticOperation, f.forcedWeekdayItems,
                     f.weekSettingTool, f.grid, f.statusLine, f.hintLine, f.weekSelector,
                     f.libraryList, f.broadcastTimer, f.stopDayTimer},
        ModeState{f.config, f.session, f.automaticDate, f.gridHeight},
        ModeServices{services.host, services.clock, saveConfiguration,
                     [this] { m_library->refresh(); },
                     [this](bool manual) {
                         commandsChanged(manual ? ui::CommandStates::Event::EnterManual
                                                : ui::CommandStates::Event::EnterAutomatic);
                     },
                     [this, &f, failures = services.failureRecord] {
                         m_library->checkFolder(f.hintLine, failures);
                     }},
        *m_editor);

    StartUpServices startUpServices{services.host,         services.clock,
                                    services.power,        services.programDirectory,
                                    services.mediaProfile, saveConfiguration};
    startUpServices.applySkin = [this] { m_skins->applyAtStartUp(); };
    startUpServices.failures = services.failureRecord;
    startUpServices.fileSync = services.fileSync;
    startUpServices.checkLibrary = [this, &f, failures = services.failureRecord] {
        m_library->checkFolder(f.hintLine, failures);
    };
    startUpServices.readCalendar = [this] { m_dayPlanner->reload(); };
    m_startUp = std::make_unique<StartUp>(
        StartUpControls{
            f,
            f.trayIcon,
            f.grid,
            f.hintLine,
            f.broadcastTimer,
            f.stopDayTimer,
            f.weekSelector,
            f.automaticOperation,
            f.save,
            f.forcedAutomatic,
            f.hideAtStartBox,
            f.secondMonitorBox,
            f.weekdayStopBoxes,
            {&f.settingsMenu, &f.skinTool, &f.quitButton, &f.secondMonitorBox, &f.hideAtStartBox},
            {&f.enterSystem, &f.lockSystem, &f.systemSeparator1, &f.changePassword},
            {&f.insertRowButton, &f.del, &f.add, &f.up, &f.dow, &f.save}},
        StartUpState{f.config, f.programDirectoryText, f.versionText, f.platformFamily, f.session,
                     f.stopDay, f.stopDayDate, f.stopDayCount, f.hints, f.defaultDirectory,
                     f.configurationLoaded},
        startUpServices, *m_editor, *m_modes, *m_lock);
    f.activated.connect([this] { m_startUp->activate(); });
    for (model::Command* c : {&f.quitSystem, &f.quitButton, &f.quitTrayItem}) {
        c->setHandler([this] { m_startUp->quit(); });
    }

    m_holidayPanel = std::make_unique<editing::HolidayPanel>(
        editing::HolidayControls{
            f.grid, f.holidaySettingsTitle, f.holidayListTitle, f.stopWeekdayGroup,
            f.weekdayStopBoxes, f.holidaysItem, f.holidayOkButton,
            [this](bool) { commandsChanged(ui::CommandStates::Event::PanelChanged); },
            f.libraryList, f.weekSelector, f.broadcastTimer},
        editing::HolidayState{f.config, f.session.tableFileName, f.session.playback, f.gridHeight},
        services.clock, services.host, saveConfiguration, *m_editor);

    m_endOfDay = std::make_unique<EndOfDay>(
        EndOfDayControls{f.statusLine, f.hintLine, f.stopDayLine, f.clockText, f.grid,
                         f.broadcastTimer, f.stopDayTimer},
        EndOfDayState{f.config, f.session, f.stopDay, f.stopDayDate, f.stopDayCount,
                      f.automaticDate},
        services.clock, services.power,
        EndOfDayActions{[this] { m_startUp->quit(); },
                        [&f] { enterAutomaticOperation(f.automaticOperation); },
                        [this, &f] {
                            f.session.autoNaming = true;
                            m_editor->load();
                        },
                        [this](const platform::LocalDateTime& day) {
                            // An operator may have put a new calendar in place since yesterday.
                            m_dayPlanner->reload();
                            return m_dayPlanner->planFor(platform::dateOf(day));
                        },
                        [record = services.broadcastRecord] {
                            if (record != nullptr) {
                                record->flush();
                            }
                        }});
}

void OrvessaSystem::buildPlayback(PlatformServices& services) {
    ui::MainWindow& f = *m_mainWindow;
    m_display = std::make_unique<playback::NowPlaying>(
        f.session, playback::NowPlaying::Lines{f.statusLine, f.hintLine, f.grid},
        services.mediaDevice);
    m_player = std::make_unique<playback::ItemPlayer>(
        f.session,
        playback::PlayerControls{f.grid, f.playlistBox, f.hintLine, f.secondMonitorBox,
                                 f.automaticOperation, f.nowPlayingTimer},
        playback::PlayerServices{
            services.host, services.mediaDevice, services.shell, services.processes,
            [&f](int monitor) { f.setwindowtomonitor(f.videoWindow, monitor, 0, 0); },
            [&f] { f.requestClose(); }, [this] { m_display->prepare(); },
            [this](bool running) {
                commandsChanged(running ? ui::CommandStates::Event::ItemStarted
                                        : ui::CommandStates::Event::ItemStopped);
            },
            [&f] { return f.libraryDirectory(); }, [&f] { return f.itemDirectoryText; },
            [this](int volume) { m_optionsDialog->volumeSlider.setPosition(volume); },
            services.failureRecord},
        *m_videoWindow, f.settings);
    for (model::Command* c : {&f.playTool, &f.playItem}) {
        c->setHandler([this] { m_player->play(); });
    }
    for (model::Command* c : {&f.stopTool, &f.stopItem}) {
        c->setHandler([this] { m_player->stop(); });
    }
    for (model::Command* c : {&f.findTool, &f.findItem}) {
        c->setHandler([this] { m_player->find(); });
    }
    f.playlistBox.doubleClicked.connect([this] { m_player->playNext(); });
    m_modes->setPlayer(m_player.get());
    m_endOfDay->setPlayer(m_player.get());

    m_broadcastClock = std::make_unique<BroadcastClock>(
        f.session, ClockControls{f.grid, f.clockText, f.statusLine, f.stopDayLine}, *m_player,
        *m_display, *m_videoWindow, services.clock, f.hints,
        EndOfDayHooks{
            [this] { m_endOfDay->customShutdownCheck(); },
            [this] { return m_endOfDay->endOfTable(); },
            [this] { return m_endOfDay->showCountdown(); },
            [this](const platform::LocalDateTime& at) { return m_endOfDay->newDayCheck(at); }});
    m_modes->setBroadcastClock(m_broadcastClock.get());
    m_broadcastClock->setFailureRecord(services.failureRecord);
    if (services.broadcastRecord != nullptr) {
        m_journal = std::make_unique<BroadcastJournal>(f.grid, f.session.tableFileName,
                                                       services.clock, *services.broadcastRecord);
        // Today was planned by the start-up, before the journal was there to hear it.
        if (f.configurationLoaded) {
            m_journal->dayPlanned(services.clock.now(), f.session.dayPlan);
        }
        m_player->setObserver([this](const playback::PlayEvent& e) { m_journal->played(e); });
        m_broadcastClock->setObserver(m_journal.get());
    }
    // Seconds while the clock stood still are not made up when it starts again.
    f.broadcastTimer.changed.connect([this, &f] {
        if (!f.broadcastTimer.running()) {
            m_broadcastClock->resetSeconds();
        }
    });
    f.broadcastTimer.setHandler([this] { m_broadcastClock->tick(); });
    f.nowPlayingTimer.setHandler([this, &f] {
        if (!m_display->update(false)) {
            // Nothing to show: the lines keep their last texts.
            f.nowPlayingTimer.stop();
        }
    });
}

}  // namespace orvessa::scheduler

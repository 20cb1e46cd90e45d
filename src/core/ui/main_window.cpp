#include "core/ui/main_window.h"

#include <vector>

#include "core/playback/video_window.h"
#include "core/text/paths.h"

namespace orvessa::ui {

MainWindow::MainWindow(MainWindowServices services)
    : Window("MainWindow", "Orvessa"),
      broadcastTimer(services.ticker),
      m_host(services.host),
      m_clock(services.clock),
      m_shell(services.shell),
      m_monitors(services.monitors),
      m_programDirectory(std::move(services.programDirectory)),
      m_config(services.config),
      m_saveConfiguration(std::move(services.saveConfiguration)) {
    buildMenus();
    attachPresentations();
    setDesignedStates();
    bindHandlers();
}

void MainWindow::buildMenus() {
    for (Command* c : {&enterSystem, &lockSystem, &hideSystem, &systemSeparator1, &skinItem,
                       &changePassword, &systemSeparator2, &quitSystem}) {
        systemMenu.addItem(*c);
    }
    for (Command* c : {&moveUpItem, &moveDownItem, &tableSeparator1, &insertRowItem, &deleteRowItem,
                       &addRowItem, &tableSeparator2, &saveItem}) {
        tableMenu.addItem(*c);
    }
    for (Command* c :
         {&forcedAutomatic, &forcedSeparator, &forcedMonday, &forcedTuesday, &forcedWednesday,
          &forcedThursday, &forcedFriday, &forcedSaturday, &forcedSunday}) {
        forcedWeekdayMenu.addItem(*c);
    }
    for (Command* c :
         {&manualOperation, &automaticOperation, &settingsSeparator1, &forcedWeekdayMenu,
          &weekSettingItem, &importTableItem, &exportTableItem, &settingsSeparator2, &holidaysItem,
          &schoolCalendar, &settingsSeparator3, &optionsItem, &preflightItem}) {
        settingsMenu.addItem(*c);
    }
    for (Command* c :
         {&mediaLibraryItem, &mediaSeparator1, &findItem, &playItem, &stopItem, &mediaSeparator2,
          &recordItem, &mediaSeparator3, &announceItem, &emergencyItem}) {
        mediaMenu.addItem(*c);
    }
    for (Command* c : {&aboutItem, &helpItem, &helpSeparator, &homePageItem}) {
        helpMenu.addItem(*c);
    }
    mainMenu = {&systemMenu, &tableMenu, &settingsMenu, &subtitleItem, &mediaMenu, &helpMenu};
    toolbar = {&toolbarSeparator1, &weekSettingTool,   &importTableTool,   &exportTableTool,
               &optionsTool,       &toolbarSeparator2, &findTool,          &playTool,
               &stopTool,          &toolbarSeparator3, &recordTool,        &toolbarSeparator4,
               &skinTool,          &helpTool,          &toolbarSeparator5, &emergencyTool};
    trayMenu = {&showWindowTrayItem, &emergencyTrayItem, &announceTrayItem,
                &helpTrayItem,       &traySeparator,     &quitTrayItem};
    weekdayStopBoxes = {&stopMondayBox, &stopTuesdayBox,  &stopWednesdayBox, &stopThursdayBox,
                        &stopFridayBox, &stopSaturdayBox, &stopSundayBox,    &broadcastAllBox};
    forcedWeekdayItems = {&forcedAutomatic, &forcedMonday, &forcedTuesday,  &forcedWednesday,
                          &forcedThursday,  &forcedFriday, &forcedSaturday, &forcedSunday};

    for (Command* menu : mainMenu) {
        m_commands.push_back(menu);
        for (Command* item : menu->items()) {
            m_commands.push_back(item);
            m_commands.insert(m_commands.end(), item->items().begin(), item->items().end());
        }
    }
    m_commands.insert(m_commands.end(), toolbar.begin(), toolbar.end());
    m_commands.insert(m_commands.end(), trayMenu.begin(), trayMenu.end());
    for (Command* c : {&quitButton, &hideButton, &insertRowButton, &addRowButton, &deleteRowButton,
                       &moveUpButton, &moveDownButton, &saveButton, &holidayOkButton,
                       &hideAtStartBox, &secondMonitorBox, &endEmergencyButton}) {
        m_commands.push_back(c);
    }
    m_commands.insert(m_commands.end(), weekdayStopBoxes.begin(), weekdayStopBoxes.end());
}

void MainWindow::attachPresentations() {
    struct Presented {
        model::Action* action;
        std::vector<Command*> presentations;
    };
    const Presented all[] = {
        {&save, {&saveButton, &saveItem}},
        {&addRow, {&addRowButton, &addRowItem}},
        {&insertRow, {&insertRowButton, &insertRowItem}},
        {&deleteRow, {&deleteRowButton, &deleteRowItem}},
        {&moveUp, {&moveUpButton, &moveUpItem}},
        {&moveDown, {&moveDownButton, &moveDownItem}},
        {&importTable, {&importTableTool, &importTableItem}},
        {&exportTable, {&exportTableTool, &exportTableItem}},
        {&weekSetting, {&weekSettingTool, &weekSettingItem}},
        {&options, {&optionsItem, &optionsTool}},
        {&record, {&recordTool, &recordItem}},
        {&changeSkin, {&skinItem, &skinTool}},
        {&play, {&playTool, &playItem}},
        {&stop, {&stopTool, &stopItem}},
        {&find, {&findTool, &findItem}},
        {&hide, {&hideSystem, &hideButton}},
        {&help, {&helpItem, &helpTrayItem, &helpTool}},
        {&quit, {&quitSystem, &quitButton, &quitTrayItem}},
        {&emergency, {&emergencyTool, &emergencyItem, &emergencyTrayItem}},
        {&announce, {&announceItem, &announceTrayItem}},
    };
    for (const auto& [action, presentations] : all) {
        m_actions.push_back(action);
        for (Command* c : presentations) {
            c->setAction(*action);
        }
    }
}

void MainWindow::setDesignedStates() {
    for (Command* c :
         {&tableMenu, &automaticOperation, &forcedWeekdayMenu, &weekSettingItem, &importTableItem,
          &exportTableItem, &holidaysItem, &schoolCalendar, &optionsItem, &preflightItem,
          &subtitleItem, &mediaLibraryItem, &playItem, &stopItem, &recordItem}) {
        c->setEnabled(false);
    }
    holidayOkButton.setVisible(false);
    for (model::Control* c : std::initializer_list<model::Control*>{
             &holidaySettingsTitle, &holidayListTitle, &stopWeekdayGroup, &stopMondayBox,
             &stopTuesdayBox, &stopWednesdayBox, &stopThursdayBox, &stopFridayBox, &stopSaturdayBox,
             &stopSundayBox, &broadcastAllBox}) {
        c->setVisible(false);
    }
    weekSelector.setVisible(false);
    clockText.setVisible(false);
    playlistBox.setVisible(false);
    libraryList.setVisible(false);
    grid.setRowSelect(true);
}

void MainWindow::bindHandlers() {
    hide.bind([this] { hideToTray(); });
    help.bind([this] { openHelp(); });
    showWindowTrayItem.setHandler([this] { showFromTray(); });
    homePageItem.setHandler([this] { openHomePage(); });
    aboutItem.setHandler([this] { showAbout(); });
    hideAtStartBox.setHandler([this] { hideAtStartChanged(); });
    secondMonitorBox.setHandler([this] { secondMonitorChanged(); });
}

void MainWindow::requestClose() {
    setVisible(false);
}

void MainWindow::resize(int width, int height) {
    layout.bannerShown = emergencyBanner.visible();
    layout.layOut(width, height);
    layout.layOut(width, height);
}

Command* MainWindow::command(const std::string& name) const {
    for (Command* c : m_commands) {
        if (c->name() == name) {
            return c;
        }
    }
    return nullptr;
}

bool MainWindow::triggerShortcut(const std::string& shortcut) {
    if (shortcut.empty()) {
        return false;
    }
    for (Command* c : m_commands) {
        if (c->shortcut() == shortcut && c->menu() != nullptr && c->reachableByShortcut()) {
            return c->click();
        }
    }
    return false;
}

void MainWindow::hideToTray() {
    requestClose();
}

void MainWindow::showFromTray() {
    setVisible(true);
    activateRequested.send();
}

void MainWindow::openHelp() {
    m_shell.open(text::utf8Path(m_programDirectory / kHelpFile),
                 text::utf8Path(m_programDirectory));
}

void MainWindow::openHomePage() {
    m_shell.open(kHomePage, "");
}

void MainWindow::showAbout() {
    m_host.aboutBox(std::string("Orvessa  ") + kVersion, kContactLine);
}

void MainWindow::hideAtStartChanged() {
    m_config.setEntry(store::SystemConfig::kHideAtStart, hideAtStartBox.checked() ? "1" : "0");
    m_saveConfiguration();
}

void MainWindow::secondMonitorChanged() {
    m_config.setEntry(store::SystemConfig::kSecondMonitor, secondMonitorBox.checked() ? "1" : "0");
    m_saveConfiguration();
    setwindowtomonitor(videoWindow, secondMonitorBox.checked() ? 1 : 0, 0, 0);
}

void MainWindow::setwindowtomonitor(model::Window* window, int monitor, int topOffset,
                                    int leftOffset) {
    const std::vector<platform::ScreenRect> screens = m_monitors.monitors();
    if (window == nullptr || monitor < 0 || monitor >= static_cast<int>(screens.size())) {
        return;
    }
    const platform::ScreenRect& target = screens[static_cast<std::size_t>(monitor)];
    const platform::ScreenRect& primary = screens.front();
    window->setBounds(
        {target.left + leftOffset, target.top + topOffset, primary.width, primary.height});
}

}  // namespace orvessa::ui

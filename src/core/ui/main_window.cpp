#include "core/ui/main_window.h"

#include "core/playback/video_window.h"
#include "core/text/paths.h"

namespace orvessa::ui {

MainWindow::MainWindow(MainWindowServices services)
    : Window("MainWindow", "Orvessa"),
      m_host(services.host),
      m_clock(services.clock),
      m_shell(services.shell),
      m_monitors(services.monitors),
      m_programDirectory(std::move(services.programDirectory)),
      m_config(services.config),
      m_saveConfiguration(std::move(services.saveConfiguration)) {
    buildMenus();
    setDesignedStates();
    bindHandlers();
}

void MainWindow::buildMenus() {
    for (Command* c : {&Jrxt, &pbxt, &H3, &N2, &skin, &GGMM, &N3, &TCXT}) {
        XT1.addItem(*c);
    }
    for (Command* c : {&UP1, &DOW1, &N4, &Inse1, &Del1, &ADD1, &N5, &SAVE1}) {
        BCZ1.addItem(*c);
    }
    for (Command* c : {&xq0, &N7, &xq1, &xq2, &xq3, &xq4, &xq5, &xq6, &xq7}) {
        Z1.addItem(*c);
    }
    for (Command* c : {&manualOperation, &automaticOperation, &N6, &Z1, &N11, &N12, &N13, &N8,
                       &GXR1, &schoolCalendar, &N9, &xuanxiang, &yuyan}) {
        SZ1.addItem(*c);
    }
    for (Command* c : {&dir1, &N10, &find1, &P1, &S2, &N14, &Rec2}) {
        YSP1.addItem(*c);
    }
    for (Command* c : {&GUANYU, &H5, &N15, &W1}) {
        BZ1.addItem(*c);
    }
    mainMenu = {&XT1, &BCZ1, &SZ1, &N16, &YSP1, &BZ1};
    toolbar = {&TS1,  &ToolButton9,  &ToolButton10, &ToolButton15, &toolbutton13,
               &TS2,  &ToolButton24, &ToolButton17, &ToolButton18, &TS3,
               &rec3, &TS4,          &SpeedButton9, &SpeedButton1};
    trayMenu = {&E1, &H2, &N17, &Q1};
    weekdayStopBoxes = {&Ch1, &Ch2, &Ch3, &Ch4, &Ch5, &Ch6, &Ch7, &Ch8};
    forcedWeekdayItems = {&xq0, &xq1, &xq2, &xq3, &xq4, &xq5, &xq6, &xq7};

    for (Command* menu : mainMenu) {
        m_commands.push_back(menu);
        for (Command* item : menu->items()) {
            m_commands.push_back(item);
            m_commands.insert(m_commands.end(), item->items().begin(), item->items().end());
        }
    }
    m_commands.insert(m_commands.end(), toolbar.begin(), toolbar.end());
    m_commands.insert(m_commands.end(), trayMenu.begin(), trayMenu.end());
    for (Command* c : {&QUIT1, &yinchang, &xiugai, &add, &del, &up, &dow, &save, &Button3,
                       &hideAtStartBox, &secondMonitorBox}) {
        m_commands.push_back(c);
    }
    m_commands.insert(m_commands.end(), weekdayStopBoxes.begin(), weekdayStopBoxes.end());
}

void MainWindow::setDesignedStates() {
    for (Command* c : {&BCZ1, &automaticOperation, &Z1, &N11, &N12, &N13, &GXR1, &schoolCalendar,
                       &xuanxiang, &yuyan, &N16, &dir1, &P1, &S2, &Rec2}) {
        c->setEnabled(false);
    }
    Button3.setVisible(false);
    for (model::Control* c : std::initializer_list<model::Control*>{
             &Label4, &Label5, &GroupBox1, &Ch1, &Ch2, &Ch3, &Ch4, &Ch5, &Ch6, &Ch7, &Ch8}) {
        c->setVisible(false);
    }
    weekSelector.setVisible(false);
    clockText.setVisible(false);
    playlistBox.setVisible(false);
    libraryList.setVisible(false);
    Grid.setRowSelect(true);
}

void MainWindow::bindHandlers() {
    H3.setHandler([this] { H3Click(); });
    yinchang.setHandler([this] { H3Click(); });
    E1.setHandler([this] { E1Click(); });
    H5.setHandler([this] { SpeedButton1Click(); });
    H2.setHandler([this] { SpeedButton1Click(); });
    SpeedButton1.setHandler([this] { SpeedButton1Click(); });
    W1.setHandler([this] { W1Click(); });
    GUANYU.setHandler([this] { GUANYUClick(); });
    hideAtStartBox.setHandler([this] { hideAtStartClick(); });
    secondMonitorBox.setHandler([this] { secondMonitorClick(); });
    N11.setHandler([this] { ToolButton9.click(); });
}

void MainWindow::FormClose() {
    setVisible(false);
}

void MainWindow::FormResize(int width, int height) {
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

void MainWindow::H3Click() {
    FormClose();
}

void MainWindow::E1Click() {
    setVisible(true);
    activateRequested.send();
}

void MainWindow::SpeedButton1Click() {
    m_shell.open(text::utf8Path(m_programDirectory / kHelpFile),
                 text::utf8Path(m_programDirectory));
}

void MainWindow::W1Click() {
    m_shell.open(kHomePage, "");
}

void MainWindow::GUANYUClick() {
    m_host.aboutBox(std::string("Orvessa  ") + kVersion, kContactLine);
}

void MainWindow::hideAtStartClick() {
    m_config.setEntry(store::SystemConfig::kHideAtStart, hideAtStartBox.checked() ? "1" : "0");
    m_saveConfiguration();
}

void MainWindow::secondMonitorClick() {
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

#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/model/action.h"
#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/grid.h"
#include "core/model/timer.h"
#include "core/model/window.h"
#include "core/platform/clock.h"
#include "core/platform/display_services.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/platform/system_services.h"
#include "core/playback/broadcast_session.h"
#include "core/store/live_settings.h"
#include "core/store/system_config.h"
#include "core/ui/main_layout.h"

namespace orvessa::playback {
class VideoWindow;
}  // namespace orvessa::playback

namespace orvessa::ui {

using model::Command;
using model::CommandKind;

// What the main window is given by the main routine.
struct MainWindowServices {
    platform::Host& host;
    const platform::Clock& clock;
    platform::Shell& shell;
    const platform::Monitors& monitors;
    // The directory of the executable, where the manual lives.
    std::filesystem::path programDirectory;
    // The configuration its two boxes write, and how it is saved.
    store::SystemConfig& config;
    std::function<bool()> saveConfiguration;
    // The station's once-a-second beat, which the desktop drives.
    model::Timer& ticker;
};

// The notification-area icon.
struct TrayIcon : model::Control {
    TrayIcon() : Control("TrayIcon") { setVisible(false); }
    std::string tip = "Orvessa";
    void setTip(std::string text) {
        tip = std::move(text);
        notify();
    }
};

// The main window: the grid, every command, the status lines, and the running state of the
// system. Its rules live in the subsystems that the main routine
// builds around it: start-up, the operating modes, the end of the day, the grid editor, the
// holiday panel, the table exchange, the player and the clock.
class MainWindow : public model::Window {
public:
    static constexpr const char* kVersion = "5.0";
    static constexpr const char* kHomePage = "https://orvessa.example.org/";
    static constexpr const char* kContactLine = "Orvessa 定时广播系统";
    // The operator's manual: a page in the program directory that any desktop opens, where the
    // original system shipped a compiled help file "ORVESSA.CHM".
    static constexpr const char* kHelpFile = "manual/ORVESSA.html";

    explicit MainWindow(MainWindowServices services);

    // The window became the active one; the start-up subsystem runs its activation steps.
    void activate() { activated.send(); }
    model::Signal<> activated;
    // Every request to close the main window hides it.
    void requestClose();
    // The window's outer size changed (also when first shown): the layout procedure places the
    // controls, run twice so that it settles at once.
    void resize(int width, int height);
    MainLayout layout;

    // --- commands of the window that belong to no other subsystem ---
    void hideToTray();    // hide to the tray
    void showFromTray();  // show from the tray
    void openHelp();
    void openHomePage();
    void showAbout();
    void hideAtStartChanged();
    void secondMonitorChanged();

    // Moves `window` to the top-left corner of monitor `monitor` (0 the primary one), plus the
    // offsets, with the primary screen's size. Nothing happens for an absent window or a
    // monitor that is not there.
    void setwindowtomonitor(model::Window* window, int monitor, int topOffset, int leftOffset);
    // A mouse button released on the tray icon: left shows the window; the right button's
    // menu is the view's to pop up.
    void trayLeftReleased() { showFromTray(); }

    // Runs the command whose shortcut this is, if the shortcut reaches it. Returns whether
    // one ran.
    bool triggerShortcut(const std::string& shortcut);

    // --- actions ---
    // What the operator can ask for from more than one place. The subsystem that does it binds
    // the handler once; the menu items, buttons, tool buttons and tray items below present it,
    // each with its own caption and state.
    model::Action save{"save"};
    model::Action addRow{"addRow"};
    model::Action insertRow{"insertRow"};
    model::Action deleteRow{"deleteRow"};
    model::Action moveUp{"moveUp"};
    model::Action moveDown{"moveDown"};
    model::Action importTable{"importTable"};
    model::Action exportTable{"exportTable"};
    model::Action weekSetting{"weekSetting"};
    model::Action options{"options"};
    model::Action record{"record"};
    model::Action changeSkin{"changeSkin"};
    model::Action play{"play"};
    model::Action stop{"stop"};
    model::Action find{"find"};
    model::Action hide{"hide"};
    model::Action help{"help"};
    model::Action quit{"quit"};
    // Starts the emergency, or ends it; and plays a notice.
    model::Action emergency{"emergency"};
    model::Action announce{"announce"};

    // --- menus ---
    Command systemMenu{"systemMenu", CommandKind::Menu, "系统(&S)"};
    Command enterSystem{"enterSystem", CommandKind::MenuItem, "进入系统", "F2"};
    Command lockSystem{"lockSystem", CommandKind::MenuItem, "屏蔽系统", "F3"};
    Command hideSystem{"hideSystem", CommandKind::MenuItem, "隐藏系统(&X)"};
    Command systemSeparator1{"systemSeparator1", CommandKind::Separator};
    Command skinItem{"skinItem", CommandKind::MenuItem, "换    肤(&G)"};
    Command changePassword{"changePassword", CommandKind::MenuItem, "更改密码...", "F4"};
    Command systemSeparator2{"systemSeparator2", CommandKind::Separator};
    Command quitSystem{"quitSystem", CommandKind::MenuItem, "退出系统(&Q)", "Ctrl+Q"};

    Command tableMenu{"tableMenu", CommandKind::Menu, "表操作(&B)"};
    Command moveUpItem{"moveUpItem", CommandKind::MenuItem, "上  移(&F)"};
    Command moveDownItem{"moveDownItem", CommandKind::MenuItem, "下  移(&N)"};
    Command tableSeparator1{"tableSeparator1", CommandKind::Separator};
    Command insertRowItem{"insertRowItem", CommandKind::MenuItem, "插入行(&I)"};
    Command deleteRowItem{"deleteRowItem", CommandKind::MenuItem, "删除行(&D)"};
    Command addRowItem{"addRowItem", CommandKind::MenuItem, "添加行(&A)"};
    Command tableSeparator2{"tableSeparator2", CommandKind::Separator};
    Command saveItem{"saveItem", CommandKind::MenuItem, "存  盘(&R)"};

    Command settingsMenu{"settingsMenu", CommandKind::Menu, "设置(&T)"};
    Command manualOperation{"manualOperation", CommandKind::MenuItem, "手动操作 (&L)", "F5"};
    Command automaticOperation{"automaticOperation", CommandKind::MenuItem, "自动播出 (&U)", "F6"};
    Command settingsSeparator1{"settingsSeparator1", CommandKind::Separator};
    Command forcedWeekdayMenu{"forcedWeekdayMenu", CommandKind::Menu, "指定作息时间 (&Z)"};
    Command forcedAutomatic{"forcedAutomatic", CommandKind::RadioItem, "自动(&U)"};
    Command forcedSeparator{"forcedSeparator", CommandKind::Separator};
    Command forcedMonday{"forcedMonday", CommandKind::RadioItem, "星期一"};
    Command forcedTuesday{"forcedTuesday", CommandKind::RadioItem, "星期二"};
    Command forcedWednesday{"forcedWednesday", CommandKind::RadioItem, "星期三"};
    Command forcedThursday{"forcedThursday", CommandKind::RadioItem, "星期四"};
    Command forcedFriday{"forcedFriday", CommandKind::RadioItem, "星期五"};
    Command forcedSaturday{"forcedSaturday", CommandKind::RadioItem, "星期六"};
    Command forcedSunday{"forcedSunday", CommandKind::RadioItem, "星期日"};
    Command weekSettingItem{"weekSettingItem", CommandKind::MenuItem, "周 设 置(&W)"};
    Command importTableItem{"importTableItem", CommandKind::MenuItem, "导    入(&J)"};
    Command exportTableItem{"exportTableItem", CommandKind::MenuItem, "导    出(&K)"};
    Command settingsSeparator2{"settingsSeparator2", CommandKind::Separator};
    Command holidaysItem{"holidaysItem", CommandKind::MenuItem, "节 假 日(&P)"};
    // The school calendar's window: dated stop days and tables; in manual operation.
    Command schoolCalendar{"schoolCalendar", CommandKind::MenuItem, "校历(&C)"};
    Command settingsSeparator3{"settingsSeparator3", CommandKind::Separator};
    Command optionsItem{"optionsItem", CommandKind::MenuItem, "选    项 ", "F8"};
    // Rehearses the grid's table for a date; only with a checker, in manual operation.
    Command preflightItem{"preflightItem", CommandKind::MenuItem, "预演检查"};

    Command subtitleItem{"subtitleItem", CommandKind::MenuItem, "字幕(&E)"};

    Command mediaMenu{"mediaMenu", CommandKind::Menu, "音视频(&M)"};
    Command mediaLibraryItem{"mediaLibraryItem", CommandKind::MenuItem, "我的影音库(&Y)"};
    Command mediaSeparator1{"mediaSeparator1", CommandKind::Separator};
    Command findItem{"findItem", CommandKind::MenuItem, "查找", "Ctrl+F"};
    Command playItem{"playItem", CommandKind::MenuItem, "播放", "Ctrl+P"};
    Command stopItem{"stopItem", CommandKind::MenuItem, "停止", "Ctrl+S"};
    Command mediaSeparator2{"mediaSeparator2", CommandKind::Separator};
    Command recordItem{"recordItem", CommandKind::MenuItem, "录音    ", "Ctrl+R"};
    Command mediaSeparator3{"mediaSeparator3", CommandKind::Separator};
    Command announceItem{"announceItem", CommandKind::MenuItem, "插播..."};
    Command emergencyItem{"emergencyItem", CommandKind::MenuItem, "紧急广播"};

    Command helpMenu{"helpMenu", CommandKind::Menu, "帮助(&H)"};
    Command aboutItem{"aboutItem", CommandKind::MenuItem, "关于...", "F12"};
    Command helpItem{"helpItem", CommandKind::MenuItem, "帮助   ", "F1"};
    Command helpSeparator{"helpSeparator", CommandKind::Separator};
    Command homePageItem{"homePageItem", CommandKind::MenuItem, "主页   ", "F10"};

    // --- toolbar, left to right ---
    Command weekSettingTool{"weekSettingTool", CommandKind::ToolButton, "周设置", "", "一周表设置"};
    Command importTableTool{"importTableTool", CommandKind::ToolButton, "导入", "",
                            "从已存在表中复制数据"};
    Command exportTableTool{"exportTableTool", CommandKind::ToolButton, "导出", "",
                            "将当前表保存为模板"};
    Command optionsTool{"optionsTool", CommandKind::ToolButton, "选项", "",
                        "向表中添加目录或文件等"};
    Command findTool{"findTool", CommandKind::ToolButton, "查找", "", "查看当前文件是否存在"};
    Command playTool{"playTool", CommandKind::ToolButton, "播放", "", "播放当前文件"};
    Command stopTool{"stopTool", CommandKind::ToolButton, "停止", "", "停止播放"};
    Command recordTool{"recordTool", CommandKind::ToolButton, "录音", "", "录音"};
    Command skinTool{"skinTool", CommandKind::ToolButton, "换肤", "", "更换界面"};
    Command helpTool{"helpTool", CommandKind::ToolButton, "帮助", "", "帮助"};
    Command toolbarSeparator1{"toolbarSeparator1", CommandKind::Separator};
    Command toolbarSeparator2{"toolbarSeparator2", CommandKind::Separator};
    Command toolbarSeparator3{"toolbarSeparator3", CommandKind::Separator};
    Command toolbarSeparator4{"toolbarSeparator4", CommandKind::Separator};
    Command toolbarSeparator5{"toolbarSeparator5", CommandKind::Separator};
    // Red on the toolbar, so that it is found at once.
    Command emergencyTool{"emergencyTool", CommandKind::ToolButton, "紧急广播", "",
                          "停止作息表并反复鸣响警报，直到结束紧急广播"};

    // --- buttons and check boxes on the window ---
    Command quitButton{"quitButton", CommandKind::Button, "退出(&Q)"};
    Command hideButton{"hideButton", CommandKind::Button, "隐藏(&X)"};
    Command insertRowButton{"insertRowButton", CommandKind::Button, "插入(&I)"};
    Command addRowButton{"addRowButton", CommandKind::Button, "添加(&A)"};
    Command deleteRowButton{"deleteRowButton", CommandKind::Button, "删除(&D)"};
    Command moveUpButton{"moveUpButton", CommandKind::Button, "上移(&F)"};
    Command moveDownButton{"moveDownButton", CommandKind::Button, "下移(&N)"};
    Command saveButton{"saveButton", CommandKind::Button, "保存(&R)"};
    Command holidayOkButton{"holidayOkButton", CommandKind::Button, "确 定(&O)"};
    Command hideAtStartBox{"hideAtStartBox", CommandKind::CheckBox, "启动时隐藏主窗口"};
    Command secondMonitorBox{"secondMonitorBox", CommandKind::CheckBox, "输出到第二显示器"};

    // The holiday panel: its two captions, the weekday group with its stop boxes, and the
    // broadcast-all box. Hidden outside the panel.
    model::TextControl holidaySettingsTitle{"holidaySettingsTitle", "  节假日停播设置  "};
    model::TextControl holidayListTitle{"holidayListTitle", "  节假日停播列表  "};
    model::TextControl stopWeekdayGroup{"stopWeekdayGroup", " 星期几停播 "};
    Command stopMondayBox{"stopMondayBox", CommandKind::CheckBox, "星期一"};
    Command stopTuesdayBox{"stopTuesdayBox", CommandKind::CheckBox, "星期二"};
    Command stopWednesdayBox{"stopWednesdayBox", CommandKind::CheckBox, "星期三"};
    Command stopThursdayBox{"stopThursdayBox", CommandKind::CheckBox, "星期四"};
    Command stopFridayBox{"stopFridayBox", CommandKind::CheckBox, "星期五"};
    Command stopSaturdayBox{"stopSaturdayBox", CommandKind::CheckBox, "星期六"};
    Command stopSundayBox{"stopSundayBox", CommandKind::CheckBox, "星期日"};
    Command broadcastAllBox{"broadcastAllBox", CommandKind::CheckBox, "上表中所有日期均要播出"};

    // --- tray menu ---
    Command showWindowTrayItem{"showWindowTrayItem", CommandKind::MenuItem, "主窗口(&C)"};
    Command emergencyTrayItem{"emergencyTrayItem", CommandKind::MenuItem, "紧急广播"};
    Command announceTrayItem{"announceTrayItem", CommandKind::MenuItem, "插播..."};
    Command helpTrayItem{"helpTrayItem", CommandKind::MenuItem, "帮  助(&H)"};
    Command traySeparator{"traySeparator", CommandKind::Separator};
    Command quitTrayItem{"quitTrayItem", CommandKind::MenuItem, "退出系统(&Q)"};
    TrayIcon trayIcon;

    // --- grid and status lines ---
    model::Grid grid{"grid"};
    model::RadioGroup weekSelector{
        "weekSelector", "", {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"}};
    model::TextControl statusLine{"statusLine", "", model::kGreen};
    model::TextControl hintLine{"hintLine"};
    model::TextControl stopDayLine{"stopDayLine"};
    model::TextControl clockText{"clockText"};
    // Across the top of the window while an emergency is on, with the button that ends it.
    model::TextControl emergencyBanner{"emergencyBanner", "", model::kRed};
    Command endEmergencyButton{"endEmergencyButton", CommandKind::Button, "结束紧急广播"};
    model::ListBox playlistBox{"playlistBox"};
    model::ListBox libraryList{"libraryList"};

    // --- timers ---
    // Only the broadcast clock is armed at design time (start-up stops it at once); the others
    // run only when their subsystem starts them.
    // The station's beat, for the desktop to drive; the station starts and stops it.
    model::Timer& broadcastTimer;
    // The now-playing display's refresh in manual operation.
    model::Timer nowPlayingTimer{"nowPlayingTimer", 1000, false};
    model::Timer stopDayTimer{"stopDayTimer", 1000, false};
    // The clock watch's reading of the clock's synchronisation, every ten minutes.
    model::Timer clockSyncTimer{"clockSyncTimer", 600000, false};
    // Follows the alarm and the notices while one sounds.
    model::Timer alertTimer{"alertTimer", 200, false};

    // The menu bar, the toolbar and the tray menu in their order, for the views.
    std::vector<Command*> mainMenu;
    std::vector<Command*> toolbar;
    std::vector<Command*> trayMenu;
    std::array<Command*, 8> weekdayStopBoxes{};
    std::array<Command*, 8> forcedWeekdayItems{};

    // The video window, which the second-monitor box places; handed over once it exists.
    playback::VideoWindow* videoWindow = nullptr;

    // The time of day, which the window's LCD clock shows.
    const platform::Clock& clock() const { return m_clock; }

    // Every action, in the order declared.
    const std::vector<model::Action*>& actions() const { return m_actions; }

    // Every command, for look-ups by name.
    const std::vector<Command*>& commands() const { return m_commands; }
    std::vector<Command*> allCommands() override { return m_commands; }
    Command* command(const std::string& name) const;

private:
    void buildMenus();
    void attachPresentations();
    void setDesignedStates();
    void bindHandlers();

    platform::Host& m_host;
    const platform::Clock& m_clock;
    platform::Shell& m_shell;
    const platform::Monitors& m_monitors;
    std::filesystem::path m_programDirectory;
    store::SystemConfig& m_config;
    std::function<bool()> m_saveConfiguration;
    std::vector<Command*> m_commands;
    std::vector<model::Action*> m_actions;
};

}  // namespace orvessa::ui

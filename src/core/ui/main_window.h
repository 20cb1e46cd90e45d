#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
    void FormActivate() { activated.send(); }
    model::Signal<> activated;
    // Every request to close the main window hides it.
    void FormClose();
    // The window's outer size changed (also when first shown): the layout procedure places the
    // controls, run twice so that it settles at once.
    void FormResize(int width, int height);
    MainLayout layout;

    // --- commands of the window that belong to no other subsystem ---
    void H3Click();  // hide to the tray
    void E1Click();  // show from the tray
    void SpeedButton1Click();
    void W1Click();
    void GUANYUClick();
    void hideAtStartClick();
    void secondMonitorClick();

    // Moves `window` to the top-left corner of monitor `monitor` (0 the primary one), plus the
    // offsets, with the primary screen's size. Nothing happens for an absent window or a
    // monitor that is not there.
    void setwindowtomonitor(model::Window* window, int monitor, int topOffset, int leftOffset);
    // A mouse button released on the tray icon: left shows the window; the right button's
    // menu is the view's to pop up.
    void trayLeftClick() { E1Click(); }

    // Runs the command whose shortcut this is, if the shortcut reaches it. Returns whether
    // one ran.
    bool triggerShortcut(const std::string& shortcut);

    // --- menus ---
    Command XT1{"XT1", CommandKind::Menu, "系统(&S)"};
    Command Jrxt{"Jrxt", CommandKind::MenuItem, "进入系统", "F2"};
    Command pbxt{"pbxt", CommandKind::MenuItem, "屏蔽系统", "F3"};
    Command H3{"H3", CommandKind::MenuItem, "隐藏系统(&X)"};
    Command N2{"N2", CommandKind::Separator};
    Command skin{"skin", CommandKind::MenuItem, "换    肤(&G)"};
    Command GGMM{"GGMM", CommandKind::MenuItem, "更改密码...", "F4"};
    Command N3{"N3", CommandKind::Separator};
    Command TCXT{"TCXT", CommandKind::MenuItem, "退出系统(&Q)", "Ctrl+Q"};

    Command BCZ1{"BCZ1", CommandKind::Menu, "表操作(&B)"};
    Command UP1{"UP1", CommandKind::MenuItem, "上  移(&F)"};
    Command DOW1{"DOW1", CommandKind::MenuItem, "下  移(&N)"};
    Command N4{"N4", CommandKind::Separator};
    Command Inse1{"Inse1", CommandKind::MenuItem, "插入行(&I)"};
    Command Del1{"Del1", CommandKind::MenuItem, "删除行(&D)"};
    Command ADD1{"ADD1", CommandKind::MenuItem, "添加行(&A)"};
    Command N5{"N5", CommandKind::Separator};
    Command SAVE1{"SAVE1", CommandKind::MenuItem, "存  盘(&R)"};

    Command SZ1{"SZ1", CommandKind::Menu, "设置(&T)"};
    Command manualOperation{"manualOperation", CommandKind::MenuItem, "手动操作 (&L)", "F5"};
    Command automaticOperation{"automaticOperation", CommandKind::MenuItem, "自动播出 (&U)", "F6"};
    Command N6{"N6", CommandKind::Separator};
    Command Z1{"Z1", CommandKind::Menu, "指定作息时间 (&Z)"};
    Command xq0{"xq0", CommandKind::RadioItem, "自动(&U)"};
    Command N7{"N7", CommandKind::Separator};
    Command xq1{"xq1", CommandKind::RadioItem, "星期一"};
    Command xq2{"xq2", CommandKind::RadioItem, "星期二"};
    Command xq3{"xq3", CommandKind::RadioItem, "星期三"};
    Command xq4{"xq4", CommandKind::RadioItem, "星期四"};
    Command xq5{"xq5", CommandKind::RadioItem, "星期五"};
    Command xq6{"xq6", CommandKind::RadioItem, "星期六"};
    Command xq7{"xq7", CommandKind::RadioItem, "星期日"};
    Command N11{"N11", CommandKind::MenuItem, "周 设 置(&W)"};
    Command N12{"N12", CommandKind::MenuItem, "导    入(&J)"};
    Command N13{"N13", CommandKind::MenuItem, "导    出(&K)"};
    Command N8{"N8", CommandKind::Separator};
    Command GXR1{"GXR1", CommandKind::MenuItem, "节 假 日(&P)"};
    // The school calendar's window: dated stop days and tables; in manual operation.
    Command schoolCalendar{"schoolCalendar", CommandKind::MenuItem, "校历(&C)"};
    Command N9{"N9", CommandKind::Separator};
    Command xuanxiang{"xuanxiang", CommandKind::MenuItem, "选    项 ", "F8"};
    // Rehearses the grid's table for a date; only with a checker, in manual operation.
    Command yuyan{"yuyan", CommandKind::MenuItem, "预演检查"};

    Command N16{"N16", CommandKind::MenuItem, "字幕(&E)"};

    Command YSP1{"YSP1", CommandKind::Menu, "音视频(&M)"};
    Command dir1{"dir1", CommandKind::MenuItem, "我的影音库(&Y)"};
    Command N10{"N10", CommandKind::Separator};
    Command find1{"find1", CommandKind::MenuItem, "查找", "Ctrl+F"};
    Command P1{"P1", CommandKind::MenuItem, "播放", "Ctrl+P"};
    Command S2{"S2", CommandKind::MenuItem, "停止", "Ctrl+S"};
    Command N14{"N14", CommandKind::Separator};
    Command Rec2{"Rec2", CommandKind::MenuItem, "录音    ", "Ctrl+R"};

    Command BZ1{"BZ1", CommandKind::Menu, "帮助(&H)"};
    Command GUANYU{"GUANYU", CommandKind::MenuItem, "关于...", "F12"};
    Command H5{"H5", CommandKind::MenuItem, "帮助   ", "F1"};
    Command N15{"N15", CommandKind::Separator};
    Command W1{"W1", CommandKind::MenuItem, "主页   ", "F10"};

    // --- toolbar, left to right ---
    Command ToolButton9{"ToolButton9", CommandKind::ToolButton, "周设置", "", "一周表设置"};
    Command ToolButton10{"ToolButton10", CommandKind::ToolButton, "导入", "",
                         "从已存在表中复制数据"};
    Command ToolButton15{"ToolButton15", CommandKind::ToolButton, "导出", "", "将当前表保存为模板"};
    Command toolbutton13{"toolbutton13", CommandKind::ToolButton, "选项", "",
                         "向表中添加目录或文件等"};
    Command ToolButton24{"ToolButton24", CommandKind::ToolButton, "查找", "",
                         "查看当前文件是否存在"};
    Command ToolButton17{"ToolButton17", CommandKind::ToolButton, "播放", "", "播放当前文件"};
    Command ToolButton18{"ToolButton18", CommandKind::ToolButton, "停止", "", "停止播放"};
    Command rec3{"rec3", CommandKind::ToolButton, "录音", "", "录音"};
    Command SpeedButton9{"SpeedButton9", CommandKind::ToolButton, "换肤", "", "更换界面"};
    Command SpeedButton1{"SpeedButton1", CommandKind::ToolButton, "帮助", "", "帮助"};
    Command TS1{"TS1", CommandKind::Separator};
    Command TS2{"TS2", CommandKind::Separator};
    Command TS3{"TS3", CommandKind::Separator};
    Command TS4{"TS4", CommandKind::Separator};

    // --- buttons and check boxes on the window ---
    Command QUIT1{"QUIT1", CommandKind::Button, "退出(&Q)"};
    Command yinchang{"yinchang", CommandKind::Button, "隐藏(&X)"};
    Command xiugai{"xiugai", CommandKind::Button, "插入(&I)"};
    Command add{"add", CommandKind::Button, "添加(&A)"};
    Command del{"del", CommandKind::Button, "删除(&D)"};
    Command up{"up", CommandKind::Button, "上移(&F)"};
    Command dow{"dow", CommandKind::Button, "下移(&N)"};
    Command save{"save", CommandKind::Button, "保存(&R)"};
    Command Button3{"Button3", CommandKind::Button, "确 定(&O)"};
    Command hideAtStartBox{"hideAtStartBox", CommandKind::CheckBox, "启动时隐藏主窗口"};
    Command secondMonitorBox{"secondMonitorBox", CommandKind::CheckBox, "输出到第二显示器"};

    // The holiday panel: its two captions, the weekday group with its stop boxes, and the
    // broadcast-all box. Hidden outside the panel.
    model::TextControl Label4{"Label4", "  节假日停播设置  "};
    model::TextControl Label5{"Label5", "  节假日停播列表  "};
    model::TextControl GroupBox1{"GroupBox1", " 星期几停播 "};
    Command Ch1{"Ch1", CommandKind::CheckBox, "星期一"};
    Command Ch2{"Ch2", CommandKind::CheckBox, "星期二"};
    Command Ch3{"Ch3", CommandKind::CheckBox, "星期三"};
    Command Ch4{"Ch4", CommandKind::CheckBox, "星期四"};
    Command Ch5{"Ch5", CommandKind::CheckBox, "星期五"};
    Command Ch6{"Ch6", CommandKind::CheckBox, "星期六"};
    Command Ch7{"Ch7", CommandKind::CheckBox, "星期日"};
    Command Ch8{"Ch8", CommandKind::CheckBox, "上表中所有日期均要播出"};

    // --- tray menu ---
    Command E1{"E1", CommandKind::MenuItem, "主窗口(&C)"};
    Command H2{"H2", CommandKind::MenuItem, "帮  助(&H)"};
    Command N17{"N17", CommandKind::Separator};
    Command Q1{"Q1", CommandKind::MenuItem, "退出系统(&Q)"};
    TrayIcon trayIcon;

    // --- grid and status lines ---
    model::Grid Grid{"Grid"};
    model::RadioGroup weekSelector{
        "weekSelector", "", {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"}};
    model::TextControl statusLine{"statusLine", "", model::kGreen};
    model::TextControl hintLine{"hintLine"};
    model::TextControl stopDayLine{"stopDayLine"};
    model::TextControl clockText{"clockText"};
    model::ListBox playlistBox{"playlistBox"};
    model::ListBox libraryList{"libraryList"};

    // --- timers ---
    // Only the broadcast clock is armed at design time (start-up stops it at once); the others
    // run only when their subsystem starts them.
    model::Timer broadcastTimer{"broadcastTimer"};
    // The now-playing display's refresh in manual operation.
    model::Timer nowPlayingTimer{"nowPlayingTimer", 1000, false};
    model::Timer stopDayTimer{"stopDayTimer", 1000, false};
    // The clock watch's reading of the clock's synchronisation, every ten minutes.
    model::Timer clockSyncTimer{"clockSyncTimer", 600000, false};

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

    // Every command, for look-ups by name.
    const std::vector<Command*>& commands() const { return m_commands; }
    std::vector<Command*> allCommands() override { return m_commands; }
    Command* command(const std::string& name) const;

private:
    void buildMenus();
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
};

}  // namespace orvessa::ui

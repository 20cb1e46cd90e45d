#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/console/certificate.h"
#include "core/console/secrets.h"
#include "core/editing/alerts_page.h"
#include "core/editing/console_page.h"
#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/track_bar.h"
#include "core/model/window.h"
#include "core/platform/host.h"
#include "core/platform/media_device.h"
#include "core/platform/unattended_start.h"
#include "core/scheduler/wake_time.h"
#include "core/store/file_sync.h"
#include "core/store/live_settings.h"
#include "core/store/system_config.h"

namespace orvessa::model {
class Grid;
}

namespace orvessa::editing {

// What the options dialog is given besides the configuration and the grid.
struct OptionsServices {
    platform::Host& host;
    platform::AudioOutput& output;
    // Writes the configuration, telling the operator when that fails.
    std::function<bool()> saveConfiguration;
    std::filesystem::path programDirectory;
    // The desktop's autostart of the program; without it "开机自动启动" is not offered.
    platform::UnattendedStart* unattendedStart = nullptr;
    // The web console's password hashes and tokens; without them there is no "网页控制台" page.
    console::Secrets* consoleSecrets = nullptr;
    // Reads the console certificate's fingerprint; without it the page shows none.
    console::Certificates* consoleCertificates = nullptr;
    // What the console's files are flushed through when they are replaced.
    store::FileSync* fileSync = nullptr;
    // The media library, from which the emergency page's relative paths are read; the program
    // directory when not given.
    std::function<std::string()> libraryDirectory = {};
    // Keeps the time the PC powers itself on; without it "定时开机" is not offered.
    scheduler::WakeKeeper* wake = nullptr;
};

// The options dialog: five pages of settings, one for the web console where its secrets are
// given, and the emergency's page. Its play order, end-of-day choice, "屏蔽该功能"
// and volume edit the live settings that the player and the end of the day read while the system
// runs; the configuration holds the defaults of the next start.
class OptionsDialog : public model::Window {
public:
    static constexpr int kDefaultVolume = 200;
    static constexpr const char* kPages[] = {"初始音量", "目录或文件", "定时关机", "结束方式",
                                             "权限论证"};
    static constexpr const char* kVolumeNote =
        "    移动滑块找到合适的音量，所设音量值将自动存入作息时间表。你也可直接在作息时间表中输入合"
        "适的数值来设定所需的音量。";
    static constexpr const char* kUnattendedTitle = "无人值守";
    static constexpr const char* kAutostartNote =
        "勾选后，每次登录桌面时自动运行本系统。电脑断电或关机后要自动恢复播出，还需设置自动登录，"
        "见说明书“无人值守”一节。";
    static constexpr const char* kWakeTitle = "定时开机";
    static constexpr const char* kWakeMarginBefore = "第一个定时项目前";
    static constexpr const char* kWakeMarginAfter = "分钟自动开机";
    static constexpr const char* kShutdownHint =
        "系统设置中可设当天所有项目播完后5分钟为默认自动关机时间";

    OptionsDialog(store::SystemConfig& config, store::LiveSettings& settings, model::Grid& grid,
                  OptionsServices services);

    // The page shown: the one open when the dialog last closed, "初始音量" at first.
    int activePage = 0;

    // --- "网页控制台", after the five pages; null when it is not offered.
    ConsolePage* consolePage() { return m_consolePage.get(); }
    // --- "紧急广播", the last page.
    AlertsPage* alertsPage() { return m_alertsPage.get(); }

    // --- "初始音量": 1..255. A change sets the output volume and the selected row's volume cell.
    // A cell of 0 (or empty) plays at the default volume, so the slider does not offer 0.
    model::TrackBar volumeSlider{"volumeSlider", 1, 255, kDefaultVolume};

    // --- "目录或文件"
    // The path field. While `pathPlaceholder` is set it shows the silver placeholder instead.
    model::TextControl pathField{"pathField"};
    bool pathPlaceholder = true;
    // The folder the tree shows; the view reports the operator's changes to folderChanged().
    std::string treeFolder;
    void folderChanged(const std::string& folder);
    // The operator typed into the path field: a path of their own, no longer the placeholder.
    void pathTyped(const std::string& text);
    const std::filesystem::path& programDirectory() const { return m_services.programDirectory; }
    model::Command chooseFileButton{"chooseFileButton", model::CommandKind::Button, "", "",
                                    "指定磁盘文件"};
    model::Command applyPathButton{"applyPathButton", model::CommandKind::Button, "确 定(&O)"};
    model::RadioGroup playOrderGroup{"playOrderGroup", "目录播放方式", {"顺序播放", "随机播放"}};
    model::Command playOrderDefaultBox{"playOrderDefaultBox", model::CommandKind::CheckBox,
                                       "方式设为默认值"};
    model::Command previousRow{"previousRow", model::CommandKind::Button, "上一行"};
    model::Command nextRow{"nextRow", model::CommandKind::Button, "下一行"};

    // --- "定时关机": the two custom daily shutdown times and the box that switches them off.
    model::TextControl firstShutdownField{"firstShutdownField"};
    model::TextControl secondShutdownField{"secondShutdownField"};
    model::Command shutdownOffBox{"shutdownOffBox", model::CommandKind::CheckBox, "屏蔽该功能"};
    model::Command resetShutdownButton{"resetShutdownButton", model::CommandKind::Button,
                                       "重设(&B)"};
    model::Command saveShutdownButton{"saveShutdownButton", model::CommandKind::Button, "保存(&V)"};
    // Ticked while the desktop starts the system at login: a PC that powers itself off each
    // evening (or loses power) comes back broadcasting, given an automatic login.
    model::Command autostart{
        "autostart", model::CommandKind::CheckBox, "开机自动启动", "",
        "登录桌面时自动运行本系统；无人值守的电脑还需设置自动登录（见说明书）"};

    // While the system powers the PC off, it powers on again this many minutes before the next
    // broadcast day's first bell; the line says when that is, or in red why it will not.
    model::TrackBar wakeMarginBox{"wakeMarginBox", scheduler::kMinWakeMarginMinutes,
                                  scheduler::kMaxWakeMarginMinutes,
                                  scheduler::kDefaultWakeMarginMinutes};
    model::TextControl wakeLine{"wakeLine"};

    // --- "结束方式": what follows the last item of the day.
    model::RadioGroup endActionGroup{
        "endActionGroup",
        " 所有项目播完后 ",
        {"1分钟自动关机", "关闭本系统 返回WINDOWS", "回到第一项重播", "等待"}};
    model::Command endActionDefaultBox{"endActionDefaultBox", model::CommandKind::CheckBox,
                                       "设为默认值"};
    model::Command endActionOkButton{"endActionOkButton", model::CommandKind::Button, "确定(&O)"};

    // --- "权限论证".
    model::RadioGroup accessGroup{
        "accessGroup", "  权限论证  ", {"操作员要经过权限论证才能进入", "任何人都可以直接操作"}};
    model::Command accessOkButton{"accessOkButton", model::CommandKind::Button, "确定(&O)"};

    // "关闭(&E)" of every page.
    model::Command closeButton{"closeButton", model::CommandKind::Button, "关闭(&E)"};

    const store::LiveSettings& settings() const { return m_settings; }

    // Opening from the commands: "上一行" and "下一行" follow Move up and Move down.
    void prepareOpening(bool canMoveUp, bool canMoveDown);

    std::vector<model::Command*> allCommands() override;

private:
    void volumeChanged();
    void chooseFile();
    void applyPath();
    void playOrderDefaultChanged();
    void moveRow(int step);
    void shutdownOffChanged();
    void saveShutdownTimes();
    void autostartChanged();
    void wakeMarginChanged();
    // What the wake time depends on changed: it is worked out again.
    void updateWake();
    void showWake();
    void applyEndAction();
    void applyAccess();
    void closeDialog();
    void showPlaceholder();
    // The live settings take what the controls show.
    void updateSettings();

    store::SystemConfig& m_config;
    store::LiveSettings& m_settings;
    model::Grid& m_grid;
    OptionsServices m_services;
    std::unique_ptr<ConsolePage> m_consolePage;
    std::unique_ptr<AlertsPage> m_alertsPage;
};

}  // namespace orvessa::editing

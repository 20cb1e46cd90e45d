// The main window's life: creation, activation, closing and quit.

#include "core/editing/tform2.h"
#include "core/editing/tform5.h"
#include "core/store/holiday_list.h"
#include "core/store/ini_profile.h"
#include "core/store/table_file.h"
#include "core/store/today_table.h"
#include "core/text/date_text.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"
#include "core/ui/tform1.h"

namespace orvessa::ui {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using store::SystemConfig;

namespace {

const char* const kHints[] = {
    "  ☆ 停播时间留空则播完当前文件后跳至下一项。",
    "  ☆ 时间输入标准格式示例：12:15:00 或 5:00:13 。",
    "  ☆ 系统可设置最后一次播出结束后自动关机。",
    "  ☆ 开播时间留空则该文件将接在上一项文件播完时播放。",
    "  ☆ 修改和编辑作息时间表前请先选手动操作。",
    "  ☆ 停播时间一到播放将中途强行停止。",
    "  ☆ 一曲播完但停播时间未到当前文件将循环播放。",
    "  ☆ 选项中可在作息时间表的当前行进行音量、目录或文件设置。",
    "  ☆ 系统支持双击功能，可在指定时间打开或运行各种类型文件！",
    "  ☆ 发挥电脑的潜在功能，充分利用你已安装的各类软件！",
    "  ☆ “我的音乐库”目录设置请参阅帮助--常见问题！",
};

}  // namespace

void TForm1::FormCreate() {
    // 1-2
    Timer1.stop();
    Label2.setColor(model::kGreen);
    autoNaming = true;
    stopDayCount = 0;
    versionText = kVersion;
    setCaption("Orvessa    VER " + versionText);

    // 3
    platformFamily = m_power.platformFamily();

    // 4: dat files are MPEG video for the media device.
    store::ProfileFile(m_mediaProfile).writeString("mci extensions", "dat", "MPEGVideo");

    // 5
    trayIcon.tip = "Orvessa";
    trayIcon.setVisible(true);

    // 7
    const SystemConfig::LoadStatus loaded = config.load();
    if (loaded != SystemConfig::LoadStatus::Loaded) {
        Timer1.stop();
        // A file that is there but cannot be read is not "not found": say why, or the operator
        // looks for a file that exists.
        const std::string file =
            "系统初始化错误！\r\r文件 " + programDirectoryText + "orvessa.sys ";
        m_host.messageBox(loaded == SystemConfig::LoadStatus::Missing
                              ? file + "未找到！"
                              : file + "无法读取！\r\r" + config.loadError(),
                          "错误", MessageIcon::Error, MessageButtons::Ok);
        unlocked = true;
        // Nothing was loaded, so there is nothing to offer to save.
        save.setEnabled(false);
        Q1Click();
        return;
    }
    configurationLoaded = true;

    // 8
    applySkin(config.skinNumber());

    // 9-10
    stopDay = false;
    const platform::LocalDateTime now = m_clock.now();
    W = text::weekdayOf(now.year, now.month, now.day);
    for (int k = 0; k < 8; ++k) {
        weekdayStopBoxes[static_cast<std::size_t>(k)]->setChecked(
            config.flagEntry(SystemConfig::kStopMonday + k));
    }
    stopDay = weekdayStopBoxes[static_cast<std::size_t>(W - 1)]->checked();
    weekdayText = text::decimalText(W);

    // 11
    if (config.entry(SystemConfig::kPasswordMode) == "0") {
        unlocked = false;
        m_screenSaver.setRunning(true);
        lockSystem();
        for (Command* c : {&SZ1, &SpeedButton9, &QUIT1}) {
            c->setEnabled(false);
        }
        Check2.setEnabled(false);
        CheckBox1.setEnabled(false);
    } else {
        m_screenSaver.setRunning(false);
        unlocked = true;
        enterSystem();
        for (Command* c : {&Jrxt, &pbxt, &N2, &GGMM}) {
            c->setVisible(false);
        }
    }

    // 12-13
    clockState.shutdownArmed = true;
    clockState.shutdownTime = config.entry(SystemConfig::kShutdownTimeTwo);
    clockState.endCountdown = 60;
    clockState.hintTick = 0;
    clockState.hintLimit = 50;
    clockState.repeatLimit = 1;
    clockState.repeatCount = 1;
    hints.assign(std::begin(kHints), std::end(kHints));
    store::setScheduleHeaders(Grid.table());
    Grid.tableChanged();

    // 14
    const std::string& forced = config.entry(SystemConfig::kForcedWeekday);
    if (forced == "0") {
        xq0.setChecked(true);
        tableFileName = store::scheduleFileName(W);
    } else {
        tableFileName = "zxsj" + forced + ".log";
        tickForcedWeekday(text::toIntOr(forced, -1));
    }

    // 15: selecting today in the week selector loads today's table.
    RG4.setItemIndex(W - 1);

    // 16
    playback.currentRow = 1;
    clockState.lastStartTime = "00:00:00";
    playback.itemKind = playback::ItemKind::None;

    // 17
    if (!stopDay && !Ch8.checked()) {
        consultHolidayList();
    }

    // 18-19
    if (stopDay) {
        stopDayDate = now.year * 10000 + now.month * 100 + now.day;
        Timer4.start(1000);
        return;
    }
    save.setEnabled(false);
    enterAutomaticOperation();
    Timer1.start(1000);
}

void TForm1::FormActivate() {
    if (m_activating || !configurationLoaded) {
        return;
    }
    m_activating = true;
    ++activations;

    // 1: automatic operation is whenever "自动播出" cannot be chosen.
    if (!jxbc.enabled()) {
        for (Command* c : {&xiugai, &del, &add, &up, &dow, &save}) {
            c->setEnabled(false);
        }
    }

    // 2: the window hides itself on the first activation only; hiding again at every later
    // activation would keep the operator from ever reaching the box to undo it.
    const bool hideAtStart = config.entry(SystemConfig::kHideAtStart) == "1";
    CheckBox1.setChecked(hideAtStart);
    if (hideAtStart && activations == 1) {
        FormClose();
    }

    // 3
    Check2.setChecked(config.entry(SystemConfig::kSecondMonitor) == "1");

    // 4
    const std::string& library = config.entry(SystemConfig::kMediaLibrary);
    if (!library.empty()) {
        defaultDirectory = library;
    } else {
        // Keep the clock as it was: on a stop day it must not start broadcasting.
        const bool clockWasRunning = Timer1.running();
        Timer1.stop();
        const std::string audio = programDirectoryText + "AUDIO" + text::nativeSeparator();
        const MessageAnswer answer =
            m_host.messageBox("请设置音视频文件默认目录！\r\r选否则为" + audio + "！", "系统信息",
                              MessageIcon::Information, MessageButtons::YesNo);
        std::string chosen = audio;
        if (answer == MessageAnswer::Yes && form5 != nullptr) {
            m_host.showModal(*form5);
            if (!form5->chosenDirectory.empty()) {
                chosen = form5->chosenDirectory;
            }
        }
        config.setEntry(SystemConfig::kMediaLibrary, chosen);
        saveConfiguration();
        defaultDirectory = config.entry(SystemConfig::kMediaLibrary);
        if (clockWasRunning) {
            Timer1.start(1000);
        }
    }
    m_activating = false;
}

void TForm1::FormClose() {
    setVisible(false);
}

void TForm1::Q1Click() {
    if (!unlocked && form2 != nullptr) {
        m_host.showModal(*form2);
    }
    if (save.enabled()) {
        const MessageAnswer answer = m_host.messageBox(
            "要保存当前数据吗？", "确认", MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes) {
            saveClick();
        }
    }
    trayIcon.setVisible(false);
    m_host.quitApplication();
}

void TForm1::RG4Click() {
    const int k = RG4.itemIndex();
    tableFileName = store::scheduleFileName(k + 1);
    W = k + 1;
    if (ToolButton9.enabled()) {
        Label1.setText("  ☆ 正在修改 星期" + text::weekdayCharacter(W) + " 作息时间表！");
    }
    markWeekChoice();
    loadClick();
}

void TForm1::loadClick() {
    if (autoNaming) {
        const platform::LocalDateTime now = m_clock.now();
        W = text::weekdayOf(now.year, now.month, now.day);
        weekdayText = text::decimalText(W);
        tableFileName = store::todayTableName(W, config);
    }
    const store::TableLoadResult r =
        store::loadTableFile(Grid.table(), programDirectory, tableFileName);
    if (!r.missingMessage.empty()) {
        Label2.setColor(model::kRed);
        Label2.setText(r.missingMessage);
    }
    if (r.completed()) {
        clockState.repeatLimit = 1;
        clockState.repeatCount = 1;
        clockState.untimedSkip = false;
    }
    Grid.tableChanged();
}

void TForm1::saveClick() {
    const store::WriteResult r =
        store::writeTableFile(Grid.table(), programDirectory, tableFileName);
    Grid.tableChanged();
    if (!r.ok) {
        m_host.messageBox("作息时间表保存失败！\r\r" + r.error, "错误", MessageIcon::Error,
                          MessageButtons::Ok);
        return;
    }
    save.setEnabled(false);
}

void TForm1::tickForcedWeekday(int number) {
    for (int n = 0; n < 8; ++n) {
        forcedWeekdayItems[static_cast<std::size_t>(n)]->setChecked(n == number);
    }
}

void TForm1::consultHolidayList() {
    if (listedHoliday(m_clock.now())) {
        stopDay = true;
    }
}

bool TForm1::listedHoliday(const platform::LocalDateTime& day) const {
    const store::ReadResult list = store::readWholeFile(programDirectory / store::kHolidayFileName);
    return list.status == store::ReadStatus::Ok &&
           store::isListedHoliday(list.bytes, day.year, day.month, day.day);
}

bool TForm1::isStopDay(const platform::LocalDateTime& day) const {
    const int weekday = text::weekdayOf(day.year, day.month, day.day);
    if (weekdayStopBoxes[static_cast<std::size_t>(weekday - 1)]->checked()) {
        return true;
    }
    return !Ch8.checked() && listedHoliday(day);
}

// Filled in by the subsystems that own these steps.
void TForm1::applySkin(int) {}
void TForm1::lockSystem() {}
void TForm1::enterSystem() {}

}  // namespace orvessa::ui

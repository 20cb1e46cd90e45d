// Manual and automatic operation, the forced weekday and the week setting.

#include <filesystem>

#include "core/editing/tform4.h"
#include "core/playback/item_player.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/store/table_file.h"
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

constexpr model::Color kWeekChoiceBackground = model::rgb(255, 251, 240);

}  // namespace

void TForm1::enterAutomaticOperation() {
    jxbc.setEnabled(true);
    jxbc.click();
    jxbc.setEnabled(false);
}

void TForm1::setMoveButtons() {
    // Moving needs a neighbour in that direction.
    const int row = Grid.row();
    const int last = Grid.table().rowCount() - 1;
    const bool canUp = manualOperation() && !playback.isPlaying && row > 1 && row <= last;
    const bool canDown = manualOperation() && !playback.isPlaying && row >= 1 && row < last;
    up.setEnabled(canUp);
    UP1.setEnabled(canUp);
    dow.setEnabled(canDown);
    DOW1.setEnabled(canDown);
}

void TForm1::setManualCommands() {
    const bool idle = !playback.isPlaying;
    for (Command* c :
         {&ToolButton9, &ToolButton10, &toolbutton13, &ToolButton15, &N11, &N12, &N13, &rec3, &Rec2,
          &N16, &GXR1, &Z1, &xuanxiang, &BCZ1, &dir1, &xiugai, &del, &add}) {
        c->setEnabled(true);
    }
    ToolButton17.setEnabled(idle);
    P1.setEnabled(idle);
    ToolButton18.setEnabled(!idle);
    S2.setEnabled(!idle);
    if (!idle) {
        // What is running keeps the commands that a running item disables.
        for (Command* c : {&ToolButton9, &ToolButton10, &ToolButton15, &rec3, &Rec2, &BCZ1, &N16}) {
            c->setEnabled(false);
        }
    }
    pbxt.setEnabled(false);
}

void TForm1::setAutomaticCommands() {
    for (Command* c : {&ToolButton9, &ToolButton10, &toolbutton13, &ToolButton15, &ToolButton17,
                       &P1,          &ToolButton18, &rec3,         &Rec2,         &N16,
                       &GXR1,        &Z1,           &xuanxiang,    &BCZ1,         &N11,
                       &N12,         &N13,          &xiugai,       &del,          &add,
                       &up,          &dow,          &UP1,          &DOW1,         &save}) {
        c->setEnabled(false);
    }
    S2.setEnabled(playback.isPlaying);
    pbxt.setEnabled(true);
}

void TForm1::ZTBCClick() {
    Timer1.stop();
    ztbc.setEnabled(false);
    jxbc.setEnabled(true);
    pbxt.setEnabled(false);
    setManualCommands();
    Grid.setEditable(true);
    Grid.setRowSelect(false);
    setMoveButtons();
    ListBox2.setVisible(true);
    refreshLibraryList();
    Label1.setColor(model::kGreen);
    Label2.setColor(model::kGreen);
    Label1.setText("  ☆ 当前为手动操作状态，可对系统进行设置和修改！");
    Label2.setText("  ☆ 修改完成后请选择自动播出！");
    autoNaming = false;
}

void TForm1::JXBCClick() {
    // Unsaved changes are read before the automatic commands switch Save off, so that the
    // question below is asked at all.
    const bool unsaved = save.enabled();
    if (playback.isPlaying && player != nullptr) {
        player->stop();
    }
    jxbc.setEnabled(false);
    ztbc.setEnabled(true);
    setAutomaticCommands();
    Label2.setText("");
    RG4.setVisible(false);
    ListBox2.setVisible(false);
    Grid.setEditable(false);
    gridHeight = 0;
    Grid.tableChanged();

    if (unsaved) {
        Timer1.stop();
        const MessageAnswer answer = m_host.messageBox(
            "要保存当前数据吗？", "确认", MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes) {
            saveClick();
        }
        save.setEnabled(false);
        Timer1.start(1000);
    }

    autoNaming = true;
    loadClick();
    const platform::LocalDateTime today = m_clock.now();
    automaticDate = today.year * 10000 + today.month * 100 + today.day;

    Grid.select(Grid.col(), 1);
    playback.currentRow = 1;
    Grid.setRowSelect(true);
    Timer4.stop();
    if (broadcastClock != nullptr) {
        // Seconds spent outside automatic operation are not the clock's to make up.
        broadcastClock->resetSeconds();
    }
    Timer1.start(1000);
}

void TForm1::xq7Click(int number) {
    if (text::decimalText(number) != config.entry(SystemConfig::kForcedWeekday)) {
        const MessageAnswer answer = m_host.messageBox(
            "确实要改变作息时间吗？", "确认", MessageIcon::Question, MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes) {
            config.setEntry(SystemConfig::kForcedWeekday, text::decimalText(number));
            saveConfiguration();
            const std::string day = number == 0 ? weekdayText : text::decimalText(number);
            tableFileName = "zxsj" + day + ".log";
            loadClick();
        }
    }
    tickForcedWeekday(text::toIntOr(config.entry(SystemConfig::kForcedWeekday), -1));
}

void TForm1::ToolButton9Click() {
    gridHeight = kBevelTop - 110;
    RG4.setVisible(true);
    Grid.tableChanged();
    tableFileName = store::scheduleFileName(RG4.itemIndex() + 1);
    loadClick();
}

void TForm1::markWeekChoice() {
    const int selected = RG4.itemIndex();
    for (int i = 0; i < static_cast<int>(RG4.items().size()); ++i) {
        if (i == selected) {
            RG4.setItemColors(i, model::kRed, kWeekChoiceBackground);
        } else {
            RG4.setItemColors(i, model::kBlack, model::RadioGroup::kNoBackground);
        }
    }
}

std::string TForm1::libraryDirectory() const {
    return text::resolvePath(itemDirectoryText, defaultDirectory);
}

void TForm1::refreshLibraryList() {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(text::fsPath(text::toNativePath(libraryDirectory())),
                                           ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        const std::string name = text::utf8Path(it->path().filename());
        if (it->is_directory(typeError) || text::isHiddenName(name)) {
            continue;
        }
        names.push_back(name);
    }
    ListBox2.setItems(std::move(names));
}

}  // namespace orvessa::ui

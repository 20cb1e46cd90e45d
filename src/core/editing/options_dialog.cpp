#include "core/editing/options_dialog.h"

#include <optional>

#include "core/model/grid.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

using platform::MessageButtons;
using platform::MessageIcon;
using store::SystemConfig;

namespace {

// A time field's text as the clock compares it, "hh:mm:ss". The field lets the first hour digit
// be left out; its blank would never match the clock, so it becomes a "0". Nothing for a text
// that is no time of day.
std::optional<std::string> storedTime(const std::string& field) {
    std::string t = field;
    if (t.size() == 8 && (t[0] == ' ' || t[0] == '_')) {
        t[0] = '0';
    }
    if (t.size() != 8 || t[2] != ':' || t[5] != ':' || !text::isTimeOfDay(t) ||
        t.find(' ') != std::string::npos) {
        return std::nullopt;
    }
    return t;
}

// The path field takes a full path only: a placeholder or a stray word is no file.
bool isFullPath(std::string_view path) {
    return !path.empty() && !text::isRelativePath(path) && text::containsSeparator(path);
}

}  // namespace

OptionsDialog::OptionsDialog(store::SystemConfig& config, store::LiveSettings& settings,
                             model::Grid& grid, OptionsServices services)
    : Window("OptionsDialog", "选项"),
      m_config(config),
      m_settings(settings),
      m_grid(grid),
      m_services(std::move(services)) {
    RG1.setItemIndex(config.defaultPlayOrder());
    MaskEdit1.setText(config.entry(SystemConfig::kShutdownTimeOne));
    MaskEdit2.setText(config.entry(SystemConfig::kShutdownTimeTwo));
    const std::string& disabled = config.entry(SystemConfig::kCustomShutdownDisabled);
    CheckBox1.setChecked(disabled == "1");
    for (model::Control* c :
         std::initializer_list<model::Control*>{&MaskEdit1, &MaskEdit2, &Button2}) {
        c->setEnabled(disabled == "0");
    }
    RG2.setItemIndex(config.endOfDayAction());
    RG3.setItemIndex(config.passwordModeIndex());
    // The tree starts at the program directory; that first change keeps the placeholder.
    treeFolder = text::utf8Path(m_services.programDirectory);
    // Pointing the tree there is its first folder change: "确 定(&O)" starts enabled, though the
    // placeholder names no item for it to take.
    showPlaceholder();

    // Whoever changes a live choice (the operator, the player's volume), it takes effect at once.
    updateSettings();
    for (model::Control* c :
         std::initializer_list<model::Control*>{&RG1, &RG2, &CheckBox1, &TrackBar1}) {
        c->changed.connect([this] { updateSettings(); });
    }

    TrackBar1.setHandler([this] { TrackBar1Change(); });
    SpeedButton1.setHandler([this] { SpeedButton1Click(); });
    Button1.setHandler([this] { Button1Click(); });
    CheckBox2.setHandler([this] { CheckBox2Click(); });
    previousRow.setHandler([this] { moveRow(-1); });
    nextRow.setHandler([this] { moveRow(1); });
    CheckBox1.setHandler([this] { CheckBox1Click(); });
    Button2.setHandler([this] {
        MaskEdit1.setText("00:00:00");
        MaskEdit2.setText("00:00:00");
    });
    Button3.setHandler([this] { Button3Click(); });
    autostart.setVisible(m_services.unattendedStart != nullptr);
    if (m_services.unattendedStart != nullptr) {
        autostart.setChecked(m_services.unattendedStart->autostart());
    }
    autostart.setHandler([this] { autostartClick(); });
    Button4.setHandler([this] { Button4Click(); });
    Button5.setHandler([this] { Button5Click(); });
    Button6.setHandler([this] { Button6Click(); });

    // The output starts at the slider's volume, so that a row whose volume equals the
    // slider's position (and so changes nothing) still plays at that volume.
    const auto level = static_cast<uint16_t>(TrackBar1.position() * 256);
    m_services.output.setVolume(level, level);
}

std::vector<model::Command*> OptionsDialog::allCommands() {
    return {&SpeedButton1, &Button1,   &CheckBox2, &previousRow, &nextRow, &CheckBox1, &Button2,
            &Button3,      &autostart, &CheckBox3, &Button4,     &Button5, &Button6};
}

void OptionsDialog::updateSettings() {
    m_settings.randomOrder = RG1.itemIndex() == 1;
    m_settings.endOfDayAction = store::endOfDayActionOf(RG2.itemIndex());
    m_settings.customShutdownOff = CheckBox1.checked();
    m_settings.volume = TrackBar1.position();
}

void OptionsDialog::prepareOpening(bool canMoveUp, bool canMoveDown) {
    previousRow.setEnabled(canMoveUp);
    nextRow.setEnabled(canMoveDown);
    // The entry may have been made or removed meanwhile, by the desktop's own settings.
    if (m_services.unattendedStart != nullptr) {
        autostart.setChecked(m_services.unattendedStart->autostart());
    }
}

void OptionsDialog::autostartClick() {
    platform::UnattendedStart* start = m_services.unattendedStart;
    // Also run when the box only follows the entry: then there is nothing to write.
    if (start == nullptr || autostart.checked() == start->autostart()) {
        return;
    }
    if (const std::string problem = start->setAutostart(autostart.checked()); !problem.empty()) {
        m_services.host.messageBox("开机自动启动未能设置：\r\r" + problem, "错误信息",
                                   MessageIcon::Error, MessageButtons::Ok);
    }
    autostart.setChecked(start->autostart());
}

void OptionsDialog::TrackBar1Change() {
    const int v = TrackBar1.position();
    const auto level = static_cast<uint16_t>(v * 256);
    m_services.output.setVolume(level, level);
    m_grid.setCell(store::ScheduleRow::kVolume, m_grid.row(), text::decimalText(v));
}

void OptionsDialog::folderChanged(const std::string& folder) {
    treeFolder = folder;
    Button1.setEnabled(true);
    // A root stays as it is; every other folder ends in a separator, which marks the row as a
    // directory for the player.
    const bool root = folder.size() < 2 || (folder.size() < 4 && folder[1] == ':');
    pathPlaceholder = false;
    Edit1.setColor(model::kBlack);
    Edit1.setText(root ? folder : text::joinPath(folder, ""));
}

void OptionsDialog::pathTyped(const std::string& text) {
    pathPlaceholder = false;
    Button1.setEnabled(true);
    Edit1.setColor(model::kBlack);
    Edit1.setText(text);
}

void OptionsDialog::showPlaceholder() {
    pathPlaceholder = true;
    Edit1.setText("");
    Edit1.setColor(model::rgb(192, 192, 192));
}

void OptionsDialog::SpeedButton1Click() {
    Button1.setEnabled(true);
    pathPlaceholder = false;
    Edit1.setColor(model::kBlack);
    Edit1.setText("");
    if (const auto file = m_services.host.openFileDialog("*", treeFolder)) {
        Edit1.setText(*file);
    }
}

void OptionsDialog::Button1Click() {
    if (!pathPlaceholder && isFullPath(Edit1.text())) {
        m_grid.setCell(store::ScheduleRow::kFile, m_grid.row(), Edit1.text());
    }
}

void OptionsDialog::CheckBox2Click() {
    m_config.setEntry(SystemConfig::kPlayOrder, text::decimalText(RG1.itemIndex()));
    m_services.saveConfiguration();
}

void OptionsDialog::moveRow(int step) {
    const int last = m_grid.table().rowCount() - 1;
    const int target = m_grid.row() + step;
    if (target >= 1 && target <= last) {
        m_grid.select(m_grid.col(), target);
    }
    // Each button stops at its end of the table; the other one leads back.
    const int row = m_grid.row();
    (step < 0 ? previousRow : nextRow).setEnabled(step < 0 ? row > 1 : row < last);
    (step < 0 ? nextRow : previousRow).setEnabled(true);
}

void OptionsDialog::CheckBox1Click() {
    const bool off = CheckBox1.checked();
    m_config.setEntry(SystemConfig::kCustomShutdownDisabled, off ? "1" : "0");
    for (model::Control* c :
         std::initializer_list<model::Control*>{&MaskEdit1, &MaskEdit2, &Button2}) {
        c->setEnabled(!off);
    }
    m_services.saveConfiguration();
}

void OptionsDialog::Button3Click() {
    const std::optional<std::string> one = storedTime(MaskEdit1.text());
    const std::optional<std::string> two = storedTime(MaskEdit2.text());
    if (!one || !two) {
        m_services.host.messageBox("时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！",
                                   "错误信息", MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    MaskEdit1.setText(*one);
    MaskEdit2.setText(*two);
    m_config.setEntry(SystemConfig::kShutdownTimeOne, *one);
    m_config.setEntry(SystemConfig::kShutdownTimeTwo, *two);
    m_services.saveConfiguration();
}

void OptionsDialog::Button4Click() {
    if (CheckBox3.checked()) {
        m_config.setEntry(SystemConfig::kEndOfDayAction, text::decimalText(RG2.itemIndex()));
        m_services.saveConfiguration();
    }
}

void OptionsDialog::Button5Click() {
    m_config.setEntry(SystemConfig::kPasswordMode, text::decimalText(RG3.itemIndex()));
    m_services.saveConfiguration();
}

void OptionsDialog::Button6Click() {
    showPlaceholder();
    endModal(model::ModalResult::Closed);
}

}  // namespace orvessa::editing

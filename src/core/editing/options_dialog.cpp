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
    playOrderGroup.setItemIndex(config.defaultPlayOrder());
    firstShutdownField.setText(config.entry(SystemConfig::kShutdownTimeOne));
    secondShutdownField.setText(config.entry(SystemConfig::kShutdownTimeTwo));
    const std::string& disabled = config.entry(SystemConfig::kCustomShutdownDisabled);
    shutdownOffBox.setChecked(disabled == "1");
    for (model::Control* c : std::initializer_list<model::Control*>{
             &firstShutdownField, &secondShutdownField, &resetShutdownButton}) {
        c->setEnabled(disabled == "0");
    }
    endActionGroup.setItemIndex(config.endOfDayAction());
    accessGroup.setItemIndex(config.passwordModeIndex());
    // The tree starts at the program directory; that first change keeps the placeholder.
    treeFolder = text::utf8Path(m_services.programDirectory);
    // Pointing the tree there is its first folder change: "确 定(&O)" starts enabled, though the
    // placeholder names no item for it to take.
    showPlaceholder();

    // Whoever changes a live choice (the operator, the player's volume), it takes effect at once.
    updateSettings();
    for (model::Control* c : std::initializer_list<model::Control*>{
             &playOrderGroup, &endActionGroup, &shutdownOffBox, &volumeSlider}) {
        c->changed.connect([this] { updateSettings(); });
    }
    // Whether the PC powers off, and so whether it must power on again.
    for (model::Control* c :
         std::initializer_list<model::Control*>{&endActionGroup, &shutdownOffBox}) {
        c->changed.connect([this] { updateWake(); });
    }
    wakeMarginBox.setVisible(m_services.wake != nullptr);
    wakeLine.setVisible(m_services.wake != nullptr);
    if (m_services.wake != nullptr) {
        wakeMarginBox.setPosition(m_services.wake->margin());
        m_services.wake->changed.connect([this] { showWake(); });
        showWake();
    }
    wakeMarginBox.setHandler([this] { wakeMarginChanged(); });

    volumeSlider.setHandler([this] { volumeChanged(); });
    chooseFileButton.setHandler([this] { chooseFile(); });
    applyPathButton.setHandler([this] { applyPath(); });
    playOrderDefaultBox.setHandler([this] { playOrderDefaultChanged(); });
    previousRow.setHandler([this] { moveRow(-1); });
    nextRow.setHandler([this] { moveRow(1); });
    shutdownOffBox.setHandler([this] { shutdownOffChanged(); });
    resetShutdownButton.setHandler([this] {
        firstShutdownField.setText("00:00:00");
        secondShutdownField.setText("00:00:00");
    });
    saveShutdownButton.setHandler([this] { saveShutdownTimes(); });
    autostart.setVisible(m_services.unattendedStart != nullptr);
    if (m_services.unattendedStart != nullptr) {
        autostart.setChecked(m_services.unattendedStart->autostart());
    }
    autostart.setHandler([this] { autostartChanged(); });
    endActionOkButton.setHandler([this] { applyEndAction(); });
    accessOkButton.setHandler([this] { applyAccess(); });
    closeButton.setHandler([this] { closeDialog(); });
    if (m_services.consoleSecrets != nullptr) {
        m_consolePage = std::make_unique<ConsolePage>(ConsolePageServices{
            m_services.host, m_services.programDirectory, *m_services.consoleSecrets,
            m_services.consoleCertificates, m_services.fileSync});
    }
    m_alertsPage = std::make_unique<AlertsPage>(
        AlertsPageServices{m_services.host, m_services.programDirectory,
                           m_services.libraryDirectory, m_services.fileSync});

    // The output starts at the slider's volume, so that a row whose volume equals the
    // slider's position (and so changes nothing) still plays at that volume.
    const auto level = static_cast<uint16_t>(volumeSlider.position() * 256);
    m_services.output.setVolume(level, level);
}

std::vector<model::Command*> OptionsDialog::allCommands() {
    std::vector<model::Command*> all{
        &chooseFileButton, &applyPathButton,     &playOrderDefaultBox, &previousRow,
        &nextRow,          &shutdownOffBox,      &resetShutdownButton, &saveShutdownButton,
        &autostart,        &endActionDefaultBox, &endActionOkButton,   &accessOkButton,
        &closeButton};
    if (m_consolePage) {
        const std::vector<model::Command*> page = m_consolePage->commands();
        all.insert(all.end(), page.begin(), page.end());
    }
    const std::vector<model::Command*> alerts = m_alertsPage->commands();
    all.insert(all.end(), alerts.begin(), alerts.end());
    return all;
}

void OptionsDialog::updateSettings() {
    m_settings.randomOrder = playOrderGroup.itemIndex() == 1;
    m_settings.endOfDayAction = store::endOfDayActionOf(endActionGroup.itemIndex());
    m_settings.customShutdownOff = shutdownOffBox.checked();
    m_settings.volume = volumeSlider.position();
}

void OptionsDialog::prepareOpening(bool canMoveUp, bool canMoveDown) {
    previousRow.setEnabled(canMoveUp);
    nextRow.setEnabled(canMoveDown);
    // The entry may have been made or removed meanwhile, by the desktop's own settings.
    if (m_services.unattendedStart != nullptr) {
        autostart.setChecked(m_services.unattendedStart->autostart());
    }
    // So may the console's files, by its set-up command.
    if (m_consolePage) {
        m_consolePage->reload();
    }
    // And alerts.conf, by hand after the page refused to write over a damaged one.
    m_alertsPage->reload();
    // And the tables and the calendar, which decide the next wake time.
    updateWake();
}

void OptionsDialog::updateWake() {
    if (m_services.wake != nullptr) {
        m_services.wake->update();
    }
}

void OptionsDialog::showWake() {
    wakeLine.setColor(m_services.wake->warning() ? model::kRed : model::kBlack);
    wakeLine.setText(m_services.wake->line());
}

void OptionsDialog::wakeMarginChanged() {
    scheduler::WakeKeeper* wake = m_services.wake;
    if (wake == nullptr || wakeMarginBox.position() == wake->margin()) {
        return;
    }
    if (const std::string problem = wake->setMargin(wakeMarginBox.position()); !problem.empty()) {
        m_services.host.messageBox("定时开机的提前时间未能保存：\r\r" + problem, "错误信息",
                                   MessageIcon::Error, MessageButtons::Ok);
        wakeMarginBox.setPosition(wake->margin());
    }
}

void OptionsDialog::autostartChanged() {
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

void OptionsDialog::volumeChanged() {
    const int v = volumeSlider.position();
    const auto level = static_cast<uint16_t>(v * 256);
    m_services.output.setVolume(level, level);
    m_grid.setCell(store::ScheduleRow::kVolume, m_grid.row(), text::decimalText(v));
}

void OptionsDialog::folderChanged(const std::string& folder) {
    treeFolder = folder;
    applyPathButton.setEnabled(true);
    // A root stays as it is; every other folder ends in a separator, which marks the row as a
    // directory for the player.
    const bool root = folder.size() < 2 || (folder.size() < 4 && folder[1] == ':');
    pathPlaceholder = false;
    pathField.setColor(model::kBlack);
    pathField.setText(root ? folder : text::joinPath(folder, ""));
}

void OptionsDialog::pathTyped(const std::string& text) {
    pathPlaceholder = false;
    applyPathButton.setEnabled(true);
    pathField.setColor(model::kBlack);
    pathField.setText(text);
}

void OptionsDialog::showPlaceholder() {
    pathPlaceholder = true;
    pathField.setText("");
    pathField.setColor(model::rgb(192, 192, 192));
}

void OptionsDialog::chooseFile() {
    applyPathButton.setEnabled(true);
    pathPlaceholder = false;
    pathField.setColor(model::kBlack);
    pathField.setText("");
    if (const auto file = m_services.host.openFileDialog("*", treeFolder)) {
        pathField.setText(*file);
    }
}

void OptionsDialog::applyPath() {
    if (!pathPlaceholder && isFullPath(pathField.text())) {
        m_grid.setCell(store::ScheduleRow::kFile, m_grid.row(), pathField.text());
    }
}

void OptionsDialog::playOrderDefaultChanged() {
    m_config.setEntry(SystemConfig::kPlayOrder, text::decimalText(playOrderGroup.itemIndex()));
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

void OptionsDialog::shutdownOffChanged() {
    const bool off = shutdownOffBox.checked();
    m_config.setEntry(SystemConfig::kCustomShutdownDisabled, off ? "1" : "0");
    for (model::Control* c : std::initializer_list<model::Control*>{
             &firstShutdownField, &secondShutdownField, &resetShutdownButton}) {
        c->setEnabled(!off);
    }
    m_services.saveConfiguration();
}

void OptionsDialog::saveShutdownTimes() {
    const std::optional<std::string> one = storedTime(firstShutdownField.text());
    const std::optional<std::string> two = storedTime(secondShutdownField.text());
    if (!one || !two) {
        m_services.host.messageBox("时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！",
                                   "错误信息", MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    firstShutdownField.setText(*one);
    secondShutdownField.setText(*two);
    m_config.setEntry(SystemConfig::kShutdownTimeOne, *one);
    m_config.setEntry(SystemConfig::kShutdownTimeTwo, *two);
    m_services.saveConfiguration();
    updateWake();
}

void OptionsDialog::applyEndAction() {
    if (endActionDefaultBox.checked()) {
        m_config.setEntry(SystemConfig::kEndOfDayAction,
                          text::decimalText(endActionGroup.itemIndex()));
        m_services.saveConfiguration();
        // A stop day powers off by the stored choice.
        updateWake();
    }
}

void OptionsDialog::applyAccess() {
    m_config.setEntry(SystemConfig::kPasswordMode, text::decimalText(accessGroup.itemIndex()));
    m_services.saveConfiguration();
}

void OptionsDialog::closeDialog() {
    showPlaceholder();
    endModal(model::ModalResult::Closed);
}

}  // namespace orvessa::editing

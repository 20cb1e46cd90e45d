#include "core/editing/alerts_page.h"

#include "core/text/numbers.h"
#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

using platform::MessageButtons;
using platform::MessageIcon;

AlertsPage::AlertsPage(AlertsPageServices services)
    : m_services(std::move(services)), m_file(m_services.programDirectory, m_services.fileSync) {
    chooseAlarmButton.setHandler([this] { chooseAlarm(); });
    chooseNoticeFolderButton.setHandler([this] { chooseNoticeFolder(); });
    saveButton.setHandler([this] { save(); });
    reload();
}

std::vector<model::Command*> AlertsPage::commands() {
    return {&chooseAlarmButton, &chooseNoticeFolderButton, &saveButton};
}

void AlertsPage::reload() {
    const bool read = m_file.load();
    std::string text;
    if (!read) {
        text = m_file.error();
    }
    for (const std::string& p : m_file.problems()) {
        text += (text.empty() ? "" : "\n") + std::string(alerts::AlertSettingsFile::kFileName) +
                " " + p;
    }
    // Saving would drop what the bad lines meant: the operator corrects the file first.
    m_writable = read && m_file.problems().empty();
    if (!m_writable) {
        text += "\n请先改正或删除该文件，再在这里修改设置。";
    }
    problemText.setText(text);
    problemText.setVisible(!text.empty());

    const alerts::AlertSettings& s = m_file.settings();
    alarmFileField.setText(s.alarmFile);
    alarmVolumeField.setText(text::decimalText(s.alarmVolume));
    messageField.setText(s.message);
    keyField.setText(s.key);
    noticeFolderField.setText(s.noticeFolder);
    noticeVolumeField.setText(text::decimalText(s.noticeVolume));
    for (model::Control* c : std::initializer_list<model::Control*>{
             &alarmFileField, &chooseAlarmButton, &alarmVolumeField, &messageField, &keyField,
             &noticeFolderField, &chooseNoticeFolderButton, &noticeVolumeField, &saveButton}) {
        c->setEnabled(m_writable);
    }
}

std::string AlertsPage::libraryDirectory() const {
    if (m_services.libraryDirectory) {
        return m_services.libraryDirectory();
    }
    return text::utf8Path(m_services.programDirectory);
}

std::string AlertsPage::libraryRelative(const std::string& chosen) const {
    const std::filesystem::path library = text::fsPath(libraryDirectory()).lexically_normal();
    const std::filesystem::path path = text::fsPath(chosen).lexically_normal();
    const std::filesystem::path relative = path.lexically_relative(library);
    if (relative.empty() || *relative.begin() == "..") {
        return chosen;
    }
    // The library itself: "." would read as the current directory.
    return relative == "." ? text::utf8Path(library) : text::utf8Path(relative);
}

void AlertsPage::chooseAlarm() {
    const std::string current = text::trimText(alarmFileField.text());
    const std::string start =
        current.empty()
            ? libraryDirectory()
            : text::utf8Path(
                  text::fsPath(text::resolvePath(libraryDirectory(), current)).parent_path());
    if (const auto file = m_services.host.openFileDialog("*", start)) {
        alarmFileField.setText(libraryRelative(*file));
    }
}

void AlertsPage::chooseNoticeFolder() {
    const std::string current = text::trimText(noticeFolderField.text());
    const std::string start =
        current.empty() ? libraryDirectory() : text::resolvePath(libraryDirectory(), current);
    if (const auto folder = m_services.host.openFolderDialog(start)) {
        noticeFolderField.setText(libraryRelative(*folder));
    }
}

void AlertsPage::error(const std::string& text) {
    m_services.host.messageBox(text + "。\r\r设置没有保存。", "错误信息", MessageIcon::Error,
                               MessageButtons::Ok);
}

void AlertsPage::save() {
    if (!m_writable) {
        return;
    }
    alerts::AlertSettings s;
    s.alarmFile = text::trimText(alarmFileField.text());
    if (const std::string why =
            alerts::parseVolume(text::trimText(alarmVolumeField.text()), s.alarmVolume);
        !why.empty()) {
        error("警报音量有误：" + why);
        return;
    }
    s.message = text::trimText(messageField.text());
    if (const std::string why = alerts::checkMessage(s.message); !why.empty()) {
        error("紧急消息有误：" + why);
        return;
    }
    s.key = text::trimText(keyField.text());
    if (const std::string why = alerts::checkKey(s.key); !why.empty()) {
        error("全局热键有误：" + why);
        return;
    }
    s.noticeFolder = text::trimText(noticeFolderField.text());
    if (s.noticeFolder.empty()) {
        error("通知文件夹有误：不能为空");
        return;
    }
    if (const std::string why =
            alerts::parseVolume(text::trimText(noticeVolumeField.text()), s.noticeVolume);
        !why.empty()) {
        error("通知音量有误：" + why);
        return;
    }
    m_file.set(s);
    if (const store::WriteResult written = m_file.save(); !written) {
        m_services.host.messageBox("紧急广播设置未能保存：\r\r" + written.error, "错误信息",
                                   MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    // The fields show what was written, trimmed.
    reload();
    alertSettingsChanged.send();
}

}  // namespace orvessa::editing

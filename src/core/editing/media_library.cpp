#include "core/editing/media_library.h"

#include <filesystem>

#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::editing {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using store::SystemConfig;

MediaLibrary::MediaLibrary(model::ListBox& libraryList, model::Grid& grid,
                           model::Command& mediaLibraryItem, store::SystemConfig& config,
                           bool& unlocked, playback::PlaybackState& playback, platform::Host& host,
                           LibraryActions actions)
    : m_list(libraryList),
      m_grid(grid),
      m_config(config),
      m_unlocked(unlocked),
      m_playback(playback),
      m_host(host),
      m_actions(std::move(actions)) {
    mediaLibraryItem.setHandler([this] { changeLibrary(); });
    m_list.doubleClicked.connect([this] { takeEntry(); });
}

void MediaLibrary::changeLibrary() {
    const MessageAnswer answer = m_host.messageBox(
        "  库路径修改后所有作息时间表中的   \r\r纯文件名前都要补全原库路径，系统   "
        "\r\r才能正常工作！继"
        "续吗？\r\r  [当前库为:" +
            m_config.entry(SystemConfig::kMediaLibrary),
        "系统警告", MessageIcon::Warning, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes) {
        const bool wasUnlocked = m_unlocked;
        m_unlocked = false;
        if (m_actions.askPassword()) {
            m_config.setEntry(SystemConfig::kMediaLibrary, "");
            m_actions.saveConfiguration();
            m_actions.activate();
            // The list shows the library that bare names now read from.
            refresh();
        } else {
            // Only the change is refused: the lock stays as the window's commands show it, or
            // quit would ask for a password that nothing else asks for.
            m_unlocked = wasUnlocked;
        }
    }
    if (m_config.entry(SystemConfig::kPasswordMode) == "1") {
        m_unlocked = true;
    }
}

void MediaLibrary::takeEntry() {
    const int index = m_list.itemIndex();
    if (index < 0 || index >= static_cast<int>(m_list.items().size())) {
        return;
    }
    const std::string& name = m_list.items()[static_cast<std::size_t>(index)];
    // The table file would hold "?" in its place, and the row would never find the file.
    if (!text::gbkCanHold(name)) {
        m_host.messageBox("文件 “" + name + "” 的名称中有作息时间表文件无法保存的字符，不能填入第" +
                              text::decimalText(m_playback.currentRow) +
                              "行！\r\r请先给该文件改名（例如去掉其中的表情符号或生僻字）。",
                          "错误信息", MessageIcon::Warning, MessageButtons::Ok);
        return;
    }
    m_grid.setCell(store::ScheduleRow::kFile, m_playback.currentRow, name);
}

void MediaLibrary::refresh() {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(
        text::fsPath(text::toNativePath(m_actions.libraryDirectory())), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        const std::string name = text::utf8Path(it->path().filename());
        if (it->is_directory(typeError) || text::isHiddenName(name)) {
            continue;
        }
        names.push_back(name);
    }
    text::sortAsListed(names);
    m_list.setItems(std::move(names));
}

bool MediaLibrary::checkFolder(model::TextLine& hintLine, platform::FailureRecord* failures) const {
    if (m_config.entry(SystemConfig::kMediaLibrary).empty()) {
        return true;
    }
    const std::string folder = m_actions.libraryDirectory();
    std::string native = text::toNativePath(folder);
    // "folder/" of a plain file reads as missing; without the separator it reads as the file.
    while (native.size() > 1 && text::endsWithSeparator(native)) {
        native.pop_back();
    }
    const std::filesystem::path path = text::fsPath(native);
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    std::string why;
    std::string reason;
    if (status.type() == std::filesystem::file_type::not_found) {
        why = "不存在";
        reason = "does not exist";
    } else if (status.type() != std::filesystem::file_type::directory) {
        why = "不是文件夹";
        reason = "is not a folder";
    } else if (std::filesystem::directory_iterator(path, ec); ec) {
        why = "无法打开";
        reason = "cannot be listed: " + ec.message();
    } else {
        return true;
    }
    // The reason first: a long path is what the status line may cut off.
    const std::string message =
        "  ☆ 我的影音库" + why + "，只写文件名的项目都将找不到文件：" + folder;
    const bool warningShown = hintLine.color() == model::kRed && !hintLine.text().empty();
    hintLine.setColor(model::kRed);
    hintLine.setText(warningShown ? hintLine.text() + message : message);
    platform::recordFailure(failures, {"media library not usable", folder + " " + reason});
    return false;
}

}  // namespace orvessa::editing

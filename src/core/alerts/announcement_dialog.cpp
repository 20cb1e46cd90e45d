#include "core/alerts/announcement_dialog.h"

namespace orvessa::alerts {

AnnouncementDialog::AnnouncementDialog() : Window("announcementDialog", "插播通知") {
    playButton.setHandler([this] {
        if (!chosen().empty()) {
            endModal(model::ModalResult::Accepted);
        }
    });
    cancelButton.setHandler([this] { endModal(model::ModalResult::Closed); });
    noticeList.doubleClicked.connect([this] { playButton.click(); });
}

void AnnouncementDialog::prepare(const std::string& folder, std::vector<std::string> notices) {
    folderLine.setText("通知文件夹：" + folder);
    const bool any = !notices.empty();
    noticeList.setItems(std::move(notices));
    noticeList.setItemIndex(any ? 0 : -1);
    playButton.setEnabled(any);
}

std::string AnnouncementDialog::chosen() const {
    const int i = noticeList.itemIndex();
    const std::vector<std::string>& items = noticeList.items();
    return i >= 0 && i < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(i)]
                                                        : std::string();
}

}  // namespace orvessa::alerts

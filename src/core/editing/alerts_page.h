#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/alerts/alert_settings.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/signal.h"
#include "core/platform/host.h"
#include "core/store/file_io.h"

namespace orvessa::editing {

// What the emergency's page works with.
struct AlertsPageServices {
    platform::Host& host;
    std::filesystem::path programDirectory;
    // The media library, which relative alarm files and notice folders are read from; the
    // program directory when not given.
    std::function<std::string()> libraryDirectory = {};
    store::FileSync* fileSync = nullptr;
};

// The options dialog's page of the emergency and the notices (alerts.conf): the alarm and its
// volume, the message, the global key, the notices' folder and their volume. Written when
// "确定(&O)" is pressed, and only when every value is a good one.
class AlertsPage {
public:
    static constexpr const char* kTitle = "紧急广播";
    // What an empty alarm file means, shown in the empty field.
    static constexpr const char* kBuiltInSiren = "内置警报声";
    // What an empty key means.
    static constexpr const char* kNoKey = "无";
    static constexpr const char* kNote = "按“确定”保存后，新的设置在下一次紧急广播或插播时生效。";

    explicit AlertsPage(AlertsPageServices services);
    AlertsPage(const AlertsPage&) = delete;
    AlertsPage& operator=(const AlertsPage&) = delete;

    model::TextControl alarmFileField{"alarmFileField"};
    model::Command chooseAlarmButton{"chooseAlarmButton", model::CommandKind::Button,
                                     "浏览(&B)..."};
    model::TextControl alarmVolumeField{"alarmVolumeField"};
    model::TextControl messageField{"emergencyMessageField"};
    model::TextControl keyField{"emergencyKeyField"};
    model::TextControl noticeFolderField{"noticeFolderField"};
    model::Command chooseNoticeFolderButton{"chooseNoticeFolderButton", model::CommandKind::Button,
                                            "浏览(&W)..."};
    model::TextControl noticeVolumeField{"noticeVolumeField"};
    model::TextControl note{"alertsNote", kNote};
    // What was wrong in the file as read; empty and hidden when nothing.
    model::TextControl problemText{"alertsProblemText", {}, model::kRed};
    model::Command saveButton{"alertsSaveButton", model::CommandKind::Button, "确定(&O)"};

    // Sent once after each save that wrote the file.
    model::Signal<> alertSettingsChanged;

    // Reads the file again and shows it.
    void reload();

    std::vector<model::Command*> commands();

private:
    void chooseAlarm();
    void chooseNoticeFolder();
    void save();
    // The library's folder, ending in no separator.
    std::string libraryDirectory() const;
    // `chosen` relative to the library when it lies inside it, else as it is.
    std::string libraryRelative(const std::string& chosen) const;
    void error(const std::string& text);

    AlertsPageServices m_services;
    alerts::AlertSettingsFile m_file;
    // False when the file as read is not to be written over: unreadable, or with bad lines.
    bool m_writable = false;
};

}  // namespace orvessa::editing

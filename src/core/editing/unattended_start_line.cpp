#include "core/editing/unattended_start_line.h"

namespace orvessa::editing {

std::string unattendedStartWarning(bool autostart, bool autoLogin) {
    if (!autostart && !autoLogin) {
        return "断电或关机后本系统不会自动恢复播出：未设开机自动启动（选项→定时关机），"
               "也未设自动登录（见说明书“无人值守”）。";
    }
    if (!autostart) {
        return "未设开机自动启动（选项→定时关机）：电脑重新开机后本系统不会自动运行。";
    }
    if (!autoLogin) {
        return "未设自动登录（见说明书“无人值守”）：电脑重新开机后停在登录界面，"
               "开机自动启动不起作用。";
    }
    return {};
}

void showUnattendedStart(model::TextControl& line, const platform::UnattendedStart& start) {
    line.setText(unattendedStartWarning(start.autostart(), start.autoLogin()));
    line.setVisible(!line.text().empty());
}

}  // namespace orvessa::editing

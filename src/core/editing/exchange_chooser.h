#pragma once

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/window.h"

namespace orvessa::editing {

// The chooser of import and export: the seven weekday tables and the five templates, and a way
// out to any file on disk. Its handlers belong to the table exchange.
class ExchangeChooser : public model::Window {
public:
    static constexpr int kChoices = 12;
    static constexpr int kFirstTemplate = 7;

    ExchangeChooser() : Window("exchangeChooser", "选择") {
        tableChoices.setColumns(3);
        tableChoices.setItemIndex(kFirstTemplate);
    }

    model::RadioGroup tableChoices{"tableChoices",
                                   " 播放日或模板 ",
                                   {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六",
                                    "星期日", "模板一", "模板二", "模板三", "模板四", "模板五"}};
    // Its caption is the command's: "导入(&O)" or "导出(&O)".
    model::Command okButton{"okButton", model::CommandKind::Button, "确定(&O)"};
    model::Command diskFileButton{"diskFileButton", model::CommandKind::Button, "磁盘文件"};

    std::vector<model::Command*> allCommands() override { return {&okButton, &diskFileButton}; }
};

}  // namespace orvessa::editing

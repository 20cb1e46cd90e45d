#pragma once

#include <string>
#include <vector>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/window.h"

namespace orvessa::alerts {

// The notices to choose one from: the files of the notices folder, and the button that plays the
// chosen one.
class AnnouncementDialog : public model::Window {
public:
    AnnouncementDialog();

    model::TextControl folderLine{"folderLine"};
    model::ListBox noticeList{"noticeList"};
    model::Command playButton{"playButton", model::CommandKind::Button, "插播(&P)"};
    model::Command cancelButton{"cancelButton", model::CommandKind::Button, "取消"};
    std::vector<model::Command*> allCommands() override { return {&playButton, &cancelButton}; }

    // Lists `notices` of `folder`, the first chosen.
    void prepare(const std::string& folder, std::vector<std::string> notices);
    // The notice chosen when the dialog was accepted; empty for none.
    std::string chosen() const;
};

}  // namespace orvessa::alerts

#pragma once

#include <string>
#include <vector>

#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/window.h"

namespace orvessa::editing {

// The default directory dialog: a folder tree whose double-clicked folder becomes the chosen
// directory, always ending in a separator.
class DirectoryDialog : public model::Window {
public:
    // The tree starts at `initialFolder` (the program directory's AUDIO folder).
    explicit DirectoryDialog(const std::string& initialFolder);

    model::TextControl directoryField{"directoryField"};  // shows the chosen directory
    model::TextControl instructionLine{"instructionLine", "请双击相          应目录名"};
    model::Command okButton{"okButton", model::CommandKind::Button, "确定(&O)"};

    std::string chosenDirectory;
    std::string treeFolder;
    // The operator double-clicked a folder in the tree (or picked a root).
    void folderChanged(const std::string& folder);

    std::vector<model::Command*> allCommands() override { return {&okButton}; }
};

}  // namespace orvessa::editing

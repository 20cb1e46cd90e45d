#include "core/editing/directory_dialog.h"

#include "core/text/paths.h"

namespace orvessa::editing {

DirectoryDialog::DirectoryDialog(const std::string& initialFolder)
    : Window("DirectoryDialog", "设置系统默认目录") {
    folderChanged(initialFolder);
    okButton.setHandler([this] { endModal(model::ModalResult::Accepted); });
}

void DirectoryDialog::folderChanged(const std::string& folder) {
    treeFolder = folder;
    const bool root = folder.size() < 2 || (folder.size() < 4 && folder[1] == ':');
    chosenDirectory =
        root || text::endsWithSeparator(folder) ? folder : folder + text::nativeSeparator();
    directoryField.setText(chosenDirectory);
}

}  // namespace orvessa::editing

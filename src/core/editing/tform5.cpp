#include "core/editing/tform5.h"

#include "core/text/paths.h"

namespace orvessa::editing {

TForm5::TForm5(const std::string& initialFolder) : Window("Form5", "设置系统默认目录") {
    folderChanged(initialFolder);
    Button1.setHandler([this] { endModal(model::ModalResult::Accepted); });
}

void TForm5::folderChanged(const std::string& folder) {
    treeFolder = folder;
    const bool root = folder.size() < 2 || (folder.size() < 4 && folder[1] == ':');
    chosenDirectory =
        root || text::endsWithSeparator(folder) ? folder : folder + text::nativeSeparator();
    Edit1.setText(chosenDirectory);
}

}  // namespace orvessa::editing

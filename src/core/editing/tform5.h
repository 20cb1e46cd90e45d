#pragma once

#include <string>

#include "core/model/window.h"

namespace orvessa::editing {

// The default directory dialog. Its chosen directory starts as the program directory's AUDIO
// folder and always ends in a separator.
class TForm5 : public model::Window {
public:
    explicit TForm5(std::string initialDirectory)
        : Window("Form5", "设置系统默认目录"), chosenDirectory(std::move(initialDirectory)) {}

    std::string chosenDirectory;
};

}  // namespace orvessa::editing

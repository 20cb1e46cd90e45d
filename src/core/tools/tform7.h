#pragma once

#include "core/model/window.h"

namespace orvessa::tools {

// The subtitle settings dialog.
class TForm7 : public model::Window {
public:
    TForm7() : Window("Form7", "字幕设置") {}
};

}  // namespace orvessa::tools

#pragma once

#include "core/model/window.h"

namespace orvessa::editing {

// The options dialog.
class TForm4 : public model::Window {
public:
    TForm4() : Window("Form4", "选项") {}
};

}  // namespace orvessa::editing

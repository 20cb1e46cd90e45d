#pragma once

#include "core/model/window.h"

namespace orvessa::editing {

// The chooser of import and export.
class Tdaori5 : public model::Window {
public:
    Tdaori5() : Window("daori5", "选择") {}
};

}  // namespace orvessa::editing

#pragma once

#include "core/model/window.h"

namespace orvessa::editing {

// The operator password dialog.
class TForm2 : public model::Window {
public:
    TForm2() : Window("Form2", "操作员资格论证") {}
};

}  // namespace orvessa::editing

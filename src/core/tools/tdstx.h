#pragma once

#include "core/model/window.h"

namespace orvessa::tools {

// The sound recorder.
class Tdstx : public model::Window {
public:
    Tdstx() : Window("dstx", "录音") {}
};

}  // namespace orvessa::tools

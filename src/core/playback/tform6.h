#pragma once

#include "core/model/window.h"

namespace orvessa::playback {

// The full-screen video and web window.
class TForm6 : public model::Window {
public:
    TForm6() : Window("Form6", "Orvessa --- 视频播放") {}
};

}  // namespace orvessa::playback

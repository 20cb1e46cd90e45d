#pragma once

#include <functional>

#include "core/model/choice_controls.h"
#include "core/model/track_bar.h"
#include "core/model/window.h"
#include "core/platform/media_device.h"
#include "core/store/system_config.h"

namespace orvessa::model {
class Grid;
}

namespace orvessa::editing {

// The options dialog. Its volume slider and play-order choice are live settings that the
// item player reads and sets while the system runs.
class TForm4 : public model::Window {
public:
    static constexpr int kDefaultVolume = 200;

    TForm4(const store::SystemConfig& config, model::Grid& grid, platform::AudioOutput& output);

    // "初始音量": 0..255. A change sets the output volume and the selected row's volume cell.
    model::TrackBar TrackBar1{"TrackBar1", 0, 255, kDefaultVolume};
    // "目录播放方式": 0 sequential, 1 random.
    model::RadioGroup RG1{"RG1", "目录播放方式", {"顺序播放", "随机播放"}};

    bool randomOrder() const { return RG1.itemIndex() == 1; }

private:
    void TrackBar1Change();

    model::Grid& m_grid;
    platform::AudioOutput& m_output;
};

}  // namespace orvessa::editing

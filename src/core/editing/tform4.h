#pragma once

#include <functional>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
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
    // "定时关机": the two custom daily shutdown times and the box that switches them off.
    model::TextControl MaskEdit1{"MaskEdit1"};
    model::TextControl MaskEdit2{"MaskEdit2"};
    model::Command CheckBox1{"CheckBox1", model::CommandKind::CheckBox, "屏蔽该功能"};
    // "结束方式": what follows the last item of the day.
    model::RadioGroup RG2{"RG2",
                          " 所有项目播完后 ",
                          {"1分钟自动关机", "关闭本系统 返回WINDOWS", "回到第一项重播", "等待"}};
    // "权限论证".
    model::RadioGroup RG3{
        "RG3", "  权限论证  ", {"操作员要经过权限论证才能进入", "任何人都可以直接操作"}};

    bool randomOrder() const { return RG1.itemIndex() == 1; }
    // The live end-of-day choice, 0..3.
    int endOfDayAction() const { return RG2.itemIndex(); }
    bool customTimesDisabled() const { return CheckBox1.checked(); }

private:
    void TrackBar1Change();

    model::Grid& m_grid;
    platform::AudioOutput& m_output;
};

}  // namespace orvessa::editing

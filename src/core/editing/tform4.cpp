#include "core/editing/tform4.h"

#include "core/model/grid.h"
#include "core/text/numbers.h"

namespace orvessa::editing {

TForm4::TForm4(const store::SystemConfig& config, model::Grid& grid, platform::AudioOutput& output)
    : Window("Form4", "选项"), m_grid(grid), m_output(output) {
    using store::SystemConfig;
    RG1.setItemIndex(config.defaultPlayOrder());
    MaskEdit1.setText(config.entry(SystemConfig::kShutdownTimeOne));
    MaskEdit2.setText(config.entry(SystemConfig::kShutdownTimeTwo));
    const bool disabled = config.entry(SystemConfig::kCustomShutdownDisabled) == "1";
    CheckBox1.setChecked(disabled);
    const bool editable = config.entry(SystemConfig::kCustomShutdownDisabled) == "0";
    MaskEdit1.setEnabled(editable);
    MaskEdit2.setEnabled(editable);
    RG2.setItemIndex(config.endOfDayAction());
    RG3.setItemIndex(config.anyoneMayOperate() ? 1 : 0);
    TrackBar1.setHandler([this] { TrackBar1Change(); });
    // The output starts at the slider's volume, so that a row whose volume equals the
    // slider's position (and so changes nothing) still plays at that volume.
    const auto level = static_cast<uint16_t>(TrackBar1.position() * 256);
    m_output.setVolume(level, level);
}

void TForm4::TrackBar1Change() {
    const int v = TrackBar1.position();
    const auto level = static_cast<uint16_t>(v * 256);
    m_output.setVolume(level, level);
    m_grid.setCell(5, m_grid.row(), text::decimalText(v));
}

}  // namespace orvessa::editing

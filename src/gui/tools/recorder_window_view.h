#pragma once

#include <QDialog>
#include <memory>

#include "core/tools/recorder_window.h"

namespace orvessa::gui {

class TimerBinder;

// The sound recorder: the three format groups, the target file with its browse button, the
// four buttons, the status text and the blinking dot on its black square.
class RecorderWindowView : public QDialog {
public:
    explicit RecorderWindowView(tools::RecorderWindow& model, QWidget* parent = nullptr);
    ~RecorderWindowView() override;

private:
    tools::RecorderWindow& m_model;
    // The tick is this window's own timer.
    std::unique_ptr<TimerBinder> m_tick;
};

}  // namespace orvessa::gui

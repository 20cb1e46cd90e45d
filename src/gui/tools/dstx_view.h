#pragma once

#include <QDialog>
#include <memory>

#include "core/tools/tdstx.h"

namespace orvessa::gui {

class TimerBinder;

// The sound recorder: the three format groups, the target file with its browse button, the
// four buttons, the status text and the blinking dot on its black square.
class DstxView : public QDialog {
public:
    explicit DstxView(tools::Tdstx& model, QWidget* parent = nullptr);
    ~DstxView() override;

private:
    tools::Tdstx& m_model;
    // The tick is this window's own timer.
    std::unique_ptr<TimerBinder> m_tick;
};

}  // namespace orvessa::gui

#pragma once

#include <optional>

#include "core/platform/style_dialogs.h"

class QWidget;

namespace orvessa::gui {

// The font dialog the subtitle needs: face, size and styles as the toolkit offers them, and the
// font's colour, which the toolkit's own font dialog leaves out.
std::optional<platform::FontDescription> chooseFont(const platform::FontDescription& current,
                                                    QWidget* parent);

}  // namespace orvessa::gui

#pragma once

#include <string>

#include "core/model/control.h"
#include "core/platform/unattended_start.h"

namespace orvessa::editing {

// What keeps the system from coming back by itself after a power cut, in the operator's words:
// each of the autostart entry and the automatic login is needed, the one without the other
// does nothing. Empty when both are set up.
std::string unattendedStartWarning(bool autostart, bool autoLogin);

// Shows the warning in `line`, hidden while there is none.
void showUnattendedStart(model::TextControl& line, const platform::UnattendedStart& start);

}  // namespace orvessa::editing

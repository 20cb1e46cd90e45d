#pragma once

#include <string>
#include <system_error>

namespace orvessa::text {

// The system's reason for a failed file operation as the operator reads it in a message: the
// common reasons in Chinese with the system's own words after them ("磁盘已满（No space left on
// device）"), others in the system's words alone.
std::string systemErrorText(const std::error_code& error);
// The same for an errno value.
std::string systemErrorText(int errnoValue);

}  // namespace orvessa::text

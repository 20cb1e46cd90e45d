#pragma once

#include <string>

namespace orvessa::platform {

// One running instance per desktop session.
class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    // Claims the session for this process; false when another instance holds it. The claim
    // ends with the process, however it ends.
    virtual bool claim() = 0;
};

// The "screen saver running" flag, which keeps the system key chords away from the operator on
// platforms that honour it; elsewhere a no-op.
class ScreenSaverFlag {
public:
    virtual ~ScreenSaverFlag() = default;
    virtual void setRunning(bool running) = 0;
};

// The computer itself.
class Power {
public:
    virtual ~Power() = default;
    // "Windows 9x", "Windows NT", or empty on any other platform.
    virtual std::string platformFamily() const = 0;
    // Closes the running programs and powers the computer off, as the platform's own shutdown
    // does. The outcome is not reported: the program ends when the shutdown closes it.
    virtual void powerOff() = 0;
};

// The desktop's "open" verb for documents, programs and addresses.
class Shell {
public:
    virtual ~Shell() = default;
    // `target` is a file path (native form) or a web address; `workingDirectory` may be empty.
    // Returns whether the desktop accepted the request.
    virtual bool open(const std::string& target, const std::string& workingDirectory) = 0;
};

}  // namespace orvessa::platform

#pragma once

#include <string>

namespace orvessa::platform {

// What brings the system back by itself after a power cut: the login manager logging the user
// in without a password, and the desktop starting the program at that login.
class UnattendedStart {
public:
    virtual ~UnattendedStart() = default;
    // Whether the user's desktop starts this program when the user logs in.
    virtual bool autostart() const = 0;
    // Writes (`on`) or removes the entry that starts it. What went wrong, empty on success.
    virtual std::string setAutostart(bool on) = 0;
    // Whether the login manager logs this user in by itself when the PC starts.
    virtual bool autoLogin() const = 0;
};

}  // namespace orvessa::platform

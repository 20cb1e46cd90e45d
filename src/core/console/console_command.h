#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/console/certificate.h"
#include "core/console/secrets.h"
#include "core/store/file_sync.h"

namespace orvessa::console {

// Reads one line of password from whoever runs the command; empty when there is none.
using PasswordReader = std::function<std::optional<std::string>()>;

// What the set-up command needs from outside the core.
struct CommandServices {
    Secrets& secrets;
    PasswordReader readPassword;
    store::FileSync* sync = nullptr;
    // Make and read the console's own certificate; without them none is made or shown.
    Certificates* certificates = nullptr;
    HostNames* hostNames = nullptr;
};

// The console's set-up command: `arguments` are DIR and the command after it (enable, disable,
// status, user ..., token ...). Reports on `out`, errors on `errors`; returns the exit status:
// 0 on success, 1 when the command failed, 2 with the usage text for bad arguments. A command
// that fails writes no file.
int runConsoleCommand(const std::vector<std::string>& arguments, const CommandServices& services,
                      std::ostream& out, std::ostream& errors);

}  // namespace orvessa::console

#pragma once

#include <string>
#include <vector>

#include "core/platform/system_services.h"

namespace orvessa::fakes {

// Records every "open" request and opens nothing.
class RecordingShell : public platform::Shell {
public:
    struct Request {
        std::string target;
        std::string workingDirectory;
    };

    bool open(const std::string& target, const std::string& workingDirectory) override {
        requests.push_back(Request{target, workingDirectory});
        return accepts;
    }

    std::vector<Request> requests;
    bool accepts = true;  // what the desktop answers
};

}  // namespace orvessa::fakes

#pragma once

#include <chrono>

#include "core/console/certificate.h"

namespace orvessa::backends {

// This computer's names from the system: the host name, the canonical name the local resolver
// gives it (waited for at most `resolverWait`), "localhost", the loopback addresses and the
// addresses of the interfaces that are up, link-local IPv6 ones left out. No duplicates; names
// before addresses, each in the order the system lists them.
class LinuxHostNames : public console::HostNames {
public:
    explicit LinuxHostNames(std::chrono::milliseconds resolverWait = std::chrono::seconds(2))
        : m_resolverWait(resolverWait) {}

    std::vector<std::string> names() override;

private:
    std::chrono::milliseconds m_resolverWait;
};

}  // namespace orvessa::backends

#include "backends/linux/linux_host_names.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace orvessa::backends {
namespace {

void addOnce(std::vector<std::string>& list, const std::string& item) {
    if (!item.empty() && std::find(list.begin(), list.end(), item) == list.end()) {
        list.push_back(item);
    }
}

// The resolver may wait on a name server that does not answer; it is asked on a thread of its
// own, and a late answer is dropped.
std::string canonicalName(const std::string& host, std::chrono::milliseconds wait) {
    struct Answer {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::string name;
    };
    const auto answer = std::make_shared<Answer>();
    try {
        std::thread([answer, host] {
            addrinfo hints{};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            hints.ai_flags = AI_CANONNAME;
            addrinfo* found = nullptr;
            std::string name;
            if (getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0) {
                if (found != nullptr && found->ai_canonname != nullptr) {
                    name = found->ai_canonname;
                }
                freeaddrinfo(found);
            }
            const std::lock_guard lock(answer->mutex);
            answer->name = std::move(name);
            answer->finished = true;
            answer->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }
    std::unique_lock lock(answer->mutex);
    answer->done.wait_for(lock, wait, [&] { return answer->finished; });
    return answer->finished ? answer->name : std::string{};
}

std::string addressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET) {
        sockaddr_in v4{};
        std::memcpy(&v4, address, sizeof v4);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    } else if (address->sa_family == AF_INET6) {
        sockaddr_in6 v6{};
        std::memcpy(&v6, address, sizeof v6);
        // A link-local address means nothing without its interface, which no URL carries.
        if (IN6_IS_ADDR_LINKLOCAL(&v6.sin6_addr)) {
            return {};
        }
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    }
    return text;
}

}  // namespace

std::vector<std::string> LinuxHostNames::names() {
    std::vector<std::string> list;
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') {
        addOnce(list, host);
        const std::string full = canonicalName(host, m_resolverWait);
        if (full != "localhost") {
            addOnce(list, full);
        }
    }
    addOnce(list, "localhost");
    addOnce(list, "127.0.0.1");
    addOnce(list, "::1");
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) == 0) {
        for (const ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
            if (i->ifa_addr != nullptr && (i->ifa_flags & IFF_UP) != 0) {
                addOnce(list, addressText(i->ifa_addr));
            }
        }
        freeifaddrs(interfaces);
    }
    return list;
}

}  // namespace orvessa::backends

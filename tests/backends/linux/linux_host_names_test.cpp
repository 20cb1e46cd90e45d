#include "backends/linux/linux_host_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvessa::backends {
namespace {

TEST(LinuxHostNames, ListsNamesThenAddressesOnceEachWithTheLoopbackAlways) {
    LinuxHostNames hostNames(std::chrono::milliseconds(500));
    const std::vector<std::string> names = hostNames.names();
    ASSERT_FALSE(names.empty());
    for (const char* always : {"localhost", "127.0.0.1", "::1"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), always), names.end()) << always;
    }
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "no duplicates";
    for (const std::string& name : names) {
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find('%'), std::string::npos) << name;
        EXPECT_NE(name.rfind("fe80:", 0), 0u) << "no link-local address: " << name;
    }
    EXPECT_NE(names.front(), "127.0.0.1") << "the host's own name comes first";
    EXPECT_EQ(hostNames.names(), names) << "the order is stable";
}

}  // namespace
}  // namespace orvessa::backends

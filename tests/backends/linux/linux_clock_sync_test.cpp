#include "backends/linux/linux_clock_sync.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

using namespace std::chrono_literals;
using orvessa::testing::TempDir;

using ScopedEnv = orvessa::testing::ScopedEnv;

// A listening socket at `path` that accepts and then says nothing: a bus that never answers.
int listenAt(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 4) != 0) {
        ADD_FAILURE() << "cannot listen at " << path << ": " << std::strerror(errno);
    }
    return fd;
}

// A time service on a private connection, standing in for the system bus: it answers the
// client's Hello, and the time service's properties, among them one the probe has no use for.
class PeerTimeService {
public:
    PeerTimeService(const std::string& path, bool ntp, bool synchronised)
        : m_listener(listenAt(path)),
          m_ntp(ntp),
          m_synchronised(synchronised),
          m_thread([this] { serve(); }) {}
    ~PeerTimeService() {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }

private:
    static int hello(sd_bus_message* call, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(call, "s", ":1.7");
    }
    static int property(sd_bus*, const char*, const char*, const char* name, sd_bus_message* reply,
                        void* self, sd_bus_error*) {
        const auto& service = *static_cast<PeerTimeService*>(self);
        if (std::strcmp(name, "Timezone") == 0) {
            return sd_bus_message_append(reply, "s", "Asia/Shanghai");
        }
        const bool value = std::strcmp(name, "NTP") == 0 ? service.m_ntp : service.m_synchronised;
        return sd_bus_message_append(reply, "b", static_cast<int>(value));
    }

    void serve() {
        pollfd waiting{m_listener, POLLIN, 0};
        while (!m_stop && poll(&waiting, 1, 50) == 0) {
        }
        if (m_stop) {
            return;
        }
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        static const sd_bus_vtable busVtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Hello", "", "s", hello, 0),
            SD_BUS_VTABLE_END,
        };
        static const sd_bus_vtable timeVtable[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_PROPERTY("Timezone", "s", property, 0, 0),
            SD_BUS_PROPERTY("NTP", "b", property, 0, 0),
            SD_BUS_PROPERTY("NTPSynchronized", "b", property, 0, 0),
            SD_BUS_VTABLE_END,
        };
        sd_bus* bus = nullptr;
        sd_id128_t id;
        if (fd < 0 || sd_bus_new(&bus) < 0 || sd_bus_set_fd(bus, fd, fd) < 0 ||
            sd_id128_randomize(&id) < 0 || sd_bus_set_server(bus, 1, id) < 0 ||
            sd_bus_set_anonymous(bus, 1) < 0 ||
            sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                     busVtable, this) < 0 ||
            sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/timedate1",
                                     "org.freedesktop.timedate1", timeVtable, this) < 0 ||
            sd_bus_start(bus) < 0) {
            ADD_FAILURE() << "the peer time service did not start";
            sd_bus_unref(bus);
            return;
        }
        while (!m_stop) {
            const int processed = sd_bus_process(bus, nullptr);
            if (processed < 0) {
                break;  // the probe hung up
            }
            if (processed == 0) {
                sd_bus_wait(bus, 50000);
            }
        }
        sd_bus_close_unref(bus);
    }

    int m_listener;
    bool m_ntp;
    bool m_synchronised;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(LinuxClockSync, TheTestSettingStandsForTheKernelAndTheTimeService) {
    LinuxClockSync probe;
    {
        ScopedEnv simulated("ORVESSA_TEST_CLOCK_SYNC", "ntp-off");
        const platform::ClockSyncState state = probe.read();
        EXPECT_FALSE(state.synchronised);
        EXPECT_EQ(state.networkTimeOn, false);
    }
    {
        ScopedEnv simulated("ORVESSA_TEST_CLOCK_SYNC", "unsynchronised");
        const platform::ClockSyncState state = probe.read();
        EXPECT_FALSE(state.synchronised);
        EXPECT_EQ(state.networkTimeOn, true);
        EXPECT_EQ(state.networkTimeReached, false);
    }
    {
        ScopedEnv simulated("ORVESSA_TEST_CLOCK_SYNC", "synchronised");
        EXPECT_TRUE(probe.read().synchronised);
    }
    EXPECT_FALSE(simulatedClockSync("yes"));
}

TEST(LinuxClockSync, WithoutASystemBusOrWithOneThatNeverAnswersTheReadingGivesUp) {
    TempDir dir;
    {
        ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (dir / "absent").string());
        EXPECT_FALSE(readNetworkTime(LinuxClockSync::kBusTimeout));
        // The kernel's word alone, whatever the machine's clock is.
        const platform::ClockSyncState state = LinuxClockSync().read();
        EXPECT_FALSE(state.networkTimeOn);
    }
    const int silent = listenAt((dir / "silent").string());
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (dir / "silent").string());
    EXPECT_FALSE(readNetworkTime(LinuxClockSync::kBusTimeout));
    close(silent);
}

TEST(LinuxClockSync, TheTimeServiceTellsNetworkTimeOnFromReached) {
    TempDir dir;
    const std::string path = (dir / "bus").string();
    ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + path);
    {
        PeerTimeService service(path, true, false);
        // Generous: the other end is a thread that may be slow to be scheduled.
        const std::optional<NetworkTimeState> state = readNetworkTime(10s);
        ASSERT_TRUE(state);
        EXPECT_TRUE(state->on);
        EXPECT_FALSE(state->reached);
    }
    unlink(path.c_str());
    PeerTimeService service(path, false, true);
    const std::optional<NetworkTimeState> state = readNetworkTime(10s);
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->on);
    EXPECT_TRUE(state->reached);
}

}  // namespace
}  // namespace orvessa::backends

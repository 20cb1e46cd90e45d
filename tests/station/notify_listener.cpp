// notify_listener SOCKET SECONDS: binds a datagram socket at the path SOCKET, as systemd's
// $NOTIFY_SOCKET, and prints each message it receives for SECONDS as one line, preceded by the
// milliseconds since it started; line breaks inside a message become "|".

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: notify_listener SOCKET SECONDS\n");
        return 2;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, argv[1], sizeof address.sun_path - 1);
    unlink(argv[1]);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("notify_listener");
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(std::atoi(argv[2]));
    timeval wait{0, 200 * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
        const ssize_t n = recv(fd, buffer, sizeof buffer - 1, 0);
        if (n <= 0) {
            continue;
        }
        std::string message(buffer, static_cast<std::size_t>(n));
        for (char& c : message) {
            if (c == '\n') {
                c = '|';
            }
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        std::printf("%lld %s\n", static_cast<long long>(ms), message.c_str());
        std::fflush(stdout);
    }
    close(fd);
    unlink(argv[1]);
    return 0;
}

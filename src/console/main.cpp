#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "backends/linux/linux_file_sync.h"
#include "backends/linux/linux_host_names.h"
#include "backends/linux/openssl_certificates.h"
#include "backends/linux/sodium_secrets.h"
#include "core/console/console_command.h"

namespace {

// One line of standard input. Typed at a terminal, it is not echoed.
std::optional<std::string> readPasswordLine() {
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        std::cerr << "密码: " << std::flush;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::cerr << "\n";
    }
    if (!read && line.empty()) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    orvessa::backends::SodiumSecrets secrets;
    if (!secrets.ready()) {
        std::cerr << "orvessa-console: 无法初始化加密库\n";
        return 1;
    }
    orvessa::backends::LinuxFileSync sync;
    orvessa::backends::OpensslCertificates certificates;
    orvessa::backends::LinuxHostNames hostNames;
    const orvessa::console::CommandServices services{secrets, readPasswordLine, &sync,
                                                     &certificates, &hostNames};
    return orvessa::console::runConsoleCommand(std::vector<std::string>(argv + 1, argv + argc),
                                               services, std::cout, std::cerr);
}

// Starts the whole system (the real core on the tests' fake platform) on a program directory in
// which one file it reads is damaged, for every such file and every kind of damage: empty,
// truncated, binary, not GBK, one endless line, a sparse gigabyte, numbers out of range, a pipe,
// a device, a directory, a dangling link and a link loop. Each start runs in a child process of
// its own, followed by five minutes of the broadcast clock, and must neither crash nor hang. On an
// unattended PC a box before the clock runs is a day without bells until someone answers it, so
// start-up may ask only what the system cannot do without: the box of an orvessa.sys that is
// missing or cannot be read (which ends the program) and the first start's library question.
// Start-up must end with the clock or the stop-day ticker running, unless it ended the program.
// Afterwards every file must be as it was, apart from the media profile, which start-up writes.
//
// Usage: orvessa_damaged_files_bench
// Prints one line per case: what the operator was told (or that nothing was said), the time the
// start-up took, and OK, CRASH, HANG, BOX BEFORE THE CLOCK, CLOCK STOPPED or REWRITTEN. Exits
// non-zero unless every case is OK.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/desktop/orvessa_system.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "fakes/fake_platform.h"
#include "support/temp_dir.h"

using namespace orvessa;
namespace fs = std::filesystem;

namespace {

constexpr int kWatchdogSeconds = 30;
const platform::LocalDateTime kStart{2026, 12, 9, 7, 59, 0};  // a Wednesday
const std::string kTable = "zxsj3.log";

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string configText(const fs::path& dir) {
    std::vector<std::string> entries(27, "0");
    entries[2] = entries[3] = "  :  :  ";
    entries[5] = "3";
    entries[6] = "1";
    entries[11] = (dir / "AUDIO").string() + "/";
    entries[19] = "1";
    entries[26] = "1";
    std::string text;
    for (const std::string& e : entries) {
        text += e + "\r\n";
    }
    return text;
}

std::string tableText(const fs::path& dir) {
    return text::utf8ToGbk("1,8:00:00,早操,bell.wav,,,\r\n2,,接着,chime.wav,,,\r\n3,8:01:00,音乐," +
                           (dir / "AUDIO" / "many").string() + "/,8:02:00,,\r\n");
}

// A sound program directory, as every case starts from it.
void makeProgramDirectory(const fs::path& dir, const fs::path& manyFiles) {
    fs::create_directories(dir / "AUDIO");
    writeFile(dir / "AUDIO" / "bell.wav", "x");
    writeFile(dir / "AUDIO" / "chime.wav", "x");
    fs::create_directory_symlink(manyFiles, dir / "AUDIO" / "many");
    writeFile(dir / "orvessa.sys", configText(dir));
    writeFile(dir / kTable, tableText(dir));
    writeFile(dir / "zxsj0.gxr", text::utf8ToGbk("1,10-1,10-7,国庆,\r\n"));
    writeFile(dir / "fontinfo.ini", "[Font]\r\nName=Sans\r\nSize=20\r\n[Panel]\r\nColor=0\r\n");
    writeFile(dir / "win.ini", "[mci extensions]\r\ndat=MPEGVideo\r\n");
}

void sparse(const fs::path& path, std::string_view head, off_t size) {
    writeFile(path, head);
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0 || ftruncate(fd, size) != 0) {
        std::perror("sparse file");
        std::exit(2);
    }
    close(fd);
}

std::string randomBytes(std::size_t n) {
    std::mt19937 random(1);
    std::string out(n, '\0');
    for (char& c : out) {
        c = static_cast<char>(random());
    }
    return out;
}

// Ways to damage a file: each replaces `path` (whose sound content is `good`).
using Damage = std::function<void(const fs::path& path, const std::string& good)>;

std::vector<std::pair<std::string, Damage>> damages(const fs::path& outside) {
    return {
        {"empty", [](const fs::path& p, const std::string&) { writeFile(p, ""); }},
        {"truncated",
         [](const fs::path& p, const std::string& good) {
             writeFile(p, good.substr(0, good.size() / 2 + 1));
         }},
        {"binary", [](const fs::path& p, const std::string&) { writeFile(p, randomBytes(65536)); }},
        {"not GBK",
         [](const fs::path& p, const std::string&) {
             writeFile(p, std::string(3000, '\x81') + "\r\n\xFE\xFF\x80\x81\r\n");
         }},
        {"endless line",
         [](const fs::path& p, const std::string&) { writeFile(p, std::string(40 << 20, 'x')); }},
        {"sparse 1.5 GiB",
         [](const fs::path& p, const std::string& good) { sparse(p, good, off_t{3} << 29); }},
        {"numbers out of range",
         [](const fs::path& p, const std::string& good) {
             std::string bad = good;
             for (char& c : bad) {
                 if (c >= '0' && c <= '9') {
                     c = '9';
                 }
             }
             writeFile(p, "99999999999999999999\r\n-2147483649\r\n" + bad);
         }},
        {"pipe",
         [](const fs::path& p, const std::string&) {
             fs::remove(p);
             mkfifo(p.c_str(), 0600);
         }},
        {"device",
         [](const fs::path& p, const std::string&) {
             fs::remove(p);
             fs::create_symlink("/dev/zero", p);
         }},
        {"directory of many files",
         [outside](const fs::path& p, const std::string&) {
             fs::remove(p);
             fs::create_directory_symlink(outside, p);
         }},
        {"dangling link",
         [](const fs::path& p, const std::string&) {
             fs::remove(p);
             fs::create_symlink(p.parent_path() / "gone", p);
         }},
        {"link loop",
         [](const fs::path& p, const std::string&) {
             fs::remove(p);
             fs::create_symlink(p.filename(), p);
         }},
    };
}

// Every entry of the directory by name, with its bytes (or its kind when it is no file).
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::error_code ec;
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink(ec)) {
            files[name] = "link to " + fs::read_symlink(entry.path(), ec).string();
        } else if (entry.is_regular_file(ec)) {
            files[name] = std::to_string(entry.file_size(ec)) + ":" +
                          (entry.file_size(ec) < (64u << 20) ? contentOf(entry.path()) : "");
        } else {
            files[name] = "kind " + std::to_string(static_cast<int>(entry.status(ec).type()));
        }
    }
    return files;
}

// The child: starts the system and runs five minutes of the clock; reports on `out`.
[[noreturn]] void startSystem(const fs::path& dir, int out) {
    fakes::FakePlatform platform;
    platform.clock.set(kStart);
    platform.device.now = [&platform] { return scheduler::secondsOf(platform.clock.now()) * 1000; };
    platform.device.lengthMs = 5000;
    const auto began = std::chrono::steady_clock::now();
    std::unique_ptr<system::OrvessaSystem> system =
        system::OrvessaSystem::start(platform.services(dir));
    if (system) {
        system->mainWindow().setVisible(true);
        system->mainWindow().activate();
    }
    const double startMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
    // Every box so far stood between the start and the clock's first tick.
    bool boxBeforeClock = false;
    for (const auto& m : platform.host.messages) {
        boxBeforeClock = boxBeforeClock || !(m.text.starts_with("系统初始化错误！") ||
                                             m.text.starts_with("请设置音视频文件默认目录！"));
    }
    const bool ended = !system || platform.host.quitRequests != 0;
    const bool clockStopped = !ended && !system->mainWindow().broadcastTimer.running() &&
                              !system->mainWindow().stopDayTimer.running();
    double longestTickMs = 0;
    if (system && platform.host.quitRequests == 0) {
        ui::MainWindow& f = system->mainWindow();
        for (int s = 1; s <= 300; ++s) {
            platform.clock.set(scheduler::localDateTimeOf(scheduler::secondsOf(kStart) + s));
            const auto tickBegan = std::chrono::steady_clock::now();
            if (f.broadcastTimer.running()) {
                f.broadcastTimer.fire();
            }
            if (f.stopDayTimer.running()) {
                f.stopDayTimer.fire();
            }
            longestTickMs =
                std::max(longestTickMs, std::chrono::duration<double, std::milli>(
                                            std::chrono::steady_clock::now() - tickBegan)
                                            .count());
        }
    }
    bool asked = false;
    for (const auto& m : platform.host.messages) {
        asked = asked || m.buttons == platform::MessageButtons::YesNo;
    }
    // The first characters say whether the operator was asked a question, whether a box came
    // before the clock, and whether start-up left the clock stopped.
    std::string report = std::string(asked ? "?" : "-") + (boxBeforeClock ? "B" : "-") +
                         (clockStopped ? "S" : "-") + "start " +
                         std::to_string(static_cast<int>(startMs)) + " ms, longest tick " +
                         std::to_string(static_cast<int>(longestTickMs)) + " ms";
    for (const auto& m : platform.host.messages) {
        std::string text = m.text;
        for (char& c : text) {
            c = c == '\r' ? ' ' : c;
        }
        report += " | " + m.caption + ": " + text;
    }
    if (platform.host.messages.empty()) {
        report += " | nothing said";
    }
    (void)!write(out, report.data(), report.size());
    std::_Exit(0);
}

}  // namespace

int main() {
    testing::TempDir work;
    // The directory of many files: a folder row plays from it, and it stands in for a file.
    const fs::path many = work / "many";
    fs::create_directory(many);
    for (int i = 0; i < 30000; ++i) {
        writeFile(many / ("f" + std::to_string(i) + ".mp3"), "");
    }

    const std::vector<std::string> files = {"orvessa.sys", kTable, "zxsj0.gxr", "fontinfo.ini",
                                            "win.ini"};
    int failures = 0;
    int cases = 0;
    for (const std::string& file : files) {
        for (const auto& [damageName, damage] : damages(many)) {
            const fs::path dir = work / ("case" + std::to_string(cases++));
            makeProgramDirectory(dir, many);
            damage(dir / file, contentOf(dir / file));
            const auto before = snapshot(dir);

            int pipeFds[2];
            if (pipe(pipeFds) != 0) {
                return 2;
            }
            const pid_t child = fork();
            if (child == 0) {
                close(pipeFds[0]);
                alarm(kWatchdogSeconds);  // a hang ends the child with SIGALRM
                startSystem(dir, pipeFds[1]);
            }
            close(pipeFds[1]);
            std::string report;
            char buffer[4096];
            for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
                report.append(buffer, static_cast<std::size_t>(n));
            }
            close(pipeFds[0]);
            int status = 0;
            waitpid(child, &status, 0);

            // A question answered may lead to a save: the operator chose it.
            const bool asked = report.size() >= 3 && report[0] == '?';
            const bool boxBeforeClock = report.size() >= 3 && report[1] == 'B';
            const bool clockStopped = report.size() >= 3 && report[2] == 'S';
            report.erase(0, std::min<std::size_t>(3, report.size()));
            std::string verdict = "OK";
            if (WIFSIGNALED(status)) {
                verdict = WTERMSIG(status) == SIGALRM
                              ? "HANG"
                              : "CRASH (signal " + std::to_string(WTERMSIG(status)) + ")";
            } else if (WEXITSTATUS(status) != 0) {
                verdict = "CRASH (exit " + std::to_string(WEXITSTATUS(status)) + ")";
            } else if (boxBeforeClock) {
                verdict = "BOX BEFORE THE CLOCK";
            } else if (clockStopped) {
                verdict = "CLOCK STOPPED";
            } else {
                auto after = snapshot(dir);
                for (auto& [name, bytes] : after) {
                    const bool written = before.contains(name) && before.at(name) != bytes;
                    if (written && name == "orvessa.sys" && asked) {
                        verdict = "OK, saved after the operator's answer";
                    } else if (written && name != "win.ini") {
                        verdict = "REWRITTEN " + name;
                    }
                    if (!before.contains(name)) {
                        verdict = "NEW FILE " + name;
                    }
                }
            }
            if (!verdict.starts_with("OK")) {
                ++failures;
            }
            if (text::characterCount(report) > 100) {
                report = text::firstCharacters(report, 100) + "...";
            }
            std::cout << file << " / " << damageName << ": " << verdict << " (" << report << ")\n";
            std::error_code ec;
            fs::remove_all(dir, ec);
        }
    }
    std::cout << cases << " cases, " << failures << " not OK\n";
    return failures == 0 ? 0 : 1;
}

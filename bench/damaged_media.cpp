// The media device on damaged media: a row's file may be empty, cut short, random bytes under a
// media name, a gigabyte of nothing, a header that lies about its sizes. Each case opens,
// plays and watches the file as the clock does (position and mode every 50 ms), in a child
// process of its own with a watchdog, and times the longest single call: that call holds the
// user-interface thread, and with it the broadcast clock.
//
// Usage: orvessa_damaged_media_bench [WORD]   (only the cases whose name holds WORD)
// Prints one line per case: how long the longest call took, the peak memory, how the open ended
// (refused with its message, or the length), whether playing reached the end or stopped, and OK,
// CRASH or HANG.
// Exits non-zero unless every case is OK.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/gstreamer/media_files.h"

using namespace orvessa;
namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {

constexpr int kWatchdogSeconds = 60;
// How long a case watches an item that plays: the items made here are at most this long.
constexpr auto kWatchFor = std::chrono::seconds(12);

std::string randomBytes(std::size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) {
        s[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return s;
}

std::string fileBytes(const fs::path& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
            bytes.append(buffer, n);
        }
        std::fclose(f);
    }
    return bytes;
}

void sparseFile(const fs::path& path, off_t size, const std::string& head = {}) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        return;
    }
    if (!head.empty() && ::write(fd, head.data(), head.size()) < 0) {
        std::perror("write");
    }
    if (::ftruncate(fd, size) != 0) {
        std::perror("ftruncate");
    }
    ::close(fd);
}

struct Case {
    std::string name;
    std::string file;
    std::function<void(const fs::path&)> make;
};

// Runs in the child: prints the case's line, returns 0 when the device behaved.
int probe(const fs::path& path) {
    backends::GstMediaOptions options = testing::headlessOptions();
    options.openTimeout = std::chrono::seconds(5);
    backends::GstMediaDevice device(options);
    double longest = 0;
    // Times a call, also one that throws.
    auto timed = [&](auto&& call) {
        struct Stopwatch {
            double& longest;
            SteadyClock::time_point began = SteadyClock::now();
            ~Stopwatch() {
                const std::chrono::duration<double, std::milli> took = SteadyClock::now() - began;
                longest = std::max(longest, took.count());
            }
        } stopwatch{longest};
        call();
    };
    std::string outcome;
    try {
        device.setFileName(path.string());
        timed([&] { device.open(); });
        int64_t length = 0;
        timed([&] { length = device.length(); });
        timed([&] { device.play(); });
        outcome = "opened, " + std::to_string(length) + " ms long";
        const auto until = SteadyClock::now() + kWatchFor;
        std::string ending = "still playing";
        while (SteadyClock::now() < until) {
            int64_t position = 0;
            platform::MediaMode mode{};
            timed([&] { position = device.position(); });
            timed([&] { mode = device.mode(); });
            if (position >= length || mode != platform::MediaMode::Playing) {
                ending = position >= length ? "reached its end" : "stopped";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        outcome += ", " + ending;
        timed([&] { device.close(); });
    } catch (const platform::MediaError& e) {
        outcome = std::string("refused: ") + e.what();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-6.0f ms  %4ld MB  %s", longest, usage.ru_maxrss / 1024, outcome.c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A word of a case's name runs that case alone.
    const std::string only = argc > 1 ? argv[1] : "";
    testing::TempDir dir;
    const fs::path good = dir.path() / "good.mp3";
    // GStreamer's threads do not survive a fork: this process never starts it, every child does.
    const pid_t maker = fork();
    if (maker == 0) {
        _exit(testing::hasElement("lamemp3enc") &&
                      testing::encode("audiotestsrc num-buffers=200 samplesperbuffer=4410 ! "
                                      "audio/x-raw,rate=44100,channels=2 ! audioconvert ! "
                                      "lamemp3enc ! id3v2mux ! filesink name=out",
                                      good)
                  ? 0
                  : 1);
    }
    int made = 0;
    waitpid(maker, &made, 0);
    const bool haveMp3 = WIFEXITED(made) && WEXITSTATUS(made) == 0;
    const std::string mp3 = haveMp3 ? fileBytes(good) : std::string();

    const std::vector<Case> cases = {
        {"empty", "empty.mp3", [](const fs::path& p) { testing::writeBytes(p, ""); }},
        {"random bytes", "noise.mp3",
         [](const fs::path& p) { testing::writeBytes(p, randomBytes(1 << 20, 1)); }},
        {"text under a media name", "notes.wma",
         [](const fs::path& p) { testing::writeBytes(p, std::string(4000, 'a') + "\r\n"); }},
        {"random video", "film.avi",
         [](const fs::path& p) { testing::writeBytes(p, "RIFF" + randomBytes(1 << 20, 2)); }},
        {"random MPEG", "film.mpg",
         [](const fs::path& p) {
             testing::writeBytes(p, std::string("\0\0\x01\xba", 4) + randomBytes(1 << 20, 3));
         }},
        {"MP3 cut short", "cut.mp3",
         [&](const fs::path& p) { testing::writeBytes(p, mp3.substr(0, mp3.size() / 50)); }},
        {"MP3 with a damaged middle", "holed.mp3",
         [&](const fs::path& p) {
             std::string bytes = mp3;
             const std::string noise = randomBytes(bytes.size() / 4, 4);
             bytes.replace(bytes.size() / 3, noise.size(), noise);
             testing::writeBytes(p, bytes);
         }},
        {"ID3 tag claiming 200 MB, nothing after", "tagonly.mp3",
         [](const fs::path& p) {
             // Sync-safe 0x0BEBC200: seven bits a byte.
             const uint32_t size = 200'000'000;
             std::string tag = "ID3\x03";
             tag += std::string(1, '\0') + std::string(1, '\0');
             for (int shift = 21; shift >= 0; shift -= 7) {
                 tag.push_back(static_cast<char>((size >> shift) & 0x7F));
             }
             testing::writeBytes(p, tag);
         }},
        {"sparse 1.5 GiB MP3", "huge.mp3",
         [&](const fs::path& p) { sparseFile(p, off_t{3} << 29, mp3.substr(0, 4096)); }},
        {"sparse 200 MiB of zeros", "zeros.mp3",
         [](const fs::path& p) { sparseFile(p, off_t{200} << 20); }},
        {"MP3 of three hours (frames repeated)", "long.mp3",
         [&](const fs::path& p) {
             // Past the ID3 tag, the frames of the 20 s made above, 540 times over.
             const std::size_t tag = mp3.size() > 10 && mp3.starts_with("ID3")
                                         ? 10 + ((mp3[6] & 0x7F) << 21 | (mp3[7] & 0x7F) << 14 |
                                                 (mp3[8] & 0x7F) << 7 | (mp3[9] & 0x7F))
                                         : 0;
             const std::string frames = mp3.substr(std::min(tag, mp3.size()));
             std::string bytes;
             bytes.reserve(frames.size() * 540);
             for (int i = 0; i < 540; ++i) {
                 bytes += frames;
             }
             testing::writeBytes(p, bytes);
         }},
        {"WAV header claiming 4 GB", "liar.wav",
         [](const fs::path& p) {
             std::string wav = "RIFF" + le32(0xFFFFFFF0u) + "WAVEfmt " + le32(16);
             wav += std::string("\x01\0\x02\0", 4) + le32(44100) + le32(44100 * 4);
             wav += std::string("\x04\0\x10\0", 4) + "data" + le32(0xFFFFFFD0u);
             testing::writeBytes(p, wav + std::string(44100 * 4, '\0'));
         }},
        {"WAV with no channels and no rate", "zero.wav",
         [](const fs::path& p) {
             std::string wav = "RIFF" + le32(36 + 1000) + "WAVEfmt " + le32(16);
             wav += std::string("\x01\0\0\0", 4) + le32(0) + le32(0);
             wav += std::string("\0\0\x10\0", 4) + "data" + le32(1000);
             testing::writeBytes(p, wav + std::string(1000, '\0'));
         }},
        {"WAV cut short", "short.wav",
         [](const fs::path& p) {
             testing::writeToneWav(p, 44100 * 10);
             fs::resize_file(p, 44 + 4410 * 4);
         }},
    };

    int failures = 0;
    for (const Case& c : cases) {
        if (c.name.find(only) == std::string::npos) {
            continue;
        }
        const fs::path path = dir.path() / c.file;
        c.make(path);
        std::printf("%-40s ", c.name.c_str());
        std::fflush(stdout);
        const auto began = SteadyClock::now();
        const pid_t child = fork();
        if (child == 0) {
            alarm(kWatchdogSeconds);
            _exit(probe(path));
        }
        int status = 0;
        waitpid(child, &status, 0);
        const double seconds = std::chrono::duration<double>(SteadyClock::now() - began).count();
        std::string verdict = "OK";
        if (WIFSIGNALED(status)) {
            verdict = WTERMSIG(status) == SIGALRM ? "HANG" : "CRASH";
        } else if (WEXITSTATUS(status) != 0) {
            verdict = "FAILED";
        }
        failures += verdict == "OK" ? 0 : 1;
        std::printf("  (%.1f s)  %s\n", seconds, verdict.c_str());
        fs::remove(path);
    }
    if (!haveMp3) {
        std::printf("no MP3 encoder here: the MP3 cases used empty files\n");
    }
    std::printf("%zu cases, %d not OK\n", cases.size(), failures);
    return failures == 0 ? 0 : 1;
}

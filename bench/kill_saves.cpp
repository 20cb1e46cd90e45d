// Kills the saving code at random moments and looks at what it leaves. For each kind of file
// (a table, orvessa.sys, fontinfo.ini) a child process saves two versions of the file in turn,
// as fast as it can, through the system's own saving code, while this process kills it with
// SIGKILL after a random delay. After every kill the file must be, byte for byte, one of the two
// versions. Temporary files a kill leaves behind are counted and removed.
//
// Usage: orvessa_kill_bench [KILLS_PER_KIND]   (default 1000)
// Prints one line per kind: kills, damaged files (must be 0), temporary files left.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/model/control.h"
#include "core/store/schedule_table.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/tools/subtitle_dialog.h"
#include "fakes/fixed_monitors.h"
#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

using namespace orvessa;
namespace fs = std::filesystem;

namespace {

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One kind of file: how to save version 0 or 1 of it in `dir`, and its name there.
struct Kind {
    std::string name;
    std::string file;
    std::function<void(const fs::path& dir, int version)> save;
};

// A table of `rows` rows whose cells depend on the version, so the two versions differ in
// length as well as in content.
void saveTable(const fs::path& dir, int version) {
    store::ScheduleTable table;
    const int rows = version == 0 ? 998 : 400;
    table.setRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        table.setCell(1, r, std::to_string(6 + r % 12) + ":" + std::to_string(10 + r % 50) + ":00");
        table.setCell(2, r, version == 0 ? "早操" : "下课铃声");
        table.setCell(3, r, "D:\\广播\\item" + std::to_string(r * (version + 1)) + ".mp3");
        table.setCell(5, r, std::to_string(100 + version));
    }
    if (!store::writeTableFile(table, dir, "zxsj3.log")) {
        std::_Exit(3);
    }
}

void saveConfig(const fs::path& dir, int version) {
    store::SystemConfig config(dir);
    for (int k = 0; k < store::SystemConfig::kEntryCount; ++k) {
        config.setEntry(k, std::to_string(k * (version + 1)));
    }
    config.setEntry(store::SystemConfig::kSubtitleText,
                    std::string(version == 0 ? 3000 : 10, version == 0 ? 'a' : 'b'));
    if (!config.save()) {
        std::_Exit(3);
    }
}

// The subtitle dialog's font command, the operator choosing one of two fonts.
class TwoFonts : public platform::StyleDialogs {
public:
    int version = 0;
    std::optional<platform::FontDescription> fontDialog(const platform::FontDescription&) override {
        platform::FontDescription f;
        f.face = version == 0 ? "宋体" : "Microsoft YaHei UI Light";
        f.size = version == 0 ? 28 : 9;
        f.color = version == 0 ? 255 : 0xFF00FF;
        f.bold = version == 0;
        f.italic = version != 0;
        f.underline = version == 0;
        f.strikeout = version != 0;
        return f;
    }
    std::optional<model::Color> colorDialog(model::Color) override { return std::nullopt; }
};

void saveFont(const fs::path& dir, int version) {
    // One dialog per process: the child keeps it across saves, as the running system does.
    static fakes::ScriptedHost host;
    static TwoFonts dialogs;
    static fakes::FixedMonitors monitors;
    static store::SystemConfig config(dir);
    static model::TextControl strip("subtitleStrip");
    static tools::SubtitleDialog form(config, strip,
                                      {host, dialogs, monitors, [] { return true; }, dir});
    dialogs.version = version;
    form.fontButton.click();
}

// Saves the two versions in turn for ever; only a signal ends it.
[[noreturn]] void saveForEver(const Kind& kind, const fs::path& dir) {
    for (int i = 0;; i = 1 - i) {
        kind.save(dir, i);
    }
}

struct Outcome {
    int kills = 0;
    int damaged = 0;
    int temporaries = 0;
};

Outcome run(const Kind& kind, int kills, std::mt19937& random) {
    testing::TempDir dir;
    const fs::path file = dir / kind.file;
    // Both versions as the saving code writes them.
    kind.save(dir.path(), 1);
    const std::string one = contentOf(file);
    kind.save(dir.path(), 0);
    const std::string zero = contentOf(file);
    if (zero == one) {
        std::cerr << kind.name << ": the two versions are the same\n";
        std::exit(2);
    }
    // Long enough to reach every phase of a save, saves being a few hundred microseconds.
    std::uniform_int_distribution<int> delay(0, 3000);

    Outcome outcome;
    for (int k = 0; k < kills; ++k) {
        const pid_t child = fork();
        if (child < 0) {
            std::perror("fork");
            std::exit(2);
        }
        if (child == 0) {
            saveForEver(kind, dir.path());
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFSIGNALED(status)) {
            std::cerr << kind.name << ": the saving child ended by itself (status " << status
                      << ")\n";
            std::exit(2);
        }
        ++outcome.kills;
        const std::string now = contentOf(file);
        if (now != zero && now != one) {
            ++outcome.damaged;
            fs::copy_file(file,
                          fs::temp_directory_path() /
                              ("orvessa-damaged-" + kind.name + "-" + std::to_string(k)),
                          fs::copy_options::overwrite_existing);
        }
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path().filename() != kind.file) {
                ++outcome.temporaries;
                fs::remove(entry.path());
            }
        }
    }
    return outcome;
}

}  // namespace

int main(int argc, char** argv) {
    const int kills = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (kills <= 0) {
        std::cerr << "usage: orvessa_kill_bench [KILLS_PER_KIND]\n";
        return 2;
    }
    std::mt19937 random(std::random_device{}());
    const std::vector<Kind> kinds = {
        {"table", "zxsj3.log", saveTable},
        {"orvessa.sys", store::SystemConfig::kFileName, saveConfig},
        {"fontinfo.ini", tools::SubtitleDialog::kFontFile, saveFont},
    };
    int damaged = 0;
    for (const Kind& kind : kinds) {
        const Outcome o = run(kind, kills, random);
        std::cout << kind.name << ": " << o.kills << " kills, " << o.damaged << " damaged files, "
                  << o.temporaries << " temporary files left by kills\n";
        damaged += o.damaged;
    }
    return damaged == 0 ? 0 : 1;
}

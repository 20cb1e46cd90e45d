#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/text/gbk.h"
#include "dryrun/rehearsal.h"
#include "support/temp_dir.h"

namespace orvessa::dryrun {

using Lines = std::vector<std::string>;

struct Row {
    std::string start;
    std::string file;
    std::string stop;
};

// A program directory as an operator leaves it: configuration, tables, a media library.
class ProgramDirectory : public ::testing::Test {
protected:
    ProgramDirectory() {
        std::filesystem::create_directory(m_dir / "AUDIO");
        entries.assign(27, "0");
        entries[2] = entries[3] = "  :  :  ";
        entries[5] = "3";
        entries[6] = "1";
        entries[11] = audio();
    }

    std::string dir() const { return m_dir.path().string(); }
    std::string audio() const { return dir() + "/AUDIO/"; }
    void file(const std::string& relative, const std::string& bytes = "x") {
        std::filesystem::create_directories((m_dir / relative).parent_path());
        orvessa::testing::writeBytes(m_dir / relative, bytes);
    }

    // Writes orvessa.sys and the table of weekday `weekday` (2026-12-14 is a Monday).
    void write(int weekday, const std::vector<Row>& rows) {
        std::string config;
        for (const auto& e : entries) {
            config += e + "\r\n";
        }
        orvessa::testing::writeBytes(m_dir / "orvessa.sys", config);
        std::string table;
        int n = 1;
        for (const Row& r : rows) {
            table +=
                std::to_string(n++) + "," + r.start + ",上课," + r.file + "," + r.stop + ",,\r\n";
        }
        orvessa::testing::writeBytes(m_dir / ("zxsj" + std::to_string(weekday) + ".log"),
                                     text::utf8ToGbk(table));
    }

    // orvessa-rehearse DIR `arguments`: the lines it printed; `status` and `error` as it ended.
    Lines run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), dir());
        std::ostringstream out;
        std::ostringstream err;
        status = rehearse(arguments, out, err);
        error = err.str();
        Lines lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    orvessa::testing::TempDir m_dir;
    std::vector<std::string> entries;
    int status = -1;
    std::string error;
};

}  // namespace orvessa::dryrun

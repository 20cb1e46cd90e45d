#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace orvessa::fuzz {

// A directory for one input, gone when the input is done (the engine may end the process
// without running destructors of static objects).
class WorkDirectory {
public:
    WorkDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvessa-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        m_path = pattern;
    }
    ~WorkDirectory() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // The input as the file `name` in the directory.
    void write(const char* name, std::string_view bytes) const {
        std::ofstream out(m_path / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path m_path;
};

}  // namespace orvessa::fuzz

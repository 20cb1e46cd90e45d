#include "school_year/simulated_disk.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace orvessa::school_year {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> filesOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && !it->is_symlink(typeError)) {
            files[it->path().filename().string()] = contentOf(it->path());
        }
    }
    return files;
}

}  // namespace

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SimulatedDisk::SimulatedDisk(fs::path folder)
    : m_folder(std::move(folder)), m_durable(filesOf(m_folder)) {}

std::string SimulatedDisk::syncFile(const fs::path& path) {
    if (path.parent_path() == m_folder) {
        m_synced.insert(contentOf(path));
    }
    return {};
}

std::string SimulatedDisk::syncDirectory(const fs::path& directory) {
    if (directory != m_folder) {
        return {};
    }
    // The names are on the disk now; a name's content only if that content had been synced,
    // else the disk keeps what it held under that name before.
    std::map<std::string, std::string> durable;
    for (auto& [name, content] : filesOf(m_folder)) {
        if (m_synced.contains(content)) {
            durable[name] = std::move(content);
        } else if (const auto old = m_durable.find(name); old != m_durable.end()) {
            durable[name] = old->second;
        }
    }
    m_durable = std::move(durable);
    m_synced.clear();
    return {};
}

std::vector<std::string> SimulatedDisk::powerCut() {
    std::vector<std::string> changed;
    const std::map<std::string, std::string> now = filesOf(m_folder);
    for (const auto& [name, content] : now) {
        const auto kept = m_durable.find(name);
        std::error_code ec;
        if (kept == m_durable.end()) {
            fs::remove(m_folder / name, ec);
            changed.push_back(name);
        } else if (kept->second != content) {
            std::ofstream(m_folder / name, std::ios::binary | std::ios::trunc) << kept->second;
            changed.push_back(name);
        }
    }
    for (const auto& [name, content] : m_durable) {
        if (!now.contains(name)) {
            std::ofstream(m_folder / name, std::ios::binary | std::ios::trunc) << content;
            changed.push_back(name);
        }
    }
    m_synced.clear();
    return changed;
}

bool SimulatedDisk::holds(const std::string& name, std::string& content) const {
    const auto it = m_durable.find(name);
    if (it == m_durable.end()) {
        return false;
    }
    content = it->second;
    return true;
}

void SimulatedDisk::adopt(const std::string& name) {
    m_durable[name] = contentOf(m_folder / name);
}

}  // namespace orvessa::school_year

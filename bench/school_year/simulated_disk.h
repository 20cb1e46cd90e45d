#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/store/file_sync.h"

// What of a folder's files a power cut keeps, learnt through the system's file-sync seam.
namespace orvessa::school_year {

// The files directly in one folder, as the disk holds them: what was there at the start, and
// since then a file's content once it was carried to the disk and its name in the folder synced
// after. Anything else lives only in the caches and a power cut takes it.
class SimulatedDisk : public store::FileSync {
public:
    explicit SimulatedDisk(std::filesystem::path folder);

    std::string syncFile(const std::filesystem::path& path) override;
    std::string syncDirectory(const std::filesystem::path& directory) override;

    // The power goes: every file of the folder becomes what the disk holds of it, and files the
    // disk does not hold are gone. Returns the names that changed.
    std::vector<std::string> powerCut();
    // What the disk holds of the folder's file `name` now; empty for nothing.
    bool holds(const std::string& name, std::string& content) const;
    // A save another process made and carried to the disk whole.
    void adopt(const std::string& name);

private:
    std::filesystem::path m_folder;
    std::map<std::string, std::string> m_durable;
    // Contents synced under some name of the folder, waiting for the folder's own sync.
    std::set<std::string> m_synced;
};

std::string contentOf(const std::filesystem::path& path);

}  // namespace orvessa::school_year

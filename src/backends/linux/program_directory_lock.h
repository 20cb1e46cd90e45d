#pragma once

#include <filesystem>
#include <string>

namespace orvessa::backends {

// One broadcaster per program directory: a lock (flock) on the file orvessa.lock beside
// orvessa.sys, which every instance that runs the directory's tables takes, whatever display,
// runtime directory or user it runs with. The file is never removed, so the lock lives exactly
// as long as the process that holds it: one left by kill -9 blocks nothing.
//
// The file is created readable and writable by those who may write the directory, the only
// users whose Orvessa uses it as its program directory: another user who may merely read it
// cannot hold the lock to keep the operator's Orvessa from starting. Whatever stands under the
// name that can be no lock (a link, a directory, a FIFO, a file this user cannot open) was put
// there by someone who may write the directory; it is replaced, so it cannot switch the check
// off.
class ProgramDirectoryLock {
public:
    static constexpr const char* kFileName = "orvessa.lock";

    enum class Claim {
        Held,     // this process holds the directory
        Busy,     // another process holds it
        NotMade,  // no lock could be taken (a read-only directory without the file, no locks)
    };

    explicit ProgramDirectoryLock(std::filesystem::path directory);
    ~ProgramDirectoryLock();
    ProgramDirectoryLock(const ProgramDirectoryLock&) = delete;
    ProgramDirectoryLock& operator=(const ProgramDirectoryLock&) = delete;

    // Takes the lock without waiting. Held again when already held.
    Claim claim();
    // Why the last claim was NotMade.
    const std::string& problem() const { return m_problem; }

private:
    std::filesystem::path m_directory;
    int m_fd = -1;
    std::string m_problem;
};

}  // namespace orvessa::backends

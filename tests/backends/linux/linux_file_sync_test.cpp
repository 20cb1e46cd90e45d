#include "backends/linux/linux_file_sync.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

TEST(LinuxFileSync, FlushesFilesAndFoldersButNoLinkOrWhatIsMissing) {
    TempDir dir;
    writeBytes(dir / "t.log", "1,7:30:00,a,b,,,\r\n");
    fs::create_symlink(dir / "t.log", dir / "link.log");
    LinuxFileSync sync;
    EXPECT_EQ(sync.syncFile(dir / "t.log"), "");
    EXPECT_EQ(sync.syncDirectory(dir.path()), "");
    EXPECT_NE(sync.syncFile(dir / "link.log"), "") << "a link is not followed";
    EXPECT_NE(sync.syncFile(dir / "none.log"), "");
    EXPECT_NE(sync.syncDirectory(dir / "t.log"), "") << "not a directory";
}

}  // namespace
}  // namespace orvessa::backends

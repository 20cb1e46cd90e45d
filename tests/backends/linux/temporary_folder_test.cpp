#include "backends/linux/temporary_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrefix = "orvessa-skin-";

TEST(TemporaryFolder, ASweepTakesOnlyTheFoldersOfDeadProcessesOfThisUser) {
    // Given a temporary directory with a folder of a killed process, one of this living one,
    // and others that only look alike
    testing::TempDir tmp;
    testing::ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TemporaryFolder doomed(kPrefix);
        testing::writeBytes(doomed.path() / "1-caption.png", "picture");
        const char made = doomed.valid() ? '1' : '0';
        (void)!write(ready[1], &made, 1);
        pause();
        _exit(0);
    }
    char made = 0;
    ASSERT_EQ(read(ready[0], &made, 1), 1);
    ASSERT_EQ(made, '1');
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);

    std::optional<TemporaryFolder> living(kPrefix);
    ASSERT_TRUE(living->valid());
    EXPECT_EQ((living->path().parent_path()), tmp.path());
    fs::create_directory(tmp / "elsewhere");
    fs::create_directory_symlink(tmp / "elsewhere", tmp / "orvessa-skin-linked");
    fs::create_directory(tmp / "orvessa-skin-longer-name");
    fs::create_directory(tmp / "orvessa-rehearse-abcdef");
    const bool root = geteuid() == 0;
    if (root) {
        fs::create_directory(tmp / "orvessa-skin-others");
        ASSERT_EQ(chown((tmp / "orvessa-skin-others").c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()),
              root ? 7 : 6);

    // When the next start sweeps
    EXPECT_EQ(removeStaleTemporaryFolders(kPrefix), 1);

    // Then only the killed process's folder is gone
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()),
              root ? 6 : 5);
    EXPECT_TRUE(fs::is_directory(living->path()));
    EXPECT_TRUE(fs::is_directory(tmp / "elsewhere"));
    EXPECT_TRUE(fs::is_symlink(tmp / "orvessa-skin-linked"));
    // And a folder that ends with its process goes with it
    const fs::path own = living->path();
    living.reset();
    EXPECT_FALSE(fs::exists(own));
}

}  // namespace
}  // namespace orvessa::backends

#include "backends/linux/program_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

std::set<std::string> names(const fs::path& dir) {
    std::set<std::string> found;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        found.insert(e.path().filename().string());
    }
    return found;
}

// An installation under a prefix of its own: the executables' folder and the defaults.
struct Installation {
    TempDir root;
    fs::path programs = root / "usr/lib/orvessa";
    fs::path data = root / "usr/share/orvessa";

    Installation() {
        fs::create_directories(programs);
        fs::create_directories(data / "manual");
        writeBytes(data / "orvessa.sys", "\r\n0\r\ndefault\r\n");
        writeBytes(data / "manual/ORVESSA.html", "<html>");
    }
};

TEST(ProgramDirectory, AnInstallationGivesEachUserADirectoryMadeOnceAndThenLeftAlone) {
    Installation installed;
    TempDir user;
    // Writable or not (root may write anywhere), an installed executable keeps out of its folder.
    const ProgramDirectory dir =
        chooseProgramDirectory(installed.programs, true, {(user / "data").string(), "/nowhere"});
    ASSERT_TRUE(dir.perUser);
    EXPECT_EQ(dir.path, user / "data/orvessa");

    EXPECT_EQ(prepareProgramDirectory(dir), "");
    EXPECT_EQ(readBytes(dir.path / "orvessa.sys"), "\r\n0\r\ndefault\r\n");
    EXPECT_TRUE(fs::is_directory(dir.path / "AUDIO"));
    EXPECT_EQ(readBytes(dir.path / "manual/ORVESSA.html"), "<html>");

    // The operator's settings and media survive every later start; a new manual shows through.
    writeBytes(dir.path / "orvessa.sys", "operator's own");
    writeBytes(dir.path / "AUDIO/bell.wav", "RIFF");
    writeBytes(installed.data / "manual/ORVESSA.html", "<html>v2");
    EXPECT_EQ(prepareProgramDirectory(dir), "");
    EXPECT_EQ(readBytes(dir.path / "orvessa.sys"), "operator's own");
    EXPECT_EQ(readBytes(dir.path / "AUDIO/bell.wav"), "RIFF");
    EXPECT_EQ(readBytes(dir.path / "manual/ORVESSA.html"), "<html>v2");
    EXPECT_EQ(names(dir.path), (std::set<std::string>{"AUDIO", "manual", "orvessa.sys"}));
    EXPECT_TRUE(names(installed.programs).empty());
}

TEST(ProgramDirectory, AWritableCopyKeepsItsFilesBesideTheExecutable) {
    TempDir portable;
    writeBytes(portable / "orvessa.sys", "portable");
    const ProgramDirectory dir =
        chooseProgramDirectory(portable.path(), true, {"", (portable / "home").string()});
    EXPECT_FALSE(dir.perUser);
    EXPECT_EQ(dir.path, portable.path());
    EXPECT_EQ(prepareProgramDirectory(dir), "");
    EXPECT_EQ(names(portable.path()), std::set<std::string>{"orvessa.sys"});

    // A folder named like an installation's, without its defaults, is a copy like any other.
    TempDir lookalike;
    fs::create_directories(lookalike / "lib/orvessa");
    EXPECT_FALSE(chooseProgramDirectory(lookalike / "lib/orvessa", true, {"", "/home/u"}).perUser);
}

TEST(ProgramDirectory, AReadOnlyCopyStartsTheUsersDirectoryFromItsOwnConfiguration) {
    TempDir readOnly;
    TempDir home;
    writeBytes(readOnly / "orvessa.sys", "from the copy");
    // A relative $XDG_DATA_HOME is to be ignored, as the base directory rules say.
    const ProgramDirectory dir =
        chooseProgramDirectory(readOnly.path(), false, {"relative", home.path().string()});
    ASSERT_TRUE(dir.perUser);
    EXPECT_EQ(dir.path, home / ".local/share/orvessa");
    EXPECT_EQ(prepareProgramDirectory(dir), "");
    EXPECT_EQ(readBytes(dir.path / "orvessa.sys"), "from the copy");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.path / "manual")));

    // Nowhere of the user's own to go: the executable's directory, as before.
    EXPECT_EQ(chooseProgramDirectory(readOnly.path(), false, {"", ""}).path, readOnly.path());
}

TEST(ProgramDirectory, ADirectoryThatCannotBeMadeIsReported) {
    Installation installed;
    TempDir user;
    writeBytes(user / "orvessa", "a file where the directory should be");
    const ProgramDirectory dir =
        chooseProgramDirectory(installed.programs, false, {user.path().string(), ""});
    const std::string problem = prepareProgramDirectory(dir);
    EXPECT_NE(problem.find((user / "orvessa").string()), std::string::npos) << problem;
}

}  // namespace
}  // namespace orvessa::backends

#include "core/store/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "support/temp_dir.h"

namespace orvessa::store {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

// Lowers the file-size limit for the life of the object, so that a write past it fails the way
// a full disk does. SIGXFSZ is ignored meanwhile, so the write returns an error instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    sighandler_t m_oldHandler;
};

TEST(AtomicWrite, ReplacesTheWholeFile) {
    TempDir dir;
    writeBytes(dir / "t.log", "old content that is longer\r\n");
    ASSERT_TRUE(writeFileAtomically(dir / "t.log", "new\r\n"));
    EXPECT_EQ(readBytes(dir / "t.log"), "new\r\n");
    ASSERT_TRUE(writeFileAtomically(dir / "fresh.log", ""));
    EXPECT_TRUE(fileExists(dir / "fresh.log"));
}

TEST(AtomicWrite, AWriteThatRunsOutOfSpaceKeepsTheOldFile) {
    TempDir dir;
    const std::string old = "1,7:30:00,a,b,,,\r\n";
    writeBytes(dir / "t.log", old);
    WriteResult result;
    {
        FileSizeLimit limit(64);
        result = writeFileAtomically(dir / "t.log", std::string(100000, 'x'));
    }
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(readBytes(dir / "t.log"), old);
    EXPECT_FALSE(std::filesystem::exists(dir / "t.log.tmp"));
}

TEST(AtomicWrite, ReportsTargetsThatCannotBeWritten) {
    TempDir dir;
    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "t.log", "x"));
    std::filesystem::create_directory(dir / "d");
    EXPECT_FALSE(writeFileAtomically(dir / "d", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "d"));
    EXPECT_FALSE(std::filesystem::exists(dir / "d.tmp"));
}

TEST(ReadWholeFile, TellsMissingFromPresent) {
    TempDir dir;
    EXPECT_EQ(readWholeFile(dir / "none").status, ReadStatus::Missing);
    EXPECT_EQ(readWholeFile(dir.path()).status, ReadStatus::Missing) << "a directory is no file";
    const std::string bytes("a\0b\r\n\xFF", 6);
    writeBytes(dir / "f", bytes);
    const ReadResult r = readWholeFile(dir / "f");
    EXPECT_EQ(r.status, ReadStatus::Ok);
    EXPECT_EQ(r.bytes, bytes);
}

TEST(SplitLines, HandlesCrLfLfAndAMissingFinalLineEnd) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(splitLines("a\nb"), (V{"a", "b"}));
    EXPECT_EQ(splitLines("\r\n\r\nx"), (V{"", "", "x"}));
    EXPECT_EQ(splitLines("a\rb\r\n"), (V{"a\rb"})) << "a lone CR stays in the line";
}

}  // namespace
}  // namespace orvessa::store

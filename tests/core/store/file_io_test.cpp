#include "core/store/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "fakes/recording_file_sync.h"
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

// The names in a directory: what a write leaves behind.
std::vector<std::string> namesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

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
    EXPECT_EQ(namesIn(dir.path()), Names{"t.log"}) << "the temporary file is gone";
}

TEST(AtomicWrite, ReportsTargetsThatCannotBeWritten) {
    TempDir dir;
    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "t.log", "x"));
    std::filesystem::create_directory(dir / "d");
    EXPECT_FALSE(writeFileAtomically(dir / "d", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "d"));
    EXPECT_EQ(namesIn(dir.path()), Names{"d"});
}

TEST(AtomicWrite, APlantedLinkIsNeitherFollowedNorMovedIntoPlace) {
    TempDir dir;
    TempDir outside;
    writeBytes(outside / "victim", "keep me");
    writeBytes(dir / "orvessa.sys", "old\r\n");
    // Where a writer with a fixed temporary name would put its content.
    std::filesystem::create_symlink(outside / "victim", dir / "orvessa.sys.tmp");
    std::filesystem::create_symlink(outside / "victim", dir / ".orvessa.sys.tmp");

    ASSERT_TRUE(writeFileAtomically(dir / "orvessa.sys", "secret\r\n", Visibility::OwnerOnly));
    EXPECT_EQ(readBytes(outside / "victim"), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "orvessa.sys"));
    EXPECT_EQ(readBytes(dir / "orvessa.sys"), "secret\r\n");
    struct stat st {};
    ASSERT_EQ(stat((dir / "orvessa.sys").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(namesIn(dir.path()), (Names{".orvessa.sys.tmp", "orvessa.sys", "orvessa.sys.tmp"}));
}

TEST(AtomicWrite, AWriteClearsAwayWhatKilledWritersLeftButNothingElse) {
    TempDir dir;
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name :
         {".t.log.a1b2c3d4e5.tmp", ".t.log.zzzzzzzzzz.tmp", ".t.log.0123456789.tmp",
          ".t.log.short.tmp", ".other.log.a1b2c3d4e5.tmp"}) {
        writeBytes(dir / name, "half a table");
    }
    // A write of the same file still under way.
    writeBytes(dir / ".t.log.0123456789.tmp", "in progress");
    for (const char* name : {".t.log.a1b2c3d4e5.tmp", ".t.log.zzzzzzzzzz.tmp", ".t.log.short.tmp",
                             ".other.log.a1b2c3d4e5.tmp"}) {
        std::filesystem::last_write_time(dir / name, hourAgo);
    }
    TempDir outside;
    writeBytes(outside / "keep", "keep");
    std::filesystem::last_write_time(outside / "keep", hourAgo);
    std::filesystem::create_symlink(outside / "keep", dir / ".t.log.linklinkli.tmp");

    ASSERT_TRUE(writeFileAtomically(dir / "t.log", "new\r\n"));
    EXPECT_EQ(namesIn(dir.path()), (Names{".other.log.a1b2c3d4e5.tmp", ".t.log.0123456789.tmp",
                                          ".t.log.linklinkli.tmp", ".t.log.short.tmp", "t.log"}));
    EXPECT_EQ(readBytes(outside / "keep"), "keep");
}

TEST(AtomicWrite, TheContentIsOnTheDiskBeforeTheRenameAndTheRenameBeforeSuccess) {
    TempDir dir;
    writeBytes(dir / "t.log", "old\r\n");
    fakes::RecordingFileSync sync;
    std::vector<std::string> seen;
    sync.onFile = [&](const std::filesystem::path& p) {
        seen.push_back(readBytes(p) + "|" + readBytes(dir / "t.log"));
    };
    sync.onDirectory = [&](const std::filesystem::path&) {
        seen.push_back(readBytes(dir / "t.log"));
    };
    ASSERT_TRUE(writeFileAtomically(dir / "t.log", "new\r\n", Visibility::Shared, &sync));
    ASSERT_EQ(sync.calls.size(), 2u);
    EXPECT_TRUE(sync.calls[0].starts_with("file " + (dir / ".t.log.").string())) << sync.calls[0];
    EXPECT_EQ(sync.calls[1], "directory " + dir.path().string());
    EXPECT_EQ(seen, (std::vector<std::string>{"new\r\n|old\r\n", "new\r\n"}))
        << "the temporary file is complete and the old one still in place when it is flushed";

    // A flush that fails is a write that fails: the old file stays, nothing is left beside it.
    sync.fileFailure = "Input/output error";
    sync.onFile = nullptr;
    const WriteResult failed =
        writeFileAtomically(dir / "t.log", "newer\r\n", Visibility::Shared, &sync);
    EXPECT_FALSE(failed.ok);
    EXPECT_NE(failed.error.find("Input/output error"), std::string::npos);
    EXPECT_EQ(readBytes(dir / "t.log"), "new\r\n");
    EXPECT_EQ(namesIn(dir.path()), Names{"t.log"});
}

// A file written for a long time (a recording) goes in place as a save does: flushed, renamed,
// the folder flushed.
// Each writer's own sync: two systems in one process flush through their own, and a write given
// none flushes nothing.
TEST(AtomicWrite, EachWriteFlushesThroughTheSyncItIsGivenAndNoOther) {
    TempDir dir;
    fakes::RecordingFileSync first;
    fakes::RecordingFileSync second;
    ASSERT_TRUE(writeFileAtomically(dir / "a.log", "a", Visibility::Shared, &first));
    ASSERT_TRUE(writeFileAtomically(dir / "b.log", "b", Visibility::OwnerOnly, &second));
    ASSERT_TRUE(writeFileAtomically(dir / "c.log", "c"));
    ASSERT_EQ(first.calls.size(), 2u);
    EXPECT_TRUE(first.calls[0].starts_with("file " + (dir / ".a.log.").string())) << first.calls[0];
    ASSERT_EQ(second.calls.size(), 2u);
    EXPECT_TRUE(second.calls[0].starts_with("file " + (dir / ".b.log.").string()))
        << second.calls[0];
    EXPECT_EQ(readBytes(dir / "c.log"), "c");
}

TEST(AtomicWrite, ATemporaryFileWrittenBesideIsPutInPlaceAsASaveIs) {
    TempDir dir;
    writeBytes(dir / "take.wav", "old");
    std::filesystem::path temporary;
    ASSERT_TRUE(writeTemporaryBeside(dir / "take.wav", "header", temporary));
    EXPECT_TRUE(temporary.filename().string().starts_with(".take.wav."));
    writeBytes(temporary, "header and sound");
    fakes::RecordingFileSync sync;
    ASSERT_TRUE(replaceWithTemporary(temporary, dir / "take.wav", &sync));
    EXPECT_EQ(sync.calls, (std::vector<std::string>{"file " + temporary.string(),
                                                    "directory " + dir.path().string()}));
    EXPECT_EQ(readBytes(dir / "take.wav"), "header and sound");
    EXPECT_EQ(namesIn(dir.path()), Names{"take.wav"});
}

TEST(ReadWholeFile, TellsMissingFromPresentAndSaysWhyWhatIsThereCannotBeRead) {
    TempDir dir;
    EXPECT_EQ(readWholeFile(dir / "none").status, ReadStatus::Missing);
    const std::string bytes("a\0b\r\n\xFF", 6);
    writeBytes(dir / "f", bytes);
    const ReadResult r = readWholeFile(dir / "f");
    EXPECT_EQ(r.status, ReadStatus::Ok);
    EXPECT_EQ(r.bytes, bytes);

    std::filesystem::create_symlink(dir / "gone", dir / "dangling");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::filesystem::path& p :
         {dir.path(), dir / "dangling", dir / "fifo", std::filesystem::path("/dev/zero")}) {
        // A pipe without a writer would block the open for ever: the read must not wait.
        auto read = std::async(std::launch::async, [p] { return readWholeFile(p); });
        if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            const int unblock = open(p.c_str(), O_WRONLY | O_NONBLOCK);
            read.wait();
            close(unblock);
            FAIL() << p << " blocked the read";
        }
        const ReadResult failed = read.get();
        EXPECT_EQ(failed.status, ReadStatus::Failed) << p;
        EXPECT_TRUE(failed.error.starts_with(p.string() + ": ")) << failed.error;
        EXPECT_TRUE(failed.bytes.empty());
    }

    writeBytes(dir / "big", std::string(1000, 'x'));
    EXPECT_EQ(readWholeFile(dir / "big", 999).status, ReadStatus::Failed);
    EXPECT_EQ(readWholeFile(dir / "big", 1000).bytes.size(), 1000u);
}

TEST(ReadLines, ReadsNoFurtherThanTheLimitsHoweverLargeTheFile) {
    TempDir dir;
    const LineLimits limits{3, 8, 64};
    auto read = [&](std::string_view bytes) {
        writeBytes(dir / "f", bytes);
        return readLines(dir / "f", limits);
    };
    using Lines = std::vector<std::string>;

    LinesResult r = read("a\r\nb\nc");
    EXPECT_EQ(r.lines, (Lines{"a", "b", "c"}));
    EXPECT_FALSE(r.moreLines);
    EXPECT_FALSE(r.cutLines);
    EXPECT_EQ(read("a\r\nb\r\nc\r\n").moreLines, false) << "the end adds no line";
    EXPECT_EQ(read("").lines, Lines{});

    r = read("1\n2\n3\n4\n");
    EXPECT_EQ(r.lines, (Lines{"1", "2", "3"}));
    EXPECT_TRUE(r.moreLines);

    // Eight bytes kept of a line; a CR just past them is still its line end.
    r = read("12345678\r\n123456789\r\nx\n");
    EXPECT_EQ(r.lines, (Lines{"12345678", "12345678", "x"}));
    EXPECT_TRUE(r.cutLines);

    // A gigabyte without a line end: 64 bytes are read, not the gigabyte.
    const int fd = open((dir / "sparse").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t{1} << 30), 0);
    close(fd);
    r = readLines(dir / "sparse", limits);
    EXPECT_EQ(r.status, ReadStatus::Ok);
    EXPECT_EQ(r.lines, Lines{std::string(8, '\0')});
    EXPECT_TRUE(r.cutLines);
    EXPECT_TRUE(r.moreLines);
}

TEST(SplitLines, CrLfLfAndALoneCrEachEndALine) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(splitLines("a\nb"), (V{"a", "b"}));
    EXPECT_EQ(splitLines("\r\n\r\nx"), (V{"", "", "x"}));
    EXPECT_EQ(splitLines("a\rb\rc"), (V{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\nb\nc\r"), (V{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\r\n\n\rb"), (V{"a", "", "", "", "b"}));
}

TEST(ReadLines, ALoneCrEndsALineAndCrLfAcrossTwoChunksIsOneLineEnd) {
    TempDir dir;
    using Lines = std::vector<std::string>;
    writeBytes(dir / "mac", "1,a,\r2,b,\r3,c,\r");
    LinesResult r = readLines(dir / "mac", {10, 100, 1000});
    EXPECT_EQ(r.lines, (Lines{"1,a,", "2,b,", "3,c,"}));
    EXPECT_FALSE(r.moreLines);

    // The reader takes the file 64 KiB at a time: a CR that is the last byte of one piece and
    // the LF that opens the next are one line end, not a line end and an empty line.
    const std::string first(64 * 1024 - 1, 'x');
    writeBytes(dir / "split", first + "\r\ny\r\n");
    r = readLines(dir / "split", {10, 70000, 200000});
    EXPECT_EQ(r.lines, (Lines{first, "y"}));
    r = readLines(dir / "split", {1, 70000, 200000});
    EXPECT_EQ(r.lines, Lines{first});
    EXPECT_TRUE(r.moreLines);
    writeBytes(dir / "split", first + "\r\n");
    r = readLines(dir / "split", {1, 70000, 200000});
    EXPECT_FALSE(r.moreLines) << "the LF after the last line wanted is its end, not more";
}

}  // namespace
}  // namespace orvessa::store

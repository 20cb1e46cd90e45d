#include "core/text/system_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/store/file_io.h"
#include "support/temp_dir.h"

namespace orvessa::text {
namespace {

TEST(SystemErrorText, CommonReasonsReadInChineseWithTheSystemsWordsAfter) {
    EXPECT_EQ(systemErrorText(ENOSPC), "磁盘已满（No space left on device）");
    EXPECT_EQ(systemErrorText(std::make_error_code(std::errc::read_only_file_system)),
              "文件系统是只读的，不能写入（Read-only file system）");
    EXPECT_EQ(systemErrorText(EPERM), "没有权限（Operation not permitted）");
    EXPECT_EQ(systemErrorText(EACCES), "没有权限（Permission denied）");
    for (const int e : {ENOENT, EEXIST, EISDIR, ENOTDIR, EIO, EDQUOT, ENAMETOOLONG}) {
        EXPECT_GT(static_cast<unsigned char>(systemErrorText(e).front()), 0x7F) << e;
    }
    // A rare one keeps the system's words alone.
    EXPECT_EQ(systemErrorText(EXDEV), std::error_code(EXDEV, std::generic_category()).message());
}

TEST(SystemErrorText, AFailedWriteSaysWhyInChinese) {
    testing::TempDir dir;
    const store::WriteResult r = store::writeFileAtomically(dir / "gone/orvessa.sys", "x");
    ASSERT_FALSE(r);
    EXPECT_NE(r.error.find("文件或文件夹不存在（No such file or directory）"), std::string::npos)
        << r.error;
}

}  // namespace
}  // namespace orvessa::text

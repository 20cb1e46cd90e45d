#include "core/console/console_settings.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace orvessa::console {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

TEST(ConsoleSettings, AMissingFileIsOffOnLoopbackAndItsSaveLeavesTheSystemFileAlone) {
    TempDir dir;
    writeBytes(dir / "orvessa.sys", "\r\n0\r\n");
    ConsoleSettingsFile file(dir.path());
    ASSERT_TRUE(file.load());
    EXPECT_FALSE(file.settings().enabled);
    EXPECT_EQ(file.settings().address, "127.0.0.1");
    EXPECT_EQ(file.settings().port, 8460);
    EXPECT_EQ(file.settings().certificate, "");
    EXPECT_TRUE(file.problems().empty());
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(dir / "console.conf"),
              "enabled=0\naddress=127.0.0.1\nport=8460\ncertificate=\nkey=\n");
    EXPECT_EQ(readBytes(dir / "orvessa.sys"), "\r\n0\r\n");
}

TEST(ConsoleSettings, ARewriteKeepsUnknownLinesAndChangesOnlyTheValues) {
    TempDir dir;
    writeBytes(
        dir / "console.conf",
        "\xEF\xBB\xBF# 控制台\r\nport = 9000\r\ntheme=dark\r\n\r\ncertificate=/证书/a.pem\r\n");
    ConsoleSettingsFile file(dir.path());
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.settings().port, 9000);
    EXPECT_EQ(file.settings().certificate, "/证书/a.pem");
    file.setEnabled(true);
    ASSERT_EQ(file.setAddress("0.0.0.0"), "");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(dir / "console.conf"),
              "# 控制台\nport=9000\ntheme=dark\n\ncertificate=/证书/a.pem\n"
              "enabled=1\naddress=0.0.0.0\nkey=\n");
    ConsoleSettingsFile again(dir.path());
    ASSERT_TRUE(again.load());
    EXPECT_TRUE(again.settings().enabled);
    EXPECT_EQ(again.settings().address, "0.0.0.0");
}

TEST(ConsoleSettings, BadValuesAreReportedAndRefuseASaveUntilEachIsSet) {
    TempDir dir;
    const std::string bad = "enabled=yes\nport=70000\naddress=a b\naddress=::1\n";
    writeBytes(dir / "console.conf", bad);
    ConsoleSettingsFile file(dir.path());
    ASSERT_TRUE(file.load());
    EXPECT_FALSE(file.settings().enabled);
    EXPECT_EQ(file.settings().port, 8460);
    EXPECT_EQ(file.settings().address, "127.0.0.1") << "a repeated key does not count";
    const std::vector<std::string> problems = file.problems();
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_EQ(problems[0].rfind("第 1 行", 0), 0u) << problems[0];
    EXPECT_EQ(problems[3].rfind("第 4 行", 0), 0u) << problems[3];
    EXPECT_FALSE(file.save());
    EXPECT_EQ(readBytes(dir / "console.conf"), bad);

    file.setEnabled(true);
    file.setPort(8000);
    EXPECT_NE(file.setAddress(""), "");
    EXPECT_FALSE(file.save()) << "the address is still bad";
    ASSERT_EQ(file.setAddress("::1"), "");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(dir / "console.conf"),
              "enabled=1\nport=8000\naddress=::1\ncertificate=\nkey=\n");
}

TEST(ConsoleSettings, LoopbackAddressesAndPortsAreRecognised) {
    for (const char* a : {"127.0.0.1", "::1", "localhost"}) {
        EXPECT_TRUE(isLoopback(a)) << a;
    }
    for (const char* a : {"0.0.0.0", "127.0.0.2", "", "LOCALHOST.example", "::"}) {
        EXPECT_FALSE(isLoopback(a)) << a;
    }
    int port = 0;
    EXPECT_EQ(parsePort("1", port), "");
    EXPECT_EQ(port, 1);
    EXPECT_EQ(parsePort("65535", port), "");
    EXPECT_EQ(port, 65535);
    for (const char* p : {"0", "65536", "-80", " 80", "80x", ""}) {
        EXPECT_NE(parsePort(p, port), "") << p;
    }
    EXPECT_EQ(port, 65535) << "a refused port changes nothing";
}

}  // namespace
}  // namespace orvessa::console

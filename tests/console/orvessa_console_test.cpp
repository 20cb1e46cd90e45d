#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

struct Outcome {
    int status = -1;
    std::string out;
    std::string errors;
};

// Runs the command on the program directory `program` inside `work`, with `input` on its
// standard input; every file of the run stays in `work`.
Outcome runConsole(const TempDir& work, const std::vector<std::string>& arguments,
                   const std::string& input = "") {
    writeBytes(work / "stdin", input);
    std::string command =
        std::string("'") + ORVESSA_CONSOLE_EXECUTABLE + "' '" + (work / "program").string() + "'";
    for (const std::string& a : arguments) {
        command += " '" + a + "'";
    }
    command += " <'" + (work / "stdin").string() + "' >'" + (work / "stdout").string() + "' 2>'" +
               (work / "stderr").string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readBytes(work / "stdout"),
            readBytes(work / "stderr")};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ConsoleCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(work / "program");
        writeBytes(work / "program" / "orvessa.sys", "entries\r\n");
    }
    std::vector<std::string> programFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(work / "program")) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    TempDir work;
};

TEST_F(ConsoleCommand, StatusOfAFreshDirectoryThenEnabledForTheNetwork) {
    Outcome status = runConsole(work, {"status"});
    ASSERT_EQ(status.status, 0) << status.errors;
    EXPECT_TRUE(contains(status.out, "控制台: 已关闭")) << status.out;
    EXPECT_TRUE(contains(status.out, "地址: 127.0.0.1\n端口: 8460\n")) << status.out;
    EXPECT_TRUE(contains(status.out, "certificate: not yet made")) << status.out;
    EXPECT_TRUE(contains(status.out, "用户: 0 个")) << status.out;
    EXPECT_EQ(programFiles(), std::vector<std::string>{"orvessa.sys"}) << "status writes nothing";

    const Outcome enable = runConsole(work, {"enable", "--address", "0.0.0.0", "--port", "9443"});
    ASSERT_EQ(enable.status, 0) << enable.errors;
    EXPECT_TRUE(contains(enable.out, "TLS")) << enable.out;
    status = runConsole(work, {"status"});
    EXPECT_TRUE(contains(status.out, "控制台: 已打开\n地址: 0.0.0.0\n端口: 9443\n")) << status.out;
    EXPECT_TRUE(contains(status.out, "TLS")) << status.out;

    ASSERT_EQ(runConsole(work, {"disable"}).status, 0);
    EXPECT_EQ(readBytes(work / "program" / "console.conf"),
              "enabled=0\naddress=0.0.0.0\nport=9443\ncertificate=\nkey=\n");
    EXPECT_EQ(readBytes(work / "program" / "orvessa.sys"), "entries\r\n");
}

TEST_F(ConsoleCommand, UsersAndTokensAreAddedListedAndRemovedWithoutShowingSecrets) {
    Outcome run =
        runConsole(work, {"user", "add", "张三", "--role", "operator"}, "正确的密码123\n");
    ASSERT_EQ(run.status, 0) << run.errors;
    const fs::path users = work / "program" / "console-users";
    EXPECT_EQ(fs::status(users).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    run = runConsole(work, {"token", "add", "备份脚本", "--role", "viewer"});
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::string token = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1, 64);
    ASSERT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << run.out;

    const Outcome status = runConsole(work, {"status"});
    ASSERT_EQ(status.status, 0) << status.errors;
    EXPECT_TRUE(contains(status.out, "张三  operator")) << status.out;
    EXPECT_TRUE(contains(status.out, "备份脚本  viewer")) << status.out;
    EXPECT_FALSE(contains(status.out, token));
    EXPECT_FALSE(contains(status.out, "$argon2id"));
    const std::string stored = readBytes(users);
    EXPECT_FALSE(contains(stored, token));
    EXPECT_FALSE(contains(stored, "正确的密码123"));
    EXPECT_TRUE(contains(stored, "$argon2id$"));

    ASSERT_EQ(runConsole(work, {"user", "remove", "张三"}).status, 0);
    ASSERT_EQ(runConsole(work, {"token", "remove", "备份脚本"}).status, 0);
    const Outcome list = runConsole(work, {"user", "list"});
    EXPECT_TRUE(contains(list.out, "用户: 0 个")) << list.out;
}

TEST_F(ConsoleCommand, AFailedCommandSaysWhyAndWritesNothing) {
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        int status;
    };
    const std::vector<Case> cases = {
        {{}, "", 2},
        {{"start"}, "", 2},
        {{"enable", "--port"}, "", 2},
        {{"user", "add", "ann"}, "password1\n", 2},
        {{"user", "add", "ann", "--role", "admin"}, "password1\n", 1},
        {{"user", "add", "ann", "--role", "viewer"}, "short\n", 1},
        {{"user", "add", "ann", "--role", "viewer"}, "", 1},
        {{"user", "add", "a b", "--role", "viewer"}, "password1\n", 1},
        {{"user", "remove", "nobody"}, "", 1},
        {{"token", "remove", "nobody"}, "", 1},
        {{"enable", "--port", "0"}, "", 1},
        {{"enable", "--address", ""}, "", 1},
    };
    for (const Case& c : cases) {
        const Outcome run = runConsole(work, c.arguments, c.input);
        std::string line;
        for (const std::string& a : c.arguments) {
            line += a + " ";
        }
        EXPECT_EQ(run.status, c.status) << line;
        EXPECT_FALSE(run.errors.empty()) << line;
        EXPECT_EQ(programFiles(), std::vector<std::string>{"orvessa.sys"}) << line;
    }

    ASSERT_EQ(runConsole(work, {"user", "add", "ann", "--role", "viewer"}, "password1\n").status,
              0);
    const std::string before = readBytes(work / "program" / "console-users");
    const Outcome again =
        runConsole(work, {"user", "add", "ann", "--role", "operator"}, "password2\n");
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(contains(again.errors, "已存在")) << again.errors;
    EXPECT_EQ(readBytes(work / "program" / "console-users"), before);

    fs::remove_all(work / "program");
    EXPECT_EQ(runConsole(work, {"status"}).status, 1);
    EXPECT_FALSE(fs::exists(work / "program")) << "a missing directory is not made";
}

TEST_F(ConsoleCommand, EnablingForTheNetworkMakesACertificateOnceAndStatusShowsItsFingerprint) {
    const fs::path program = work / "program";
    ASSERT_EQ(runConsole(work, {"enable"}).status, 0);
    EXPECT_FALSE(fs::exists(program / "console-cert.pem")) << "the loopback needs none";

    const Outcome enable = runConsole(work, {"enable", "--address", "0.0.0.0"});
    ASSERT_EQ(enable.status, 0) << enable.errors;
    const std::regex fingerprintLine("证书指纹：((?:[0-9A-F]{2}:){31}[0-9A-F]{2})\n");
    std::smatch made;
    ASSERT_TRUE(std::regex_search(enable.out, made, fingerprintLine)) << enable.out;
    EXPECT_EQ(programFiles(), (std::vector<std::string>{"console-cert.pem", "console-key.pem",
                                                        "console.conf", "orvessa.sys"}));
    EXPECT_EQ(fs::status(program / "console-key.pem").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(contains(readBytes(program / "console.conf"), "certificate=\n"))
        << "the made certificate is found by its place, not named";

    const std::string certificate = readBytes(program / "console-cert.pem");
    const Outcome again = runConsole(work, {"enable", "--port", "9443"});
    ASSERT_EQ(again.status, 0) << again.errors;
    EXPECT_FALSE(contains(again.out, "证书指纹：")) << "nothing new was made";
    EXPECT_EQ(readBytes(program / "console-cert.pem"), certificate)
        << "a certificate browsers were told to trust is kept";

    const Outcome status = runConsole(work, {"status"});
    ASSERT_EQ(status.status, 0) << status.errors;
    std::smatch shown;
    ASSERT_TRUE(std::regex_search(status.out, shown, fingerprintLine)) << status.out;
    EXPECT_EQ(shown[1], made[1]);
    EXPECT_FALSE(contains(status.out, "not yet made")) << status.out;
}

TEST_F(ConsoleCommand, ANamedCertificateIsUsedAndOneThatCannotBeMadeFailsTheEnable) {
    const fs::path program = work / "program";
    writeBytes(program / "console.conf", "certificate=own.pem\nkey=own-key.pem\n");
    const Outcome named = runConsole(work, {"enable", "--address", "0.0.0.0"});
    ASSERT_EQ(named.status, 0) << named.errors;
    EXPECT_FALSE(fs::exists(program / "console-cert.pem"));
    const Outcome status = runConsole(work, {"status"});
    EXPECT_TRUE(contains(status.out, "证书: own.pem\n私钥: own-key.pem\n")) << status.out;
    EXPECT_FALSE(contains(status.out, "证书指纹：")) << "the named file is not there";

    fs::remove(program / "console.conf");
    fs::create_directory(program / "console-key.pem");  // the key's place is taken
    const Outcome blocked = runConsole(work, {"enable", "--address", "0.0.0.0"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_TRUE(contains(blocked.errors, "无法生成证书")) << blocked.errors;
    EXPECT_EQ(programFiles(), (std::vector<std::string>{"console-key.pem", "orvessa.sys"}))
        << "a failed enable writes no file";
}

}  // namespace

#include "core/console/accounts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/fake_secrets.h"
#include "support/temp_dir.h"

namespace orvessa::console {
namespace {

namespace fs = std::filesystem;
using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

fs::perms permissionsOf(const fs::path& path) {
    return fs::status(path).permissions() & fs::perms::all;
}

TEST(Accounts, UsersAndTokensSurviveASaveInAnOwnerOnlyFileWithoutTheirSecrets) {
    TempDir dir;
    fakes::FakeSecrets secrets;
    Accounts accounts(dir.path(), secrets);
    ASSERT_TRUE(accounts.load());
    EXPECT_TRUE(accounts.users().empty()) << "no account exists until one is added";
    ASSERT_EQ(accounts.addUser("张三", Role::Operator, "correct horse"), "");
    ASSERT_EQ(accounts.addUser("viewer1", Role::Viewer, "密码密码密码密码"), "");
    std::string shown;
    std::string other;
    ASSERT_EQ(accounts.addToken("script", Role::Viewer, shown), "");
    ASSERT_EQ(accounts.addToken("other", Role::Operator, other), "");
    ASSERT_FALSE(shown.empty());
    std::string refused;
    EXPECT_NE(accounts.addToken("script", Role::Viewer, refused), "");
    EXPECT_EQ(refused, "") << "a refused token is never shown";
    ASSERT_TRUE(accounts.save());

    EXPECT_EQ(permissionsOf(dir / "console-users"), fs::perms::owner_read | fs::perms::owner_write);
    const std::string bytes = readBytes(dir / "console-users");
    EXPECT_EQ(bytes.find("correct horse"), std::string::npos);
    EXPECT_EQ(bytes.find(shown), std::string::npos);

    Accounts again(dir.path(), secrets);
    ASSERT_TRUE(again.load());
    EXPECT_TRUE(again.problems().empty());
    ASSERT_EQ(again.users().size(), 2u);
    EXPECT_EQ(again.users()[0].name, "张三");
    EXPECT_EQ(again.users()[0].role, Role::Operator);
    EXPECT_EQ(again.users()[1].role, Role::Viewer);
    EXPECT_NE(again.authenticate("张三", "correct horse"), nullptr);
    EXPECT_EQ(again.authenticate("张三", "correct horsE"), nullptr);
    EXPECT_EQ(again.authenticate("viewer1", "correct horse"), nullptr);
    ASSERT_NE(again.findToken(shown), nullptr);
    EXPECT_EQ(again.findToken(shown)->name, "script");
    EXPECT_EQ(again.findToken(other)->name, "other") << "each token matches only itself";
    EXPECT_EQ(again.findToken(shown + "x"), nullptr);
    EXPECT_EQ(again.findToken(""), nullptr);
    ASSERT_EQ(again.removeToken("script"), "");
    EXPECT_EQ(again.findToken(shown), nullptr);
    EXPECT_NE(again.removeToken("script"), "");
}

TEST(Accounts, NamesPasswordsAndRolesAreChecked) {
    const std::string thirtyTwo = std::string(30, 'a') + "名字";
    for (const std::string& name : {std::string("张三"), std::string("a.b-c_d"), thirtyTwo}) {
        EXPECT_EQ(checkName(name), "") << name;
    }
    for (const std::string& name :
         {std::string(), thirtyTwo + "x", std::string("a b"), std::string("张\xE3\x80\x80三"),
          std::string("a:b"), std::string("a\tb"), std::string("a\x7f"), std::string("\xFF"),
          std::string("\xC0\xAF")}) {
        EXPECT_NE(checkName(name), "") << name;
    }
    EXPECT_EQ(checkPassword("12345678"), "");
    EXPECT_NE(checkPassword("1234567"), "");
    EXPECT_NE(checkPassword("密码密码"), "") << "12 bytes but only 4 characters";
    EXPECT_EQ(parseRole("operator"), Role::Operator);
    EXPECT_FALSE(parseRole("Operator").has_value());
    EXPECT_FALSE(parseRole("admin").has_value());
}

TEST(Accounts, RefusedChangesLeaveEverythingAsItWas) {
    TempDir dir;
    fakes::FakeSecrets secrets;
    Accounts accounts(dir.path(), secrets);
    ASSERT_EQ(accounts.addUser("ann", Role::Viewer, "password1"), "");
    EXPECT_NE(accounts.addUser("ann", Role::Operator, "password2"), "");
    EXPECT_NE(accounts.addUser("bob", Role::Viewer, "short"), "");
    EXPECT_NE(accounts.removeUser("bob"), "");
    EXPECT_NE(accounts.changePassword("bob", "password3"), "");
    EXPECT_NE(accounts.changePassword("ann", "short"), "");
    secrets.failHashing = true;
    EXPECT_NE(accounts.addUser("carl", Role::Viewer, "password4"), "");
    ASSERT_EQ(accounts.users().size(), 1u);
    EXPECT_EQ(accounts.users()[0].role, Role::Viewer);
    EXPECT_NE(accounts.authenticate("ann", "password1"), nullptr);
}

TEST(Accounts, TheGenerationMovesOnWithEachPasswordAndNeverReturns) {
    TempDir dir;
    fakes::FakeSecrets secrets;
    Accounts accounts(dir.path(), secrets);
    ASSERT_EQ(accounts.addUser("ann", Role::Viewer, "password1"), "");
    const std::uint64_t first = accounts.findUser("ann")->generation;
    ASSERT_EQ(accounts.changePassword("ann", "password2"), "");
    const std::uint64_t second = accounts.findUser("ann")->generation;
    EXPECT_NE(second, first);
    EXPECT_EQ(accounts.authenticate("ann", "password1"), nullptr);
    ASSERT_EQ(accounts.removeUser("ann"), "");
    ASSERT_TRUE(accounts.save());

    // Made again under the same name after a reload: its old sessions stay over.
    Accounts later(dir.path(), secrets);
    ASSERT_TRUE(later.load());
    ASSERT_EQ(later.addUser("ann", Role::Viewer, "password1"), "");
    const std::uint64_t third = later.findUser("ann")->generation;
    EXPECT_NE(third, first);
    EXPECT_NE(third, second);
}

// A file written by hand can put the generation at the counter's end: one more would start
// again from zero, so nothing that needs a new one is done, and the rest still works.
TEST(Accounts, GenerationsAtTheCountersEndAreNeverReused) {
    TempDir dir;
    fakes::FakeSecrets secrets;
    writeBytes(dir / "console-users", "generation:18446744073709551615\nuser:ann:viewer:3:" +
                                          secrets.hashPassword("password1") + "\n");
    Accounts accounts(dir.path(), secrets);
    ASSERT_TRUE(accounts.load());
    EXPECT_EQ(accounts.addUser("bob", Role::Viewer, "password2"), Accounts::kGenerationsUsedUp);
    EXPECT_EQ(accounts.changePassword("ann", "password2"), Accounts::kGenerationsUsedUp);
    EXPECT_EQ(accounts.findUser("bob"), nullptr);
    EXPECT_NE(accounts.authenticate("ann", "password1"), nullptr);
    ASSERT_EQ(accounts.removeUser("ann"), "");
    std::string shown;
    EXPECT_EQ(accounts.addToken("panel", Role::Viewer, shown), "");
    ASSERT_TRUE(accounts.save());
    ASSERT_TRUE(accounts.load());
    EXPECT_EQ(accounts.addUser("ann", Role::Viewer, "password1"), Accounts::kGenerationsUsedUp)
        << "the removal did not bring the counter back to zero";
}

TEST(Accounts, DamagedLinesAreReportedAndKeptWhileTheOthersAreRead) {
    TempDir dir;
    fakes::FakeSecrets secrets;
    const std::string good = "user:ann:viewer:3:" + secrets.hashPassword("password1");
    const std::string damaged[] = {
        "user:bob:admin:1:pw$00", "user:carl:viewer:x:pw$00",  "token:t:viewer:",
        "garbage \xFF\xFE",       "user:ann:operator:4:pw$00",
    };
    std::string content = "generation:7\n" + good + "\n";
    for (const std::string& line : damaged) {
        content += line + "\r\n";
    }
    content += "token:t2:operator:" + secrets.hashToken("abc") + "\n";
    writeBytes(dir / "console-users", content);
    fs::permissions(dir / "console-users", fs::perms::owner_read | fs::perms::owner_write);

    Accounts accounts(dir.path(), secrets);
    ASSERT_TRUE(accounts.load());
    ASSERT_EQ(accounts.problems().size(), 5u);
    EXPECT_EQ(accounts.problems()[0].rfind("第 3 行", 0), 0u) << accounts.problems()[0];
    EXPECT_EQ(accounts.problems()[4].rfind("第 7 行", 0), 0u) << accounts.problems()[4];
    ASSERT_EQ(accounts.users().size(), 1u);
    EXPECT_EQ(accounts.users()[0].role, Role::Viewer) << "the first of a repeated name counts";
    EXPECT_NE(accounts.findToken("abc"), nullptr);

    ASSERT_EQ(accounts.addUser("dora", Role::Operator, "password2"), "");
    EXPECT_GT(accounts.findUser("dora")->generation, 7u);
    ASSERT_TRUE(accounts.save());
    const std::string saved = readBytes(dir / "console-users");
    for (const std::string& line : damaged) {
        EXPECT_NE(saved.find(line + "\n"), std::string::npos) << line;
    }
}

TEST(Accounts, AFileOthersCanReadIsReportedAndSavedOwnerOnly) {
    TempDir dir;
    fakes::FakeSecrets secrets;
    writeBytes(dir / "console-users", "generation:1\n");
    fs::permissions(dir / "console-users", fs::perms::others_read, fs::perm_options::add);
    Accounts accounts(dir.path(), secrets);
    ASSERT_TRUE(accounts.load());
    EXPECT_EQ(accounts.problems().size(), 1u);
    ASSERT_TRUE(accounts.save());
    EXPECT_EQ(permissionsOf(dir / "console-users"), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(Accounts, AFileOthersCanWriteIsRefusedWhole) {
    TempDir dir;
    fakes::FakeSecrets secrets;
    // As another local user might plant it: a token that would pass.
    writeBytes(dir / "console-users", "generation:1\ntoken:planted:operator:tk$6869\n");
    for (const fs::perms opened : {fs::perms::others_write, fs::perms::group_write}) {
        fs::permissions(dir / "console-users", fs::perms::owner_read | fs::perms::owner_write);
        fs::permissions(dir / "console-users", opened, fs::perm_options::add);
        Accounts accounts(dir.path(), secrets);
        EXPECT_FALSE(accounts.load());
        EXPECT_NE(accounts.error().find("chmod 600"), std::string::npos) << accounts.error();
        EXPECT_EQ(accounts.findToken("hi"), nullptr);
        EXPECT_TRUE(accounts.tokens().empty());
    }
}

}  // namespace
}  // namespace orvessa::console

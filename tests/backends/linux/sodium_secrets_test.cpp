#include "backends/linux/sodium_secrets.h"

#include <gtest/gtest.h>

#include <string>

namespace orvessa::backends {
namespace {

TEST(SodiumSecrets, PasswordsHashToSaltedArgon2idThatVerifyOnlyTheirOwn) {
    SodiumSecrets secrets;
    ASSERT_TRUE(secrets.ready());
    const std::string hash = secrets.hashPassword("正确的密码 horse");
    EXPECT_EQ(hash.rfind("$argon2id$", 0), 0u) << hash;
    EXPECT_EQ(hash.find_first_of(": \n"), std::string::npos);
    EXPECT_NE(secrets.hashPassword("正确的密码 horse"), hash) << "each hash has its own salt";
    EXPECT_TRUE(secrets.verifyPassword(hash, "正确的密码 horse"));
    EXPECT_FALSE(secrets.verifyPassword(hash, "正确的密码 Horse"));
    EXPECT_FALSE(secrets.verifyPassword(hash, ""));
    EXPECT_FALSE(secrets.verifyPassword(hash.substr(0, hash.size() - 4), "正确的密码 horse"));
    EXPECT_FALSE(secrets.verifyPassword("", ""));
    EXPECT_FALSE(secrets.verifyPassword(std::string(500, '$'), "x"));
}

TEST(SodiumSecrets, TokensAreRandomHexAndMatchOnlyTheirOwnHash) {
    SodiumSecrets secrets;
    const std::string first = secrets.newToken();
    const std::string second = secrets.newToken();
    ASSERT_EQ(first.size(), 64u);
    EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos) << first;
    EXPECT_NE(first, second);
    const std::string hash = secrets.hashToken(first);
    EXPECT_EQ(hash, secrets.hashToken(first));
    EXPECT_NE(hash, first) << "the stored form is not the token";
    EXPECT_TRUE(secrets.tokenMatches(hash, first));
    EXPECT_FALSE(secrets.tokenMatches(hash, second));
    EXPECT_FALSE(secrets.tokenMatches(hash.substr(1), first));
    EXPECT_FALSE(secrets.tokenMatches(hash, ""));
}

}  // namespace
}  // namespace orvessa::backends

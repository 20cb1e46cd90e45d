#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/console/names.h"
#include "core/console/secrets.h"
#include "core/store/file_io.h"

namespace orvessa::console {

struct User {
    std::string name;
    Role role = Role::Viewer;
    // Changes whenever the user's password does, and a user made again under the same name
    // gets a new one: a session made under another generation is over.
    std::uint64_t generation = 0;
    std::string passwordHash;
};

struct Token {
    std::string name;
    Role role = Role::Viewer;
    std::string tokenHash;
};

// The console's users and API tokens, kept in console-users in the program directory, which
// only its owner may read. There is no account until an administrator adds one. Passwords and
// tokens are kept only as hashes made by `secrets`.
class Accounts {
public:
    static constexpr const char* kFileName = "console-users";
    // Why a user cannot be added nor a password changed once the generations have reached the
    // counter's end, which only a file written by hand can bring about: one more would start
    // them again from zero, where old sessions would pass for new ones.
    static constexpr const char* kGenerationsUsedUp = "代数已用尽，无法再添加用户或修改密码";

    Accounts(std::filesystem::path programDirectory, Secrets& secrets,
             store::FileSync* sync = nullptr);

    std::filesystem::path filePath() const { return m_programDirectory / kFileName; }

    // Reads the file; a missing one holds no account. A damaged line is listed in problems()
    // and written back as it was, the other lines are read. False when the file is there but
    // cannot be read, or other users may write it (error()): then there is no account at all.
    bool load();
    const std::string& error() const { return m_error; }
    const std::vector<std::string>& problems() const { return m_problems; }

    const std::vector<User>& users() const { return m_users; }
    const std::vector<Token>& tokens() const { return m_tokens; }
    const User* findUser(std::string_view name) const;

    // The changes below are made in memory and return empty, or say why nothing was changed;
    // save() writes them.
    std::string addUser(std::string_view name, Role role, std::string_view password);
    std::string removeUser(std::string_view name);
    std::string changePassword(std::string_view name, std::string_view password);
    // The new token's text is set in `shown`: it is not kept anywhere and cannot be asked for
    // again.
    std::string addToken(std::string_view name, Role role, std::string& shown);
    std::string removeToken(std::string_view name);

    // The user `name` when `password` is theirs, else null.
    const User* authenticate(std::string_view name, std::string_view password) const;
    // The token whose text is `token`, else null.
    const Token* findToken(std::string_view token) const;

    // Writes the whole file atomically, readable and writable by its owner alone.
    store::WriteResult save() const;

private:
    bool generationLeft() const {
        return m_lastGeneration < std::numeric_limits<std::uint64_t>::max();
    }
    std::uint64_t nextGeneration() {
        return generationLeft() ? ++m_lastGeneration : m_lastGeneration;
    }

    std::filesystem::path m_programDirectory;
    Secrets& m_secrets;
    store::FileSync* m_sync = nullptr;
    std::vector<User> m_users;
    std::vector<Token> m_tokens;
    std::vector<std::string> m_damaged;  // lines not understood, kept as they were
    std::vector<std::string> m_problems;
    std::uint64_t m_lastGeneration = 0;
    std::string m_error;
};

}  // namespace orvessa::console

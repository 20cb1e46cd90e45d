// console-users as the console reads it: every account it keeps has a name the checks accept
// and a unique one, a user added after it gets a generation none had before, and a save loads
// back to the same accounts.

#include <string>
#include <string_view>

#include "core/console/accounts.h"
#include "fuzz_input.h"
#include "work_directory.h"

using namespace orvessa;

namespace {

// Secrets without cryptography: the accounts' bookkeeping is what is fuzzed.
class PlainSecrets : public console::Secrets {
public:
    std::string hashPassword(std::string_view password) override {
        return "pw$" + std::to_string(password.size());
    }
    bool verifyPassword(std::string_view hash, std::string_view password) override {
        return hash == hashPassword(password);
    }
    std::string newToken() override { return "token" + std::to_string(++m_tokens); }
    std::string hashToken(std::string_view token) override { return "tk$" + std::string(token); }
    bool tokenMatches(std::string_view storedHash, std::string_view token) override {
        return storedHash == hashToken(token);
    }

private:
    int m_tokens = 0;
};

template <typename Entry>
bool uniqueNames(const std::vector<Entry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!console::checkName(entries[i].name).empty()) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (entries[j].name == entries[i].name) {
                return false;
            }
        }
    }
    return true;
}

bool sameAccounts(const console::Accounts& a, const console::Accounts& b) {
    if (a.users().size() != b.users().size() || a.tokens().size() != b.tokens().size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.users().size(); ++i) {
        const console::User& x = a.users()[i];
        const console::User& y = b.users()[i];
        if (x.name != y.name || x.role != y.role || x.generation != y.generation ||
            x.passwordHash != y.passwordHash) {
            return false;
        }
    }
    for (std::size_t i = 0; i < a.tokens().size(); ++i) {
        const console::Token& x = a.tokens()[i];
        const console::Token& y = b.tokens()[i];
        if (x.name != y.name || x.role != y.role || x.tokenHash != y.tokenHash) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::WorkDirectory work;
    work.write(console::Accounts::kFileName, fuzz::bytesOf(data, size));
    PlainSecrets secrets;
    console::Accounts accounts(work.path(), secrets);
    if (!accounts.load()) {
        fuzz::broken("a regular file did not load");
    }
    if (!uniqueNames(accounts.users()) || !uniqueNames(accounts.tokens())) {
        fuzz::broken("an account with a bad or repeated name");
    }
    for (const console::User& u : accounts.users()) {
        if (accounts.authenticate(u.name, "not the password") != nullptr &&
            u.passwordHash != secrets.hashPassword("not the password")) {
            fuzz::broken("a password accepted that is not the user's");
        }
    }

    // A session of an earlier user of that name must never pass for the new one's.
    const std::string name = "fuzz-new-user";
    if (accounts.findUser(name) == nullptr) {
        const std::string why = accounts.addUser(name, console::Role::Operator, "a long password");
        if (why.empty()) {
            const std::uint64_t added = accounts.findUser(name)->generation;
            for (const console::User& u : accounts.users()) {
                if (u.name != name && u.generation >= added) {
                    fuzz::broken("a new user's generation was not new");
                }
            }
        } else if (why != console::Accounts::kGenerationsUsedUp) {
            fuzz::broken("a new user was refused");
        }
    }

    if (!accounts.save()) {
        fuzz::broken("the save failed");
    }
    console::Accounts back(work.path(), secrets);
    if (!back.load()) {
        fuzz::broken("the saved file did not load");
    }
    if (!sameAccounts(back, accounts)) {
        fuzz::broken("an account changed in a save");
    }
    return 0;
}

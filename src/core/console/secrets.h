#pragma once

#include <string>
#include <string_view>

namespace orvessa::console {

// Password hashing, tokens and their comparison, done by a cryptographic library outside the
// core. Every text it returns is printable ASCII without blanks or ':', so it fits on a line of
// the accounts file.
class Secrets {
public:
    virtual ~Secrets() = default;
    // An Argon2id hash of `password` with its own salt, in the library's encoded form; empty
    // when it could not be made (out of memory).
    virtual std::string hashPassword(std::string_view password) = 0;
    // Whether `password` is the one `hash` was made from. False for a damaged hash.
    virtual bool verifyPassword(std::string_view hash, std::string_view password) = 0;
    // A new random token, to be shown once to its owner and never stored as it is.
    virtual std::string newToken() = 0;
    // The form of `token` that is stored.
    virtual std::string hashToken(std::string_view token) = 0;
    // Whether `token` hashes to `storedHash`, compared in constant time.
    virtual bool tokenMatches(std::string_view storedHash, std::string_view token) = 0;
};

}  // namespace orvessa::console

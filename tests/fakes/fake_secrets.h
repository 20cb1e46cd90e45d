#pragma once

#include <string>
#include <string_view>

#include "core/console/secrets.h"

namespace orvessa::fakes {

// Secrets that are easy to see through: a hash is the text in hex behind a mark, a token is a
// counter. Only for the core's bookkeeping; the real hashes are tested with the library.
class FakeSecrets : public console::Secrets {
public:
    std::string hashPassword(std::string_view password) override {
        return failHashing ? std::string() : "pw$" + hex(password);
    }
    bool verifyPassword(std::string_view hash, std::string_view password) override {
        return hash == "pw$" + hex(password);
    }
    std::string newToken() override { return "token" + std::to_string(++m_tokens); }
    std::string hashToken(std::string_view token) override { return "tk$" + hex(token); }
    bool tokenMatches(std::string_view storedHash, std::string_view token) override {
        return storedHash == hashToken(token);
    }

    bool failHashing = false;

private:
    static std::string hex(std::string_view text) {
        static const char* const kDigits = "0123456789abcdef";
        std::string out;
        for (const char c : text) {
            const auto u = static_cast<unsigned char>(c);
            out += kDigits[u >> 4];
            out += kDigits[u & 15];
        }
        return out;
    }
    int m_tokens = 0;
};

}  // namespace orvessa::fakes

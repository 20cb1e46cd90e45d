#pragma once

#include "core/console/secrets.h"

namespace orvessa::backends {

// The console's secrets with libsodium: Argon2id at the interactive limits for passwords,
// 32 random bytes shown as hex for tokens, BLAKE2b for the tokens' stored form.
class SodiumSecrets : public console::Secrets {
public:
    // Initialises the library, once per process. A library that cannot start (no source of
    // randomness) makes every method fail: no hash, no token, nothing verifies.
    SodiumSecrets();

    bool ready() const { return m_ready; }

    std::string hashPassword(std::string_view password) override;
    bool verifyPassword(std::string_view hash, std::string_view password) override;
    std::string newToken() override;
    std::string hashToken(std::string_view token) override;
    bool tokenMatches(std::string_view storedHash, std::string_view token) override;

private:
    bool m_ready = false;
};

}  // namespace orvessa::backends

#include "backends/linux/sodium_secrets.h"

#include <sodium.h>

#include <array>
#include <string>

namespace orvessa::backends {
namespace {

constexpr std::size_t kTokenBytes = 32;
constexpr std::size_t kTokenHashBytes = 32;

bool initialiseOnce() {
    static const bool initialised = sodium_init() >= 0;
    return initialised;
}

std::string hexOf(const unsigned char* bytes, std::size_t size) {
    std::string hex(size * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes, size);
    hex.pop_back();
    return hex;
}

}  // namespace

SodiumSecrets::SodiumSecrets() : m_ready(initialiseOnce()) {}

std::string SodiumSecrets::hashPassword(std::string_view password) {
    if (!m_ready) {
        return {};
    }
    std::array<char, crypto_pwhash_STRBYTES> out{};
    // The library's default algorithm is Argon2id; the tests hold it to that.
    if (crypto_pwhash_str(out.data(), password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        return {};
    }
    return out.data();
}

bool SodiumSecrets::verifyPassword(std::string_view hash, std::string_view password) {
    // The library reads the hash up to its terminating zero, within STRBYTES.
    if (!m_ready || hash.empty() || hash.size() >= crypto_pwhash_STRBYTES ||
        hash.find('\0') != std::string_view::npos) {
        return false;
    }
    const std::string terminated(hash);
    return crypto_pwhash_str_verify(terminated.c_str(), password.data(), password.size()) == 0;
}

std::string SodiumSecrets::newToken() {
    if (!m_ready) {
        return {};
    }
    std::array<unsigned char, kTokenBytes> bytes{};
    randombytes_buf(bytes.data(), bytes.size());
    std::string token = hexOf(bytes.data(), bytes.size());
    sodium_memzero(bytes.data(), bytes.size());
    return token;
}

std::string SodiumSecrets::hashToken(std::string_view token) {
    if (!m_ready) {
        return {};
    }
    std::array<unsigned char, kTokenHashBytes> digest{};
    crypto_generichash(digest.data(), digest.size(),
                       reinterpret_cast<const unsigned char*>(token.data()), token.size(), nullptr,
                       0);
    return hexOf(digest.data(), digest.size());
}

bool SodiumSecrets::tokenMatches(std::string_view storedHash, std::string_view token) {
    const std::string computed = hashToken(token);
    // The length of a hash is no secret; only its content is compared in constant time.
    return !computed.empty() && computed.size() == storedHash.size() &&
           sodium_memcmp(computed.data(), storedHash.data(), computed.size()) == 0;
}

}  // namespace orvessa::backends

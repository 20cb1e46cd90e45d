#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The console's TLS certificate, made and read by a cryptographic library outside the core.
namespace orvessa::console {

// The names and addresses other computers may reach this one by, for a certificate and for
// the Host check: the host name, its fully qualified name, "localhost" and the addresses of
// its interfaces (loopback included).
class HostNames {
public:
    virtual ~HostNames() = default;
    virtual std::vector<std::string> names() = 0;
};

class Certificates {
public:
    virtual ~Certificates() = default;
    // Makes a self-signed ECDSA P-256 certificate for `names` (DNS names and IP addresses as
    // subject alternative names), valid ten years, and writes it and its key (owner-only) as
    // PEM. Empty on success, else why not; nothing is left half written.
    virtual std::string make(const std::filesystem::path& certificateFile,
                             const std::filesystem::path& keyFile,
                             const std::vector<std::string>& names) = 0;
    // The SHA-256 fingerprint of the certificate in `certificateFile` as upper-case hex pairs
    // joined by ':'; empty with `error` set when the file holds no certificate.
    virtual std::string fingerprint(const std::filesystem::path& certificateFile,
                                    std::string& error) = 0;
    // Empty when `keyFile` holds a private key that belongs to the certificate, else why not.
    virtual std::string checkPair(const std::filesystem::path& certificateFile,
                                  const std::filesystem::path& keyFile) = 0;
};

// Where a certificate made for the console is kept, in the program directory.
inline constexpr const char* kCertificateFileName = "console-cert.pem";
inline constexpr const char* kKeyFileName = "console-key.pem";

}  // namespace orvessa::console

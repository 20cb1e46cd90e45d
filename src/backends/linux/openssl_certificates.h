#pragma once

#include "core/console/certificate.h"

namespace orvessa::backends {

// The console's certificate with OpenSSL: an ECDSA P-256 key and a self-signed server
// certificate signed with SHA-256, both written as PEM by a temporary file renamed into place.
class OpensslCertificates : public console::Certificates {
public:
    std::string make(const std::filesystem::path& certificateFile,
                     const std::filesystem::path& keyFile,
                     const std::vector<std::string>& names) override;
    std::string fingerprint(const std::filesystem::path& certificateFile,
                            std::string& error) override;
    std::string checkPair(const std::filesystem::path& certificateFile,
                          const std::filesystem::path& keyFile) override;
};

}  // namespace orvessa::backends

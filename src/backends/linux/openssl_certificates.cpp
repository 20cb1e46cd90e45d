#include "backends/linux/openssl_certificates.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace orvessa::backends {
namespace {

template <auto Free>
struct Deleter {
    template <typename T>
    void operator()(T* p) const {
        Free(p);
    }
};
using Bio = std::unique_ptr<BIO, Deleter<BIO_free_all>>;
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509_free>>;
using Extension = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION_free>>;
using Number = std::unique_ptr<BIGNUM, Deleter<BN_free>>;
using GeneralNames = std::unique_ptr<GENERAL_NAMES, Deleter<GENERAL_NAMES_free>>;

constexpr long kHourSeconds = 60 * 60;
constexpr int kValidDays = 3653;  // ten years, leap days included
constexpr int kSerialBits = 159;  // positive and under the 20 octets a serial may have
constexpr std::size_t kCommonNameLimit = 64;

// OpenSSL keeps its errors per thread; none of ours should be left for a later caller.
struct ClearErrors {
    ~ClearErrors() { ERR_clear_error(); }
};

std::string pathText(const std::filesystem::path& path) {
    return path.string();
}

std::string errnoText(int why) {
    return std::strerror(why);
}

// A DNS name as a certificate may carry it: printable ASCII without spaces, commas or the
// zone of a link-local address.
bool plausibleDnsName(const std::string& name) {
    if (name.empty() || name.size() > 253) {
        return false;
    }
    for (const unsigned char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '*';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

bool addAlternativeName(GENERAL_NAMES* names, const std::string& name) {
    GENERAL_NAME* entry = nullptr;
    if (ASN1_OCTET_STRING* ip = a2i_IPADDRESS(name.c_str())) {
        entry = GENERAL_NAME_new();
        if (entry == nullptr) {
            ASN1_OCTET_STRING_free(ip);
            return false;
        }
        GENERAL_NAME_set0_value(entry, GEN_IPADD, ip);
    } else if (plausibleDnsName(name)) {
        ASN1_IA5STRING* dns = ASN1_IA5STRING_new();
        entry = GENERAL_NAME_new();
        if (dns == nullptr || entry == nullptr ||
            ASN1_STRING_set(dns, name.data(), static_cast<int>(name.size())) != 1) {
            ASN1_IA5STRING_free(dns);
            GENERAL_NAME_free(entry);
            return false;
        }
        GENERAL_NAME_set0_value(entry, GEN_DNS, dns);
    } else {
        return true;  // not a name another computer could use
    }
    if (sk_GENERAL_NAME_push(names, entry) == 0) {
        GENERAL_NAME_free(entry);
        return false;
    }
    return true;
}

bool addExtension(X509* certificate, X509V3_CTX& context, int nid, const char* value) {
    const Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

std::string buildCertificate(X509* certificate, EVP_PKEY* key,
                             const std::vector<std::string>& names) {
    if (X509_set_version(certificate, X509_VERSION_3) != 1) {
        return "无法生成证书";
    }
    const Number serial(BN_new());
    if (!serial || BN_rand(serial.get(), kSerialBits, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
        BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(certificate)) == nullptr) {
        return "无法生成证书序列号";
    }
    std::time_t now = std::time(nullptr);
    if (X509_time_adj_ex(X509_getm_notBefore(certificate), 0, -kHourSeconds, &now) == nullptr ||
        X509_time_adj_ex(X509_getm_notAfter(certificate), kValidDays, 0, &now) == nullptr) {
        return "无法设置证书有效期";
    }
    std::string commonName = "Orvessa";
    for (const std::string& name : names) {
        if (!name.empty() && name.size() <= kCommonNameLimit) {
            commonName = name;
            break;
        }
    }
    X509_NAME* subject = X509_get_subject_name(certificate);
    if (X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(commonName.c_str()), -1,
                                   -1, 0) != 1 ||
        X509_set_issuer_name(certificate, subject) != 1 || X509_set_pubkey(certificate, key) != 1) {
        return "无法生成证书";
    }
    const GeneralNames alternatives(sk_GENERAL_NAME_new_null());
    if (!alternatives) {
        return "无法生成证书";
    }
    for (const std::string& name : names) {
        if (!addAlternativeName(alternatives.get(), name)) {
            return "无法生成证书";
        }
    }
    if (sk_GENERAL_NAME_num(alternatives.get()) > 0 &&
        X509_add1_ext_i2d(certificate, NID_subject_alt_name, alternatives.get(), 0,
                          X509V3_ADD_DEFAULT) != 1) {
        return "无法写入证书的名称";
    }
    X509V3_CTX context;
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    if (!addExtension(certificate, context, NID_basic_constraints, "critical,CA:FALSE") ||
        !addExtension(certificate, context, NID_key_usage, "critical,digitalSignature") ||
        !addExtension(certificate, context, NID_ext_key_usage, "serverAuth") ||
        !addExtension(certificate, context, NID_subject_key_identifier, "hash")) {
        return "无法写入证书的用途";
    }
    if (X509_sign(certificate, key, EVP_sha256()) <= 0) {
        return "无法签署证书";
    }
    return {};
}

std::string bioText(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string{};
}

// Writes `text` to a new file beside `target` with `mode`, on the disk before it is named.
// Returns the temporary file's path, empty with `error` set when it could not.
std::filesystem::path writeTemporary(const std::filesystem::path& target, const std::string& text,
                                     mode_t mode, std::string& error) {
    std::string name = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = "无法写入 " + pathText(target) + "：" + errnoText(errno);
        return {};
    }
    // mkstemp makes the file owner-only; a certificate may be read by others.
    bool written = ::fchmod(fd, mode) == 0;
    std::size_t done = 0;
    while (written && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        written = n > 0;
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    written = written && ::fsync(fd) == 0;
    const int why = errno;
    written = ::close(fd) == 0 && written;
    if (!written) {
        ::unlink(name.c_str());
        error = "无法写入 " + pathText(target) + "：" + errnoText(why);
        return {};
    }
    return name;
}

void syncDirectoryOf(const std::filesystem::path& file) {
    const std::filesystem::path directory =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Certificate readCertificate(const std::filesystem::path& file, std::string& error) {
    const Bio bio(BIO_new_file(file.c_str(), "r"));
    Certificate certificate(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)
                                : nullptr);
    if (!certificate) {
        error = "证书文件无法读取：" + pathText(file);
    }
    return certificate;
}

}  // namespace

std::string OpensslCertificates::make(const std::filesystem::path& certificateFile,
                                      const std::filesystem::path& keyFile,
                                      const std::vector<std::string>& names) {
    const ClearErrors clear;
    const Key key(EVP_EC_gen("P-256"));
    const Certificate certificate(X509_new());
    if (!key || !certificate) {
        return "无法生成密钥";
    }
    if (const std::string why = buildCertificate(certificate.get(), key.get(), names);
        !why.empty()) {
        return why;
    }
    const Bio certificatePem(BIO_new(BIO_s_mem()));
    // The key's text is wiped from memory when it is freed.
    const Bio keyPem(BIO_new(BIO_s_secmem()));
    if (!certificatePem || !keyPem ||
        PEM_write_bio_X509(certificatePem.get(), certificate.get()) != 1 ||
        PEM_write_bio_PrivateKey(keyPem.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) !=
            1) {
        return "无法生成证书";
    }
    std::string keyText = bioText(keyPem.get());
    std::string error;
    const std::filesystem::path keyTemporary = writeTemporary(keyFile, keyText, 0600, error);
    OPENSSL_cleanse(keyText.data(), keyText.size());
    if (keyTemporary.empty()) {
        return error;
    }
    const std::filesystem::path certificateTemporary =
        writeTemporary(certificateFile, bioText(certificatePem.get()), 0644, error);
    if (certificateTemporary.empty()) {
        ::unlink(keyTemporary.c_str());
        return error;
    }
    // The key goes first: a certificate in place says that its key is too.
    if (::rename(keyTemporary.c_str(), keyFile.c_str()) != 0) {
        const int why = errno;
        ::unlink(keyTemporary.c_str());
        ::unlink(certificateTemporary.c_str());
        return "无法写入 " + pathText(keyFile) + "：" + errnoText(why);
    }
    if (::rename(certificateTemporary.c_str(), certificateFile.c_str()) != 0) {
        const int why = errno;
        ::unlink(certificateTemporary.c_str());
        return "无法写入 " + pathText(certificateFile) + "：" + errnoText(why);
    }
    syncDirectoryOf(keyFile);
    syncDirectoryOf(certificateFile);
    return {};
}

std::string OpensslCertificates::fingerprint(const std::filesystem::path& certificateFile,
                                             std::string& error) {
    const ClearErrors clear;
    error.clear();
    const Certificate certificate = readCertificate(certificateFile, error);
    if (!certificate) {
        return {};
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (X509_digest(certificate.get(), EVP_sha256(), digest, &size) != 1) {
        error = "证书文件无法读取：" + pathText(certificateFile);
        return {};
    }
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : ":%02X", digest[i]);
        text += pair;
    }
    return text;
}

std::string OpensslCertificates::checkPair(const std::filesystem::path& certificateFile,
                                           const std::filesystem::path& keyFile) {
    const ClearErrors clear;
    std::string error;
    const Certificate certificate = readCertificate(certificateFile, error);
    if (!certificate) {
        return error;
    }
    const Bio bio(BIO_new_file(keyFile.c_str(), "r"));
    // An empty pass phrase: an encrypted key is refused rather than asked about on a terminal.
    const Key key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, const_cast<char*>(""))
                      : nullptr);
    if (!key) {
        return "私钥文件无法读取：" + pathText(keyFile);
    }
    if (X509_check_private_key(certificate.get(), key.get()) != 1) {
        return "私钥与证书不匹配";
    }
    return {};
}

}  // namespace orvessa::backends
